// Conversions between the host's wide strings and the narrow strings of names
// and file names, through the C library's conversion of the current locale.
#pragma once

#include <cstddef>
#include <string>

// Host strings become at most this many bytes when narrowed.
inline constexpr std::size_t kMaxNarrowBytes = 255;

// Narrows `text` (null: empty) with the current locale, stopping before the
// first character that does not fit into `maxBytes` or has no narrow form; a
// character is never split.
std::string NarrowWideString(const wchar_t* text, std::size_t maxBytes);

// Narrows a name or file name handed over by the host: at most kMaxNarrowBytes.
std::string NarrowHostString(const wchar_t* text);

// Widens `text` (null: empty) with the current locale; a byte that starts no
// valid character becomes '?'.
std::wstring WidenNarrowString(const char* text);

// `pattern` with every "%S" replaced by the widened `name`, e.g.
// FormatWithName(L"Animation [ %S ] does not exist", "walk"). No printf is
// involved, since %S means a narrow string to Microsoft and a wide one to glibc.
std::wstring FormatWithName(const wchar_t* pattern, const char* name);

// Narrows a file name with the current locale; false when a character has no
// narrow form (the name would open a different file) or it exceeds 4096 bytes.
bool NarrowFileName(const wchar_t* name, std::string& out);
