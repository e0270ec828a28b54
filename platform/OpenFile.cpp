#include "OpenFile.h"

#include <string>

#include "WideStrings.h"

#ifdef _WIN32
namespace {

std::wstring WideMode(const char* mode) {
    std::wstring wide;
    for (; *mode != '\0'; ++mode) wide.push_back(static_cast<wchar_t>(*mode));
    return wide;
}

}  // namespace
#endif

std::FILE* OpenUtf8File(const char* name, const char* mode) {
    if (name == nullptr || mode == nullptr) return nullptr;
#ifdef _WIN32
    std::wstring wide;
    if (!WidenFileName(name, wide)) return nullptr;
    return _wfopen(wide.c_str(), WideMode(mode).c_str());
#else
    return std::fopen(name, mode);
#endif
}

std::FILE* OpenWideFile(const wchar_t* name, const char* mode) {
    if (name == nullptr || mode == nullptr) return nullptr;
#ifdef _WIN32
    return _wfopen(name, WideMode(mode).c_str());
#else
    std::string narrow;
    if (!NarrowFileName(name, narrow)) return nullptr;
    return std::fopen(narrow.c_str(), mode);
#endif
}
