#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What mobilant-inspect was asked to do.
struct InspectOptions {
    enum class Mode { Summary, Dump, Blend };

    std::string modelFile;
    Mode mode = Mode::Summary;
    // --dump CLIP TIME
    std::string dumpClip;
    float dumpTime = 0.0f;
    // --blend FROM TO STEP LOOPS
    std::string blendFrom;
    std::string blendTo;
    float blendStep = 0.0f;
    std::int64_t blendLoops = 0;
    // --svg OUT --clip CLIP [--time T], beside the summary
    std::string svgFile;
    std::string svgClip;
    std::optional<float> svgTime;
};

// The usage text, ending with a line end.
const char* inspectUsage();

// Reads the arguments after the program name into `options`. False, with `error` saying why,
// for arguments that do not make one request.
bool parseInspectOptions(const std::vector<std::string>& args, InspectOptions& options,
                         std::string& error);
