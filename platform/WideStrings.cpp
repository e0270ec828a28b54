#include "WideStrings.h"

#include <cstring>

namespace {

constexpr char32_t kNotACharacter = 0xFFFFFFFF;

// The code point starting at text[i], advancing i past it; kNotACharacter for an unpaired
// surrogate or a value beyond U+10FFFF.
char32_t NextCodePoint(const wchar_t* text, std::size_t& i) {
    char32_t c = static_cast<char32_t>(text[i++]);
    if constexpr (sizeof(wchar_t) == 2) {
        c &= 0xFFFF;
        if (c >= 0xD800 && c < 0xDC00) {
            const char32_t low = static_cast<char32_t>(text[i]) & 0xFFFF;
            if (low < 0xDC00 || low >= 0xE000) return kNotACharacter;
            ++i;
            return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return kNotACharacter;
    return c;
}

// Appends the UTF-8 form of `c` to `out` unless it would exceed `maxBytes`; false then.
bool AppendUtf8(char32_t c, std::size_t maxBytes, std::string& out) {
    char bytes[4];
    std::size_t n;
    if (c < 0x80) {
        bytes[0] = static_cast<char>(c);
        n = 1;
    } else if (c < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | (c >> 6));
        bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
        n = 2;
    } else if (c < 0x10000) {
        bytes[0] = static_cast<char>(0xE0 | (c >> 12));
        bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
        n = 3;
    } else {
        bytes[0] = static_cast<char>(0xF0 | (c >> 18));
        bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
        n = 4;
    }
    if (out.size() + n > maxBytes) return false;
    out.append(bytes, n);
    return true;
}

void AppendWide(char32_t c, std::wstring& out) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(c));
}

// The code point of the UTF-8 sequence at text[0..length), and its length in `used`; 0 used
// for a byte that starts no valid (shortest-form, in-range, non-surrogate) sequence.
char32_t DecodeUtf8(const unsigned char* text, std::size_t length, std::size_t& used) {
    used = 0;
    const unsigned char lead = text[0];
    std::size_t n;
    char32_t c;
    char32_t minimum;
    if (lead < 0x80) {
        used = 1;
        return lead;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        n = 2, c = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        n = 3, c = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        n = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (length < n) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((text[k] & 0xC0) != 0x80) return 0;
        c = (c << 6) | (text[k] & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return 0;
    used = n;
    return c;
}

}  // namespace

std::string NarrowWideString(const wchar_t* text, std::size_t maxBytes) {
    std::string out;
    if (text == nullptr) return out;
    for (std::size_t i = 0; text[i] != L'\0';) {
        const char32_t c = NextCodePoint(text, i);
        if (c == kNotACharacter || !AppendUtf8(c, maxBytes, out)) break;
    }
    return out;
}

std::string NarrowHostString(const wchar_t* text) {
    return NarrowWideString(text, kMaxNarrowBytes);
}

std::wstring WidenNarrowString(const char* text) {
    std::wstring out;
    if (text == nullptr) return out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < length;) {
        std::size_t used = 0;
        const char32_t c = DecodeUtf8(bytes + i, length - i, used);
        if (used == 0) {
            out.push_back(L'?');
            ++i;
            continue;
        }
        AppendWide(c, out);
        i += used;
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
    for (std::size_t i = 0; name[i] != L'\0';) {
        const char32_t c = NextCodePoint(name, i);
        if (c == kNotACharacter || !AppendUtf8(c, kMaxPathBytes, out)) {
            out.clear();
            return false;
        }
    }
    return true;
}

bool WidenFileName(const char* name, std::wstring& out) {
    out.clear();
    if (name == nullptr) return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(name);
    const std::size_t length = std::strlen(name);
    for (std::size_t i = 0; i < length;) {
        std::size_t used = 0;
        const char32_t c = DecodeUtf8(bytes + i, length - i, used);
        if (used == 0) {
            out.clear();
            return false;
        }
        AppendWide(c, out);
        i += used;
    }
    return true;
}
