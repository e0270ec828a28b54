// Where the fixed-function pipeline finds each vertex attribute: built from a
// vertex declaration or from an FVF code.
#pragma once

#include <d3d9.h>

#include <array>
#include <cstddef>

// One attribute: its stream, byte offset in the vertex and D3DDECLTYPE.
struct VertexElement {
    int stream = -1;  // -1 when the vertex has no such attribute
    UINT offset = 0;
    BYTE type = D3DDECLTYPE_UNUSED;

    bool Present() const { return stream >= 0; }
};

struct VertexLayout {
    static constexpr int kStreams = 16;
    static constexpr int kTexcoordSets = 8;

    VertexElement position;       // POSITION or, when pretransformed, POSITIONT
    bool pretransformed = false;  // screen-space x, y, z and 1/w (D3DFVF_XYZRHW)
    VertexElement diffuse;        // COLOR 0
    std::array<VertexElement, kTexcoordSets> texcoord{};
    // Bytes of each stream's vertex that the attributes above read (0: unused).
    std::array<UINT, kStreams> streamBytes{};

    // Builds the layout of a declaration ending with D3DDECL_END; false when an
    // element is malformed or of a type the software device cannot read.
    static bool FromDeclaration(const D3DVERTEXELEMENT9* elements, UINT count, VertexLayout& out);

    // Builds the layout of an FVF code (everything in stream 0); false when the
    // code has no position or bits the software device cannot read.
    static bool FromFvf(DWORD fvf, VertexLayout& out);

    // Size in bytes of one vertex of an FVF code; a code may lack a position.
    static UINT FvfVertexSize(DWORD fvf);

    // Size in bytes of an element of a D3DDECLTYPE, 0 for an unknown type.
    static UINT TypeSize(BYTE type);

    // Reads an element as four floats; missing components are (0, 0, 0, 1).
    // D3DCOLOR yields red, green, blue, alpha in 0..1.
    static void Read(const BYTE* source, BYTE type, float out[4]);
};
