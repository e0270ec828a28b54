#include "ReadWholeFile.h"

#include <cstdio>

#include "OpenFile.h"

namespace MobilantModule {

bool readWholeFile(const char* fileName, std::string& bytes) {
    bytes.clear();
    if (fileName == nullptr) return false;
    std::FILE* file = OpenUtf8File(fileName, "rb");
    if (file == nullptr) return false;
    // Read in chunks rather than asking for the size first: no 2 GB limit of ftell on
    // 32-bit Windows, and it works on pipes too.
    char chunk[64 * 1024];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.append(chunk, count);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) bytes.clear();
    return !failed;
}

}  // namespace MobilantModule
