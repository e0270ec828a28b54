// Writes the plug-in's resources from the resource table (ResourceTable.h) in the forms the
// resource compiler reads: a resource script, a BMP file per picture and the raw data resource.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "ResourceTable.h"

// A text the resource script cannot hold (only printable ASCII is written).
class ResourceTextError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `text` as a quoted resource-script string: quotes doubled, backslashes escaped. Throws
// ResourceTextError for anything but printable ASCII.
std::string QuoteResourceText(const std::string& text);

// The BMP file of `bitmap`: file header, 40-byte information header, the 256-entry palette and
// the rows bottom up, each padded to 4 bytes.
std::vector<std::uint8_t> BitmapFile(const BitmapResource& bitmap);

// The file name the script gives picture `id` and the data resource.
std::string BitmapFileName(std::uint16_t id);
inline constexpr const char* kDataFileName = "data200.bin";

// The resource script: the string table, menus 20000 and 20002 (each one pop-up holding its
// tree), the pictures and the data resource, read from `directory` (written as given).
std::string ResourceScriptText(const std::string& directory);

// Writes the script as `directory`/mobilant.rc beside the picture and data files. Throws
// std::runtime_error when a file cannot be written.
void WriteResourceFiles(const std::string& directory);
