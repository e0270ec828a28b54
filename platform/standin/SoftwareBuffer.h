// Vertex and index buffers of the software device: a byte array with
// Direct3D 9's lock rules.
#pragma once

#include <vector>

#include "SoftwareObject.h"

template <class Interface, class Desc, D3DRESOURCETYPE kType>
class SoftwareBuffer final : public SoftwareCom<Interface> {
public:
    // `format` is the index format of an index buffer, `fvf` the FVF of a vertex buffer.
    SoftwareBuffer(SoftwareDevice& device, UINT length, DWORD usage, D3DFORMAT format, DWORD fvf,
                   D3DPOOL pool);

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return kType; }
    HRESULT STDMETHODCALLTYPE Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData,
                                   DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(Desc* pDesc) override;

    // The contents, for drawing: empty once released and unbound.
    const BYTE* Bytes() const { return bytes_.data(); }
    UINT Size() const { return static_cast<UINT>(bytes_.size()); }
    D3DFORMAT Format() const { return format_; }

private:
    void DropContents() override;

    std::vector<BYTE> bytes_;
    DWORD usage_;
    D3DFORMAT format_;
    DWORD fvf_;
    D3DPOOL pool_;
    UINT lockCount_ = 0;
};

using SoftwareVertexBuffer =
    SoftwareBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER>;
using SoftwareIndexBuffer =
    SoftwareBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER>;
