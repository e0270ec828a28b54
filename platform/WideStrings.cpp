#include "WideStrings.h"

#include <climits>
#include <cstring>
#include <cwchar>

std::string NarrowWideString(const wchar_t* text, std::size_t maxBytes) {
    std::string out;
    if (text == nullptr) return out;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (; *text != L'\0'; ++text) {
        const std::size_t n = std::wcrtomb(bytes, *text, &state);
        if (n == static_cast<std::size_t>(-1) || out.size() + n > maxBytes) break;
        out.append(bytes, n);
    }
    return out;
}

std::string NarrowHostString(const wchar_t* text) {
    return NarrowWideString(text, kMaxNarrowBytes);
}

std::wstring WidenNarrowString(const char* text) {
    std::wstring out;
    if (text == nullptr) return out;
    std::mbstate_t state{};
    const char* end = text + std::strlen(text);
    while (text < end) {
        wchar_t c = L'\0';
        const std::size_t n = std::mbrtowc(&c, text, static_cast<std::size_t>(end - text), &state);
        if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2) || n == 0) {
            out.push_back(L'?');
            state = std::mbstate_t{};
            ++text;
            continue;
        }
        out.push_back(c);
        text += n;
    }
    return out;
}

std::wstring FormatWithName(const wchar_t* pattern, const char* name) {
    std::wstring out;
    if (pattern == nullptr) return out;
    const std::wstring wideName = WidenNarrowString(name);
    for (const wchar_t* p = pattern; *p != L'\0'; ++p) {
        if (p[0] == L'%' && p[1] == L'S') {
            out += wideName;
            ++p;
        } else {
            out.push_back(*p);
        }
    }
    return out;
}

bool NarrowFileName(const wchar_t* name, std::string& out) {
    out.clear();
    if (name == nullptr) return false;
    constexpr std::size_t kMaxPathBytes = 4096;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (; *name != L'\0'; ++name) {
        const std::size_t n = std::wcrtomb(bytes, *name, &state);
        if (n == static_cast<std::size_t>(-1) || out.size() + n > kMaxPathBytes) return false;
        out.append(bytes, n);
    }
    return true;
}
