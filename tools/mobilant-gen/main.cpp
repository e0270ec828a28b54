// mobilant-gen: writes the sample models in the exporter's JSON format.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "MetaJson.h"
#include "ModelJson.h"
#include "Models.h"
#include "PngFile.h"
#include "Preview.h"

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "usage: mobilant-gen MODEL... OUT_DIR\n"
    "       mobilant-gen --preview MODEL OUT_DIR\n"
    "\n"
    "MODEL is tiny, character, stress or all. Writes OUT_DIR/MODEL.json and, for\n"
    "a model with a texture and meta data (character), OUT_DIR/MODEL.png and\n"
    "OUT_DIR/MODEL.meta.json. The output is the same on every run.\n"
    "\n"
    "--preview draws OUT_DIR/MODEL-preview.png instead: one row per clip (in the\n"
    "file's order), six frames of the clip per row, skinned in software, with the\n"
    "bones as red lines, in the view x -4..4, y -3..3.\n";

// Writes through a temporary file so that a failed run leaves no half-written output.
void writeFile(const fs::path& path, const std::string& text) {
    const fs::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out) throw std::runtime_error("cannot write " + temporary.string());
    }
    fs::rename(temporary, path);
}

void writePngFile(const fs::path& path, const RgbaImage& image) {
    const fs::path temporary = path.string() + ".tmp";
    if (!writePng(temporary.string(), image))
        throw std::runtime_error("cannot write " + temporary.string());
    fs::rename(temporary, path);
}

void generate(std::string_view name, const fs::path& outDir) {
    const GenModel model = makeModel(name);
    checkModel(model);
    const fs::path json = outDir / (std::string(name) + ".json");
    writeFile(json, modelToJson(model));
    std::printf("%s: %zu points, %zu bones, %zu regions, %zu clips\n", json.string().c_str(),
                model.points.size(), model.bones.size(), model.regions.size(), model.clips.size());
    if (model.texture.width > 0) writePngFile(outDir / (std::string(name) + ".png"), model.texture);
    if (model.hasMeta) {
        checkMeta(model);
        writeFile(outDir / (std::string(name) + ".meta.json"), metaToJson(model));
    }
}

void preview(std::string_view name, const fs::path& outDir) {
    const GenModel model = makeModel(name);
    checkModel(model);
    constexpr int kTileWidth = 320, kTileHeight = 240, kColumns = 6;
    RgbaImage sheet;
    sheet.width = kTileWidth * kColumns;
    sheet.height = kTileHeight * static_cast<int>(model.clips.size());
    sheet.pixels.assign(static_cast<std::size_t>(sheet.width) * sheet.height * 4, 255);
    for (std::size_t row = 0; row < model.clips.size(); ++row) {
        const std::vector<ClipKey>& keys = model.clips[row].keys;
        for (int column = 0; column < kColumns; ++column) {
            const std::size_t k =
                keys.size() == 1 ? 0 : column * (keys.size() - 1) / (kColumns - 1);
            if (column > 0 && keys.size() == 1) break;
            pasteImage(sheet, renderPreview(model, keys[k], kTileWidth, kTileHeight),
                       column * kTileWidth, static_cast<int>(row) * kTileHeight);
        }
    }
    writePngFile(outDir / (std::string(name) + "-preview.png"), sheet);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const bool previewMode = args[0] == "--preview";
    if (previewMode) args.erase(args.begin());
    if (args.size() < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const fs::path outDir(args.back());
    args.pop_back();
    std::vector<std::string_view> names;
    for (const std::string_view arg : args) {
        if (arg == "all") {
            names.insert(names.end(), modelNames().begin(), modelNames().end());
        } else {
            names.push_back(arg);
        }
    }
    try {
        fs::create_directories(outDir);
        for (const std::string_view name : names) {
            if (previewMode) {
                preview(name, outDir);
            } else {
                generate(name, outDir);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mobilant-gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
