// A vertex declaration of the software device: the elements as given and the
// layout the pipeline reads them with.
#pragma once

#include <vector>

#include "SoftwareObject.h"
#include "VertexLayout.h"

class SoftwareVertexDeclaration final : public SoftwareCom<IDirect3DVertexDeclaration9> {
public:
    // `elements` ends with D3DDECL_END, which is kept.
    SoftwareVertexDeclaration(SoftwareDevice& device, std::vector<D3DVERTEXELEMENT9> elements,
                              const VertexLayout& layout);

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) override;
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9* pElement,
                                             UINT* pNumElements) override;

    const VertexLayout& Layout() const { return layout_; }

private:
    void DropContents() override {}

    std::vector<D3DVERTEXELEMENT9> elements_;
    VertexLayout layout_;
};
