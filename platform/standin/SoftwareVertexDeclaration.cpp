#include "SoftwareVertexDeclaration.h"

#include <algorithm>
#include <utility>

#include "SoftwareDevice.h"

SoftwareVertexDeclaration::SoftwareVertexDeclaration(SoftwareDevice& device,
                                                     std::vector<D3DVERTEXELEMENT9> elements,
                                                     const VertexLayout& layout)
    : SoftwareCom(device, "VertexDeclaration"), elements_(std::move(elements)), layout_(layout) {}

HRESULT SoftwareVertexDeclaration::GetDevice(IDirect3DDevice9** ppDevice) {
    return Device().HandOut(Name(), ppDevice);
}

HRESULT SoftwareVertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements) {
    if (IsReleased() || pNumElements == nullptr) return D3DERR_INVALIDCALL;
    // With no array, only the count (end marker included) is returned.
    if (pElement != nullptr) std::copy(elements_.begin(), elements_.end(), pElement);
    *pNumElements = static_cast<UINT>(elements_.size());
    return D3D_OK;
}
