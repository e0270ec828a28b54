// The plug-in as the game maker loads it: LoadLibrary, the run-time entry points found by their
// names, and the plug-in's message boxes routed to whoever plays the host.
#pragma once

#include <memory>
#include <string>

#include <windows.h>

#include "ExtensionEntryPoints.h"

class PluginModule {
public:
    // Loads the plug-in at `path` (its imports, MMFS2.dll among them, resolved by Windows) and
    // finds its entry points; null, with the reason in `error`, when it cannot be loaded.
    static std::unique_ptr<PluginModule> Load(const std::wstring& path, std::string& error);
    // Unloads the plug-in.
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    HMODULE Handle() const { return module_; }
    // The run-time entry points; Complete() tells whether the host can run it.
    const ExtensionEntryPoints& EntryPoints() const { return entryPoints_; }

    // The plug-in's calls of USER32's MessageBoxW go to `box` instead, as the same arguments;
    // false when the plug-in does not import MessageBoxW.
    using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    bool InterceptMessageBoxes(MessageBoxFunction box);

private:
    explicit PluginModule(HMODULE module) : module_(module) {}

    HMODULE module_;
    ExtensionEntryPoints entryPoints_;
};

// Replaces the address the module at `module` imports `function` from `dll` under (by name),
// in its import address table; false when it imports no such function.
bool ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement);
