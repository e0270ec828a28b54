#include "SoftwareBuffer.h"

#include "SoftwareDevice.h"

namespace {

const char* KindName(D3DRESOURCETYPE type) {
    return type == D3DRTYPE_VERTEXBUFFER ? "VertexBuffer" : "IndexBuffer";
}

void FillDesc(D3DVERTEXBUFFER_DESC& desc, DWORD usage, D3DFORMAT, DWORD fvf, D3DPOOL pool,
              UINT size) {
    desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, size, fvf};
}

void FillDesc(D3DINDEXBUFFER_DESC& desc, DWORD usage, D3DFORMAT format, DWORD, D3DPOOL pool,
              UINT size) {
    desc = {format, D3DRTYPE_INDEXBUFFER, usage, pool, size};
}

}  // namespace

template <class Interface, class Desc, D3DRESOURCETYPE kType>
SoftwareBuffer<Interface, Desc, kType>::SoftwareBuffer(SoftwareDevice& device, UINT length,
                                                       DWORD usage, D3DFORMAT format, DWORD fvf,
                                                       D3DPOOL pool)
    : SoftwareCom<Interface>(device, KindName(kType)),
      bytes_(length),
      usage_(usage),
      format_(format),
      fvf_(fvf),
      pool_(pool) {}

template <class Interface, class Desc, D3DRESOURCETYPE kType>
HRESULT SoftwareBuffer<Interface, Desc, kType>::GetDevice(IDirect3DDevice9** ppDevice) {
    return this->Device().HandOut(this->Name(), ppDevice);
}

template <class Interface, class Desc, D3DRESOURCETYPE kType>
HRESULT SoftwareBuffer<Interface, Desc, kType>::Lock(UINT offset, UINT size, void** data,
                                                     DWORD flags) {
    HRESULT result = D3D_OK;
    const UINT length = static_cast<UINT>(bytes_.size());
    if (data != nullptr) *data = nullptr;
    if (this->IsReleased() || data == nullptr || offset > length ||
        (size != 0 && size > length - offset)) {
        result = D3DERR_INVALIDCALL;
    } else {
        // A size of 0 locks everything from the offset on (the whole buffer for 0, 0).
        *data = bytes_.data() + offset;
        ++lockCount_;
    }
    this->Device().Log(result, "%s.Lock(%u, %u, 0x%x)", this->Name(), offset, size, flags);
    return result;
}

template <class Interface, class Desc, D3DRESOURCETYPE kType>
HRESULT SoftwareBuffer<Interface, Desc, kType>::Unlock() {
    HRESULT result = D3D_OK;
    if (this->IsReleased() || lockCount_ == 0) {
        result = D3DERR_INVALIDCALL;
    } else {
        --lockCount_;
    }
    this->Device().Log(result, "%s.Unlock()", this->Name());
    return result;
}

template <class Interface, class Desc, D3DRESOURCETYPE kType>
HRESULT SoftwareBuffer<Interface, Desc, kType>::GetDesc(Desc* pDesc) {
    if (this->IsReleased() || pDesc == nullptr) return D3DERR_INVALIDCALL;
    FillDesc(*pDesc, usage_, format_, fvf_, pool_, static_cast<UINT>(bytes_.size()));
    return D3D_OK;
}

template <class Interface, class Desc, D3DRESOURCETYPE kType>
void SoftwareBuffer<Interface, Desc, kType>::DropContents() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    lockCount_ = 0;
}

template class SoftwareBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER>;
template class SoftwareBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER>;
