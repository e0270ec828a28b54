#include "Inspector.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "ClipSvg.h"
#include "InspectOptions.h"
#include "JsonDocument.h"
#include "JsonLookup.h"
#include "Mobilant.h"
#include "MobilantManager.h"
#include "ModelSummary.h"
#include "ReadWholeFile.h"
#include "ValidateMobilantClip.h"
#include "ValidateMobilantModel.h"

using namespace MobilantModule;

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kBadRequest = 2;

// Line and column (both from 1) of a byte offset into text.
std::string position(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string refusal(const ModelCheck& check) {
    std::string text = "error " + std::to_string(static_cast<int>(check.error)) + ": " +
                       ModelErrorMessage(check.error);
    if (!check.where.empty()) text += ": " + check.where;
    return text;
}

// Checks the document as the game would load it: the model, then every clip. Writes each
// fault to `err`; true when there is none.
bool checkModel(const std::string& fileName, const JsonDocument& document, std::string& err) {
    const ModelCheck model = ValidateMobilantModel(document.getRoot());
    if (!model.Ok()) {
        err += fileName + ": refused: " + refusal(model) + "\n";
        return false;
    }
    bool ok = true;
    const JsonValue animation = memberValue(findMember(document.getRoot(), "animation"));
    for (const std::string& name : memberKeys(animation)) {
        const ModelCheck clip = ValidateMobilantClip(document.getRoot(), name);
        if (clip.Ok()) continue;
        err += fileName + ": clip \"" + name + "\" refused: " + refusal(clip) + "\n";
        ok = false;
    }
    return ok;
}

void appendPoints(std::string& out, const Mobilant& model) {
    const float* points = model.RenderPoints();
    char line[96];
    for (std::int32_t i = 0; i < model.PointCount(); ++i) {
        const int length = std::snprintf(line, sizeof(line), "%.9g %.9g %.9g\n", points[3 * i],
                                         points[3 * i + 1], points[3 * i + 2]);
        out.append(line, static_cast<std::size_t>(length));
    }
}

bool knowsClip(const MobilantManager& manager, const std::string& name, std::string& err) {
    if (manager.Clips().count(name) != 0) return true;
    err += "mobilant-inspect: no clip named \"" + name + "\"; the model has:";
    for (const std::string& known : manager.Model()->ClipNames())
        err += " \"" + known + "\"";
    err += "\n";
    return false;
}

bool writeFile(const std::string& fileName, const std::string& text) {
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int runInspector(const std::vector<std::string>& args, std::string& out, std::string& err) {
    InspectOptions options;
    std::string error;
    if (!parseInspectOptions(args, options, error)) {
        err += "mobilant-inspect: " + error + "\n" + inspectUsage();
        return kBadRequest;
    }
    const std::string& fileName = options.modelFile;
    std::string bytes;
    if (!readWholeFile(fileName.c_str(), bytes)) {
        err += "mobilant-inspect: cannot read " + fileName + "\n";
        return kBadRequest;
    }
    JsonDocument document;
    std::size_t end = 0;
    const JsonStatus status = document.parseText(bytes, &end);
    if (status != JsonStatus::Ok) {
        err += fileName + ": refused: not JSON (" + jsonStatusName(status) + " at " +
               position(bytes, end) + ")\n";
        return kRefused;
    }
    if (!checkModel(fileName, document, err)) return kRefused;

    Mobilant model(document);
    MobilantManager manager(&model);
    for (const std::string& name : model.ClipNames())
        manager.LoadClip(document, name);

    for (const std::string* name :
         {&options.dumpClip, &options.blendFrom, &options.blendTo, &options.svgClip}) {
        if (!name->empty() && !knowsClip(manager, *name, err)) return kBadRequest;
    }
    switch (options.mode) {
        case InspectOptions::Mode::Summary:
            out += modelSummary(fileName, model, manager);
            break;
        case InspectOptions::Mode::Dump:
            manager.SelectClip(options.dumpClip, false);
            manager.SetPlaying(true);
            manager.SetRunTime(options.dumpTime);
            manager.Advance(0.0f);
            appendPoints(out, model);
            break;
        case InspectOptions::Mode::Blend:
            manager.SelectClip(options.blendFrom, false);
            manager.SetPlaying(true);
            manager.SetAutoBlend(true);
            manager.BlendTo(options.blendTo, options.blendStep);
            for (std::int64_t loop = 0; loop < options.blendLoops; ++loop)
                manager.Advance(0.01f);
            appendPoints(out, model);
            break;
    }

    if (!options.svgFile.empty()) {
        const std::string title = fileName + ": " + options.svgClip;
        const ClipSvg svg = clipSvg(manager, options.svgClip, title, options.svgTime);
        if (!writeFile(options.svgFile, svg.text)) {
            err += "mobilant-inspect: cannot write " + options.svgFile + "\n";
            return kBadRequest;
        }
        std::string& note = options.mode == InspectOptions::Mode::Summary ? out : err;
        note += "\nwrote " + options.svgFile + ": clip \"" + options.svgClip + "\", " +
                std::to_string(svg.frames) + (svg.frames == 1 ? " frame" : " frames") +
                (svg.frames > 1 ? " at 30 frames per second" : "") + ", " +
                std::to_string(svg.text.size() / 1024) + " KiB\n";
        if (svg.skipped > 0) {
            err += "mobilant-inspect: the SVG stops after " + std::to_string(svg.frames) +
                   " frames; " + std::to_string(svg.skipped) + " more are left out\n";
        }
    }
    return kDone;
}
