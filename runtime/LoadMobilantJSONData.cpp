#include "LoadMobilantJSONData.h"

#include <cstdio>
#include <string>

#include "ReadWholeFile.h"

namespace MobilantModule {

JsonStatus LoadMobilantJSONData(const char* fileName, JsonDocument& document) {
    std::string bytes;
    readWholeFile(fileName, bytes);  // an unreadable file is an empty text, which fails below
    const JsonStatus status = document.parseText(bytes);
    if (status != JsonStatus::Ok) {
        std::fputs("LoadMobilantJSONData() - Error parsing JSON!\n", stdout);
        std::fflush(stdout);
    }
    return status;
}

}  // namespace MobilantModule
