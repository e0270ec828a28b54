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

// A broken JPEG (a scan that ends before the picture does) leaves parts of the decoder's
// buffers unwritten, and they reach the picture. Zeroed allocations keep whatever the heap
// held out of textures, so a decode depends on the file alone. Growth by realloc is only
// used for data written before it is read.
#include <cstdlib>
#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC(block, size) std::realloc(block, size)
#define STBI_FREE(block) std::free(block)

#include <stb_image.h>
