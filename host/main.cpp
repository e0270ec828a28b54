// mobilant-host [--no-direct3d] [--frames DIR] SCENE
//
// Plays a scene script on the headless host with the extension linked in, as the game maker
// would run it: see ScenePlayer.h for the script. Exit status 0 when it played and every
// expectation held, 1 when an expectation failed, 2 for a script error or bad arguments.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "LinkedExtension.h"
#include "OpenFile.h"
#include "ScenePlayer.h"

namespace {

int Usage() {
    std::cerr << "usage: mobilant-host [--no-direct3d] [--frames DIR] SCENE\n"
                 "  --no-direct3d  the host's surfaces are not Direct3D 9: nothing is drawn\n"
                 "  --frames DIR   every game loop's frame into DIR/0001.png, 0002.png, ...\n";
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

}  // namespace

int main(int argc, char** argv) {
    HeadlessHost::Options options;
    const char* scene = nullptr;
    std::string frames;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-direct3d") == 0) {
            options.direct3D9 = false;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = argv[++i];
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
    // Standard output carries the extension's own diagnostics (puts) as well as the scene's
    // lines: one stream, in order.
    std::ios::sync_with_stdio(true);
    ScenePlayer player(std::cout, std::cerr, LinkedExtension(), options);
    player.WriteFramesTo(frames);
    return player.Play(text, scene);
}
