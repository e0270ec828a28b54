// Image files of any content decode or are refused, never crash; and what DecodeImage says of
// the result holds: a refusal leaves no image behind, a decoded image has the size the limit
// allows, one texel per pixel, the format the file's signature names, opaque texels when the
// file stores no alpha, and decoding the same bytes again gives the same image.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "ImageDecoder.h"

namespace {

constexpr UINT kMaxSize = 512;  // keeps the fuzzer from decoding gigabyte pictures

void check(bool condition) {
    if (!condition) std::abort();
}

// The format a file names by its first bytes: PNG's and BMP's signatures, JPEG's start of
// image (0xFF, any more 0xFF fill bytes, 0xD8); TGA has none.
D3DXIMAGE_FILEFORMAT signatureFormat(std::span<const unsigned char> file) {
    if (file.size() >= 4 && file[0] == 0x89 && file[1] == 'P' && file[2] == 'N' && file[3] == 'G')
        return D3DXIFF_PNG;
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return D3DXIFF_BMP;
    std::size_t at = 0;
    while (at < file.size() && file[at] == 0xFF)
        ++at;
    if (at > 0 && at < file.size() && file[at] == 0xD8) return D3DXIFF_JPG;
    return D3DXIFF_TGA;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const unsigned char> file(data, size);
    DecodedImage image;
    image.width = 3;  // what a previous decode may have left
    image.height = 1;
    image.hasAlpha = true;
    image.texels.assign(3, 0x12345678);
    if (!DecodeImage(file, kMaxSize, image)) {
        check(image.width == 0 && image.height == 0 && !image.hasAlpha && image.texels.empty());
        return 0;
    }
    check(image.width >= 1 && image.width <= kMaxSize);
    check(image.height >= 1 && image.height <= kMaxSize);
    check(image.texels.size() == std::size_t{image.width} * image.height);
    check(image.fileFormat == signatureFormat(file));
    if (!image.hasAlpha) {
        for (const D3DCOLOR texel : image.texels)
            check(texel >> 24 == 0xFF);
    }

    DecodedImage again;
    check(DecodeImage(file, kMaxSize, again));
    check(again.width == image.width && again.height == image.height);
    check(again.hasAlpha == image.hasAlpha && again.fileFormat == image.fileFormat);
    check(again.texels == image.texels);

    // A limit just below the larger side refuses the file.
    const UINT larger = std::max(image.width, image.height);
    DecodedImage limited;
    if (larger > 1) check(!DecodeImage(file, larger - 1, limited));
    return 0;
}
