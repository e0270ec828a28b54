// The stb_image decoder, configured for the formats textures come in. Its
// implementation is compiled once, in StbImage.cpp.
#pragma once

#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384

#include <stb_image.h>
