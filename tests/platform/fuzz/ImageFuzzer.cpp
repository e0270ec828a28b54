// Image files of any content decode or are refused, never crash.
#include <cstddef>
#include <cstdint>
#include <span>

#include "ImageDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DecodedImage image;
    // A small size limit keeps the fuzzer from decoding gigabyte pictures.
    if (DecodeImage(std::span<const unsigned char>(data, size), 512, image)) {
        if (image.texels.size() != std::size_t{image.width} * image.height) __builtin_trap();
    }
    return 0;
}
