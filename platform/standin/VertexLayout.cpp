#include "VertexLayout.h"

#include <algorithm>
#include <cstring>

namespace {

bool Readable(BYTE type) {
    switch (type) {
        case D3DDECLTYPE_FLOAT1:
        case D3DDECLTYPE_FLOAT2:
        case D3DDECLTYPE_FLOAT3:
        case D3DDECLTYPE_FLOAT4:
        case D3DDECLTYPE_D3DCOLOR:
        case D3DDECLTYPE_UBYTE4:
        case D3DDECLTYPE_UBYTE4N:
        case D3DDECLTYPE_SHORT2:
        case D3DDECLTYPE_SHORT4:
        case D3DDECLTYPE_SHORT2N:
        case D3DDECLTYPE_SHORT4N:
        case D3DDECLTYPE_USHORT2N:
        case D3DDECLTYPE_USHORT4N:
            return true;
        default:
            return false;
    }
}

void Use(VertexLayout& layout, VertexElement& element, int stream, UINT offset, BYTE type) {
    element.stream = stream;
    element.offset = offset;
    element.type = type;
    UINT& bytes = layout.streamBytes[static_cast<size_t>(stream)];
    bytes = std::max(bytes, offset + VertexLayout::TypeSize(type));
}

float LoadFloat(const BYTE* p) {
    float value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

std::int16_t LoadShort(const BYTE* p) {
    std::int16_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

std::uint16_t LoadUShort(const BYTE* p) {
    std::uint16_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

}  // namespace

UINT VertexLayout::TypeSize(BYTE type) {
    static constexpr UINT kSizes[] = {4, 8, 12, 16, 4, 4, 4, 8, 4, 4, 8, 4, 8, 4, 4, 4, 8};
    return type < std::size(kSizes) ? kSizes[type] : 0;
}

void VertexLayout::Read(const BYTE* p, BYTE type, float out[4]) {
    out[0] = 0.0f;
    out[1] = 0.0f;
    out[2] = 0.0f;
    out[3] = 1.0f;
    switch (type) {
        case D3DDECLTYPE_FLOAT4:
            out[3] = LoadFloat(p + 12);
            [[fallthrough]];
        case D3DDECLTYPE_FLOAT3:
            out[2] = LoadFloat(p + 8);
            [[fallthrough]];
        case D3DDECLTYPE_FLOAT2:
            out[1] = LoadFloat(p + 4);
            [[fallthrough]];
        case D3DDECLTYPE_FLOAT1:
            out[0] = LoadFloat(p);
            break;
        case D3DDECLTYPE_D3DCOLOR:  // bytes blue, green, red, alpha
            out[0] = p[2] / 255.0f;
            out[1] = p[1] / 255.0f;
            out[2] = p[0] / 255.0f;
            out[3] = p[3] / 255.0f;
            break;
        case D3DDECLTYPE_UBYTE4:
        case D3DDECLTYPE_UBYTE4N: {
            const float scale = type == D3DDECLTYPE_UBYTE4N ? 1.0f / 255.0f : 1.0f;
            for (int i = 0; i < 4; ++i)
                out[i] = p[i] * scale;
            break;
        }
        case D3DDECLTYPE_SHORT2:
        case D3DDECLTYPE_SHORT4:
        case D3DDECLTYPE_SHORT2N:
        case D3DDECLTYPE_SHORT4N: {
            const bool four = type == D3DDECLTYPE_SHORT4 || type == D3DDECLTYPE_SHORT4N;
            const bool normalised = type == D3DDECLTYPE_SHORT2N || type == D3DDECLTYPE_SHORT4N;
            for (int i = 0; i < (four ? 4 : 2); ++i) {
                const float v = LoadShort(p + 2 * i);
                out[i] = normalised ? std::max(v / 32767.0f, -1.0f) : v;
            }
            break;
        }
        case D3DDECLTYPE_USHORT2N:
        case D3DDECLTYPE_USHORT4N: {
            const int n = type == D3DDECLTYPE_USHORT4N ? 4 : 2;
            for (int i = 0; i < n; ++i)
                out[i] = LoadUShort(p + 2 * i) / 65535.0f;
            break;
        }
        default:
            break;
    }
}

bool VertexLayout::FromDeclaration(const D3DVERTEXELEMENT9* elements, UINT count,
                                   VertexLayout& out) {
    out = VertexLayout{};
    bool seen[D3DDECLUSAGE_SAMPLE + 1][MAXD3DDECLUSAGEINDEX + 1] = {};
    for (UINT i = 0; i < count; ++i) {
        const D3DVERTEXELEMENT9& e = elements[i];
        if (e.Stream >= kStreams || e.Type >= D3DDECLTYPE_UNUSED || e.Offset % 4 != 0 ||
            e.Method > D3DDECLMETHOD_LOOKUPPRESAMPLED || e.Usage > D3DDECLUSAGE_SAMPLE ||
            e.UsageIndex > MAXD3DDECLUSAGEINDEX) {
            return false;
        }
        if (seen[e.Usage][e.UsageIndex]) return false;  // each usage and index once
        seen[e.Usage][e.UsageIndex] = true;

        VertexElement* target = nullptr;
        if (e.Usage == D3DDECLUSAGE_POSITION && e.UsageIndex == 0) {
            target = &out.position;
        } else if (e.Usage == D3DDECLUSAGE_POSITIONT && e.UsageIndex == 0) {
            target = &out.position;
            out.pretransformed = true;
        } else if (e.Usage == D3DDECLUSAGE_COLOR && e.UsageIndex == 0) {
            target = &out.diffuse;
        } else if (e.Usage == D3DDECLUSAGE_TEXCOORD && e.UsageIndex < kTexcoordSets) {
            target = &out.texcoord[e.UsageIndex];
        }
        if (target == nullptr) continue;  // read by nothing in the fixed-function pipeline
        if (!Readable(e.Type)) return false;
        Use(out, *target, e.Stream, e.Offset, e.Type);
    }
    // A declaration with both POSITION and POSITIONT is malformed.
    return !(seen[D3DDECLUSAGE_POSITION][0] && seen[D3DDECLUSAGE_POSITIONT][0]);
}

UINT VertexLayout::FvfVertexSize(DWORD fvf) {
    // Buffers may describe a single attribute (D3DFVF_TEX1 alone), so no position is needed.
    UINT size = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
        case D3DFVF_XYZ:
            size = 12;
            break;
        case D3DFVF_XYZRHW:
        case D3DFVF_XYZW:
            size = 16;
            break;
        case D3DFVF_XYZB1:
        case D3DFVF_XYZB2:
        case D3DFVF_XYZB3:
        case D3DFVF_XYZB4:
        case D3DFVF_XYZB5:
            size = 12 + 4 * (((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZRHW) / 2);
            break;
        default:
            break;
    }
    if (fvf & D3DFVF_NORMAL) size += 12;
    if (fvf & D3DFVF_PSIZE) size += 4;
    if (fvf & D3DFVF_DIFFUSE) size += 4;
    if (fvf & D3DFVF_SPECULAR) size += 4;
    const UINT sets = std::min<UINT>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8);
    static constexpr UINT kSetBytes[] = {8, 12, 16, 4};
    for (UINT i = 0; i < sets; ++i)
        size += kSetBytes[(fvf >> (16 + 2 * i)) & 3];
    return size;
}

bool VertexLayout::FromFvf(DWORD fvf, VertexLayout& out) {
    out = VertexLayout{};
    UINT offset = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
        case D3DFVF_XYZ:
            Use(out, out.position, 0, 0, D3DDECLTYPE_FLOAT3);
            offset = 12;
            break;
        case D3DFVF_XYZRHW:
            Use(out, out.position, 0, 0, D3DDECLTYPE_FLOAT4);
            out.pretransformed = true;
            offset = 16;
            break;
        case D3DFVF_XYZW:
            Use(out, out.position, 0, 0, D3DDECLTYPE_FLOAT4);
            offset = 16;
            break;
        case D3DFVF_XYZB1:
        case D3DFVF_XYZB2:
        case D3DFVF_XYZB3:
        case D3DFVF_XYZB4:
        case D3DFVF_XYZB5: {
            // Blend weights follow the position; the device does no vertex blending.
            const UINT weights = ((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZRHW) / 2;
            Use(out, out.position, 0, 0, D3DDECLTYPE_FLOAT3);
            offset = 12 + 4 * weights;
            break;
        }
        default:
            return false;
    }
    if (fvf & D3DFVF_NORMAL) offset += 12;
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        Use(out, out.diffuse, 0, offset, D3DDECLTYPE_D3DCOLOR);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) offset += 4;
    const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets > kTexcoordSets) return false;
    for (UINT i = 0; i < sets; ++i) {
        static constexpr BYTE kTypes[] = {D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3,
                                          D3DDECLTYPE_FLOAT4, D3DDECLTYPE_FLOAT1};
        const BYTE type = kTypes[(fvf >> (16 + 2 * i)) & 3];
        Use(out, out.texcoord[i], 0, offset, type);
        offset += TypeSize(type);
    }
    // Bits above the texture-coordinate formats, and the reserved bits, are invalid.
    const DWORD formatBits = sets == 0 ? 0 : ((1u << (2 * sets)) - 1) << 16;
    const DWORD known = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE |
                        D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK | D3DFVF_LASTBETA_UBYTE4 |
                        D3DFVF_LASTBETA_D3DCOLOR | formatBits;
    if (fvf & ~known) return false;
    out.streamBytes[0] = offset;
    return true;
}
