// Opening files by the names the game gives: UTF-8 inside the extension, wide from the host.
// On Windows both open through the wide name, so a path in any script opens whatever the
// process's code page; elsewhere file names are UTF-8 bytes already.
#pragma once

#include <cstdio>

// fopen of the UTF-8 file name `name` with `mode` ("rb", "rt", ...); null when it cannot be
// opened or the name is not valid UTF-8.
std::FILE* OpenUtf8File(const char* name, const char* mode);

// fopen of the host's wide file name `name` with `mode`; null when it cannot be opened.
std::FILE* OpenWideFile(const wchar_t* name, const char* mode);
