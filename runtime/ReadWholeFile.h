#pragma once

#include <string>

namespace MobilantModule {

// Reads the whole file named `fileName` (a narrow name, as the C library takes it) into
// `bytes`. False, with `bytes` empty, when the file cannot be opened or read.
bool readWholeFile(const char* fileName, std::string& bytes);

}  // namespace MobilantModule
