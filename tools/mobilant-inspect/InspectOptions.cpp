#include "InspectOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// The largest LOOPS of --blend: a minute of game frames a thousand times over.
constexpr std::int64_t kMaxLoops = 6'000'000;

bool readFloat(const std::string& text, float& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const float parsed = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool readCount(const std::string& text, std::int64_t& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size() || errno == ERANGE || parsed > kMaxLoops) return false;
    value = parsed;
    return true;
}

}  // namespace

const char* inspectUsage() {
    return "usage: mobilant-inspect MODEL.json [options]\n"
           "  (no option)                  check the model and print a summary\n"
           "  --dump CLIP TIME             print the points posed by CLIP at TIME (frames)\n"
           "  --blend FROM TO STEP LOOPS   print the points after blending from FROM to TO by\n"
           "                               STEP per game frame, for LOOPS frames of 0.01\n"
           "  --svg OUT.svg --clip CLIP    also write CLIP as an SVG animated at 30 frames/s\n"
           "  --time T                     with --svg: one still at time T instead\n"
           "exit status: 0 done, 1 the model is refused, 2 bad arguments or unreadable file\n";
}

bool parseInspectOptions(const std::vector<std::string>& args, InspectOptions& options,
                         std::string& error) {
    options = InspectOptions();
    bool haveTime = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto needs = [&](std::size_t count) {
            if (args.size() - i - 1 >= count) return true;
            error = arg + " needs " + std::to_string(count) + " value" + (count > 1 ? "s" : "");
            return false;
        };
        if (arg == "--dump" || arg == "--blend") {
            if (options.mode != InspectOptions::Mode::Summary) {
                error = "give one of --dump and --blend";
                return false;
            }
        }
        if (arg == "--dump") {
            if (!needs(2)) return false;
            options.mode = InspectOptions::Mode::Dump;
            options.dumpClip = args[++i];
            if (!readFloat(args[++i], options.dumpTime)) {
                error = "--dump TIME is not a finite number: " + args[i];
                return false;
            }
        } else if (arg == "--blend") {
            if (!needs(4)) return false;
            options.mode = InspectOptions::Mode::Blend;
            options.blendFrom = args[++i];
            options.blendTo = args[++i];
            if (!readFloat(args[++i], options.blendStep)) {
                error = "--blend STEP is not a finite number: " + args[i];
                return false;
            }
            if (!readCount(args[++i], options.blendLoops)) {
                error = "--blend LOOPS is not a count from 0 to " + std::to_string(kMaxLoops) +
                        ": " + args[i];
                return false;
            }
        } else if (arg == "--svg" || arg == "--clip") {
            if (!needs(1)) return false;
            (arg == "--svg" ? options.svgFile : options.svgClip) = args[++i];
        } else if (arg == "--time") {
            if (!needs(1)) return false;
            float time = 0.0f;
            if (!readFloat(args[++i], time)) {
                error = "--time is not a finite number: " + args[i];
                return false;
            }
            options.svgTime = time;
            haveTime = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (options.modelFile.empty()) {
            options.modelFile = arg;
        } else {
            error = "one model file only";
            return false;
        }
    }
    if (options.modelFile.empty()) {
        error = "no model file";
        return false;
    }
    if (options.svgFile.empty() != options.svgClip.empty()) {
        error = "--svg and --clip go together";
        return false;
    }
    if (haveTime && options.svgFile.empty()) {
        error = "--time goes with --svg";
        return false;
    }
    return true;
}
