// Conversions between the host's wide strings (UTF-16 on Windows, where wchar_t is 2 bytes;
// UTF-32 elsewhere) and the UTF-8 of names and file names. Model and meta files are UTF-8
// JSON, so clip, swap and region names from the game must reach them as UTF-8 whatever the
// process locale is (a host running in the C locale would lose every non-ASCII character).
#pragma once

#include <cstddef>
#include <string>

// Host strings become at most this many bytes when narrowed.
inline constexpr std::size_t kMaxNarrowBytes = 255;

// `text` (null: empty) in UTF-8, stopping before the first character that does not fit into
// `maxBytes` or is not a character (an unpaired surrogate); a character is never split.
std::string NarrowWideString(const wchar_t* text, std::size_t maxBytes);

// Narrows a name or file name handed over by the host: UTF-8, at most kMaxNarrowBytes.
std::string NarrowHostString(const wchar_t* text);

// `text` (null: empty) decoded from UTF-8; a byte that starts no valid sequence becomes '?'.
std::wstring WidenNarrowString(const char* text);

// `pattern` with every "%S" replaced by the widened `name`, e.g.
// FormatWithName(L"Animation [ %S ] does not exist", "walk"). No printf is
// involved, since %S means a narrow string to Microsoft and a wide one to glibc.
std::wstring FormatWithName(const wchar_t* pattern, const char* name);

// The whole file name in UTF-8; false when it holds something that is not a character (the
// name would open a different file) or exceeds 4096 bytes.
bool NarrowFileName(const wchar_t* name, std::string& out);

// The UTF-8 file name `name` as a wide string; false when it is not valid UTF-8 (decoding
// it loosely would open a different file).
bool WidenFileName(const char* name, std::wstring& out);
