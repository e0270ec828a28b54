#include "PngFile.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_SIMD
#include <stb/stb_image_write.h>

bool writePng(const std::string& path, const RgbaImage& image) {
    return stbi_write_png(path.c_str(), image.width, image.height, 4, image.pixels.data(),
                          image.width * 4) != 0;
}
