#pragma once

#include <string>

#include "GenModel.h"

// Writes `image` as an RGBA PNG; returns false when the file cannot be written.
bool writePng(const std::string& path, const RgbaImage& image);
