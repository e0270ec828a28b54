#include "ImageDecoder.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "StbImage.h"

namespace {

// Where a JPEG's start-of-image marker ends: stb_image takes 0xFF, any more
// 0xFF fill bytes, then 0xD8. 0 when the data does not start so.
std::size_t JpegStart(std::span<const unsigned char> b) {
    if (b.empty() || b[0] != 0xFF) return 0;
    std::size_t at = 1;
    while (at < b.size() && b[at] == 0xFF)
        ++at;
    return at < b.size() && b[at] == 0xD8 ? at + 1 : 0;
}

// The format stb_image will read the data as.
D3DXIMAGE_FILEFORMAT DetectFormat(std::span<const unsigned char> b) {
    if (JpegStart(b) != 0) return D3DXIFF_JPG;
    if (b.size() >= 4 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') {
        return D3DXIFF_PNG;
    }
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return D3DXIFF_BMP;
    return D3DXIFF_TGA;  // TGA has no signature
}

std::uint32_t Little16(std::span<const unsigned char> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

std::uint32_t Little32(std::span<const unsigned char> b, std::size_t at) {
    return Little16(b, at) | (Little16(b, at + 2) << 16);
}

// stb_image reads past the end of a file as zeros instead of failing, so a
// truncated file would load as a damaged picture, and it trusts some header
// fields it should not. These checks make sure the file holds all the data its
// headers announce, and that those headers are safe to hand to stb_image.
bool HoldsPngChunks(std::span<const unsigned char> b) {
    // Every chunk whole (length, type, data, checksum) up to and including IEND.
    for (std::uint64_t at = 8; at + 12 <= b.size();) {
        const std::uint64_t length =
            (std::uint64_t{b[at]} << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
        if (at + 12 + length > b.size()) return false;
        if (std::memcmp(&b[at + 4], "IEND", 4) == 0) return true;
        at += 12 + length;
    }
    return false;
}

bool HoldsBmpPixels(std::span<const unsigned char> b, std::uint64_t width, std::uint64_t height) {
    if (b.size() < 30) return false;
    const std::uint32_t headerSize = Little32(b, 14);
    const std::uint64_t bitsPerPixel = headerSize == 12 ? Little16(b, 24) : Little16(b, 28);
    const std::uint64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    return Little32(b, 10) + rowBytes * height <= b.size();
}

bool HoldsTgaPixels(std::span<const unsigned char> b, std::uint64_t width, std::uint64_t height) {
    if (b.size() < 18) return false;
    const std::uint64_t pixelBytes = (b[16] + 7u) / 8;
    std::uint64_t at = 18 + b[0];
    if (b[1] == 1) at += Little16(b, 5) * std::uint64_t{(b[7] + 7u) / 8};  // colour map
    const std::uint64_t pixels = width * height;
    if (b[2] < 8) return at + pixels * pixelBytes <= b.size();
    // Run-length packets: a header byte, then one pixel for a run or `count` raw pixels.
    for (std::uint64_t done = 0; done < pixels;) {
        if (at >= b.size()) return false;
        const unsigned header = b[at++];
        const std::uint64_t count = (header & 0x7F) + 1;
        at += (header & 0x80) ? pixelBytes : count * pixelBytes;
        if (at > b.size()) return false;
        done += count;
    }
    return true;
}

// Huffman tables defined so far, by class (0 DC, 1 AC) and slot (0 to 3).
using HuffmanTablesDefined = bool[2][4];

// A Huffman table segment: class and slot in range, at most 256 codes each.
// stb_image 2.27 trusts the code count and writes past its tables otherwise.
bool SafeHuffmanTables(std::span<const unsigned char> p, HuffmanTablesDefined& defined) {
    while (!p.empty()) {
        const unsigned tableClass = p[0] >> 4;
        const unsigned slot = p[0] & 15;
        if (tableClass > 1 || slot > 3 || p.size() < 17) return false;
        std::size_t codes = 0;
        for (int i = 1; i <= 16; ++i)
            codes += p[i];
        if (codes > 256 || p.size() < 17 + codes) return false;
        defined[tableClass][slot] = true;
        p = p.subspan(17 + codes);
    }
    return true;
}

// A scan header whose components use only defined Huffman tables: stb_image
// 2.27 decodes with uninitialised tables otherwise, and indexes far outside
// them. A progressive scan needs DC tables in a first DC pass (spectral start
// 0, no successive approximation) and AC tables in AC passes; a sequential
// scan needs both.
bool ScanTablesDefined(std::span<const unsigned char> p, const HuffmanTablesDefined& defined,
                       bool progressive) {
    if (p.empty()) return false;
    const std::size_t components = p[0];
    if (p.size() < 1 + 2 * components + 3) return false;
    const unsigned spectralStart = p[1 + 2 * components];
    const unsigned approximationHigh = p[3 + 2 * components] >> 4;
    const bool needsDc = !progressive || (spectralStart == 0 && approximationHigh == 0);
    const bool needsAc = !progressive || spectralStart != 0;
    for (std::size_t i = 0; i < components; ++i) {
        const unsigned dc = p[2 + 2 * i] >> 4;
        const unsigned ac = p[2 + 2 * i] & 15;
        if (dc > 3 || ac > 3 || (needsDc && !defined[0][dc]) || (needsAc && !defined[1][ac])) {
            return false;
        }
    }
    return true;
}

bool SafeJpegSegments(std::span<const unsigned char> b) {
    // Walks the markers up to the end of the image, which must follow a scan.
    // Entropy-coded data never holds a marker: its 0xFF bytes are followed by
    // 0x00 (stuffing) or a restart marker.
    HuffmanTablesDefined tables = {};
    bool progressive = false;
    bool scanned = false;
    for (std::size_t at = JpegStart(b); at + 1 < b.size();) {
        if (b[at] != 0xFF) {
            ++at;
            continue;
        }
        const unsigned marker = b[at + 1];
        if (marker == 0x00 || marker == 0xFF) {
            ++at;
        } else if (marker == 0xD9) {
            return scanned;
        } else if ((marker >= 0xD0 && marker <= 0xD8) || marker == 0x01) {
            at += 2;  // markers without a segment
        } else {
            if (at + 4 > b.size()) return false;
            const std::size_t length = (b[at + 2] << 8) | b[at + 3];
            if (length < 2 || at + 2 + length > b.size()) return false;
            const std::span<const unsigned char> segment = b.subspan(at + 4, length - 2);
            if (marker == 0xC4 && !SafeHuffmanTables(segment, tables)) return false;
            if (marker == 0xDA && !ScanTablesDefined(segment, tables, progressive)) return false;
            progressive |= marker == 0xC2;
            scanned |= marker == 0xDA;
            at += 2 + length;
        }
    }
    return false;
}

bool HoldsWholeImage(std::span<const unsigned char> file, D3DXIMAGE_FILEFORMAT format, int width,
                     int height) {
    switch (format) {
        case D3DXIFF_BMP:
            return HoldsBmpPixels(file, width, height);
        case D3DXIFF_TGA:
            return HoldsTgaPixels(file, width, height);
        case D3DXIFF_JPG:
            return true;  // checked before stb_image reads the header
        default:
            return HoldsPngChunks(file);
    }
}

struct PixelsDeleter {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

}  // namespace

bool DecodeImage(std::span<const unsigned char> file, UINT maxSize, DecodedImage& out) {
    out = DecodedImage{};
    if (file.empty() || file.size() > kMaxImageFileBytes) return false;
    const int length = static_cast<int>(file.size());
    // Even reading a JPEG's size parses its tables: check them first.
    const D3DXIMAGE_FILEFORMAT format = DetectFormat(file);
    if (format == D3DXIFF_JPG && !SafeJpegSegments(file)) return false;
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(file.data(), length, &width, &height, &channels) || width <= 0 ||
        height <= 0 || static_cast<UINT>(width) > maxSize || static_cast<UINT>(height) > maxSize) {
        return false;
    }
    if (!HoldsWholeImage(file, format, width, height)) return false;

    int decodedWidth = 0;
    int decodedHeight = 0;
    std::unique_ptr<stbi_uc, PixelsDeleter> rgba(
        stbi_load_from_memory(file.data(), length, &decodedWidth, &decodedHeight, &channels, 4));
    if (rgba == nullptr || decodedWidth != width || decodedHeight != height) return false;

    out.width = static_cast<UINT>(width);
    out.height = static_cast<UINT>(height);
    out.hasAlpha = channels == 2 || channels == 4;
    out.fileFormat = format;
    out.texels.resize(static_cast<std::size_t>(width) * height);
    const stbi_uc* p = rgba.get();
    for (D3DCOLOR& texel : out.texels) {
        texel = D3DCOLOR_ARGB(p[3], p[0], p[1], p[2]);
        p += 4;
    }
    return true;
}
