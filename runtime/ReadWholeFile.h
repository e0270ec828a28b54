#pragma once

#include <string>

namespace MobilantModule {

// Reads the whole file named `fileName` (UTF-8, opened by its wide name on Windows) into
// `bytes`. False, with `bytes` empty, when the file cannot be opened or read.
bool readWholeFile(const char* fileName, std::string& bytes);

}  // namespace MobilantModule
