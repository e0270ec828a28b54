#pragma once

#include "JsonDocument.h"
#include "JsonStatus.h"

namespace MobilantModule {

// Reads the file `fileName` whole and parses it into `document`. A file that cannot be read
// parses as an empty text. On any status but Ok it writes
// "LoadMobilantJSONData() - Error parsing JSON!" to standard output and the document's
// root is null.
JsonStatus LoadMobilantJSONData(const char* fileName, JsonDocument& document);

}  // namespace MobilantModule
