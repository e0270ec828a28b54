#include "PluginModule.h"

#include <cstring>

namespace {

template <class Function>
void Find(HMODULE module, const char* name, Function& out) {
    out = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::unique_ptr<PluginModule> PluginModule::Load(const std::wstring& path, std::string& error) {
    const HMODULE module = LoadLibraryW(path.c_str());
    if (module == nullptr) {
        error = "cannot load the plug-in (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    std::unique_ptr<PluginModule> plugin(new PluginModule(module));
    ExtensionEntryPoints& e = plugin->entryPoints_;
    Find(module, "GetInfos", e.GetInfos);
    Find(module, "GetRunObjectInfos", e.GetRunObjectInfos);
    Find(module, "GetRunObjectDataSize", e.GetRunObjectDataSize);
    Find(module, "CreateRunObject", e.CreateRunObject);
    Find(module, "DestroyRunObject", e.DestroyRunObject);
    Find(module, "HandleRunObject", e.HandleRunObject);
    Find(module, "DisplayRunObject", e.DisplayRunObject);
    Find(module, "PauseRunObject", e.PauseRunObject);
    Find(module, "ContinueRunObject", e.ContinueRunObject);
    Find(module, "StartApp", e.StartApp);
    Find(module, "EndApp", e.EndApp);
    Find(module, "StartFrame", e.StartFrame);
    Find(module, "EndFrame", e.EndFrame);
    Find(module, "Initialize", e.Initialize);
    Find(module, "Free", e.Free);
    return plugin;
}

PluginModule::~PluginModule() {
    FreeLibrary(module_);
}

bool PluginModule::InterceptMessageBoxes(MessageBoxFunction box) {
    return ReplaceImport(module_, "USER32.dll", "MessageBoxW", reinterpret_cast<void*>(box));
}

bool ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (base == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return false;
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return false;
    for (auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        if (_stricmp(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0) continue;
        // The names are in the lookup table; the addresses the loader wrote, beside them.
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base + (descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk
                                                        : descriptor->FirstThunk));
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection = 0;
            if (!VirtualProtect(&addresses->u1.Function, sizeof addresses->u1.Function,
                                PAGE_READWRITE, &protection))
                return false;
            addresses->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&addresses->u1.Function, sizeof addresses->u1.Function, protection,
                           &protection);
            return true;
        }
    }
    return false;
}
