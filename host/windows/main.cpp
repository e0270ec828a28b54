// mobilant-host [--no-direct3d] [--frames DIR] [--plugin FILE] SCENE
//
// The headless host on Windows. It plays the same scene scripts as the Linux host (see
// ScenePlayer.h), but drives the built plug-in as the game maker does: mobilant.mfx (beside
// this program unless --plugin names another) is loaded with LoadLibrary, its entry points are
// found by name and its routines through GetRunObjectInfos, and it draws through the surface
// services of MMFS2.dll, here our stand-in with a real Direct3D 9 device. The plug-in's message
// boxes are printed on the output as on Linux. Exit status as on Linux: 0 played, 1 an
// expectation failed, 2 a script error, bad arguments or a plug-in that cannot be loaded.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "MessageBoxes.h"
#include "OpenFile.h"
#include "PluginModule.h"
#include "ScenePlayer.h"
#include "WideStrings.h"

namespace {

int Usage() {
    std::cerr << "usage: mobilant-host [--no-direct3d] [--frames DIR] [--plugin FILE] SCENE\n"
                 "  --no-direct3d  the host's surfaces are not Direct3D 9: nothing is drawn\n"
                 "  --frames DIR   every game loop's frame into DIR/0001.png, 0002.png, ...\n"
                 "  --plugin FILE  the plug-in to load (default: mobilant.mfx beside this program)\n";
    return ScenePlayer::kScriptError;
}

bool ReadScript(const char* path, std::string& text) {
    std::FILE* file = std::strcmp(path, "-") == 0 ? stdin : OpenUtf8File(path, "rb");
    if (file == nullptr) return false;
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    const bool ok = std::ferror(file) == 0;
    if (file != stdin) std::fclose(file);
    return ok;
}

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length < MAX_PATH ? length : 0);
    const std::size_t slash = directory.find_last_of(L"\\/");
    directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return directory + name;
}

// Where the plug-in's calls of MessageBoxW arrive: recorded and printed by this program's own
// message boxes, never shown as a dialog nobody would click.
int WINAPI PluginMessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    return ShowMessageBox(text != nullptr ? text : L"", caption != nullptr ? caption : L"");
}

}  // namespace

int main(int argc, char** argv) {
    // The same bytes as the Linux host writes: no carriage returns added.
    _setmode(_fileno(stdout), _O_BINARY);
    HeadlessHost::Options options;
    const char* scene = nullptr;
    std::string frames;
    std::wstring pluginPath = BesideThisProgram(L"mobilant.mfx");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-direct3d") == 0) {
            options.direct3D9 = false;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = argv[++i];
        } else if (std::strcmp(argv[i], "--plugin") == 0 && i + 1 < argc) {
            pluginPath = WidenNarrowString(argv[++i]);
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Usage();
        } else if (scene == nullptr) {
            scene = argv[i];
        } else {
            return Usage();
        }
    }
    if (scene == nullptr) return Usage();
    std::string text;
    if (!ReadScript(scene, text)) {
        std::cerr << "mobilant-host: cannot read " << scene << '\n';
        return ScenePlayer::kScriptError;
    }

    // The plug-in calls MessageBoxW unless told not to; it is told to, and its calls come here.
    SetMessageBoxDialogs(false);
    _putenv("MOBILANT_NO_DIALOGS=0");
    std::string error;
    std::unique_ptr<PluginModule> plugin = PluginModule::Load(pluginPath, error);
    if (plugin == nullptr || !plugin->EntryPoints().Complete()) {
        std::cerr << "mobilant-host: " << NarrowWideString(pluginPath.c_str(), std::string::npos)
                  << ": " << (plugin == nullptr ? error : "entry points missing") << '\n';
        return ScenePlayer::kScriptError;
    }
    if (!plugin->InterceptMessageBoxes(&PluginMessageBox)) {
        std::cerr << "mobilant-host: the plug-in does not import MessageBoxW\n";
        return ScenePlayer::kScriptError;
    }

    // Standard output carries the plug-in's own diagnostics as well as the scene's lines: one
    // stream (the C runtime's, which the plug-in shares), in order.
    std::ios::sync_with_stdio(true);
    ScenePlayer player(std::cout, std::cerr, plugin->EntryPoints(), options);
    player.WriteFramesTo(frames);
    const int status = player.Play(text, scene);
    std::fflush(stdout);
    return status;
}
