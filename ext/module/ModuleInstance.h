// The plug-in's own module, whose string, menu and picture resources the editor reads.
#pragma once

#include <windows.h>

// The module instance handle the entry routine kept on process attach; null before.
HINSTANCE ModuleInstance();
