// compare-frames THESE THOSE [MIN_SHARE]
//
// Compares the frames one host wrote (THESE/0001.png, 0002.png, ...) with another's (THOSE/...):
// a pixel agrees when each of its channels is within 2 levels. Prints one line per frame that
// falls short and a summary naming the scene (the last part of THESE),
//   scene NAME: frames N, pixels within 2 levels: P of Q (S %), worst frame F (W %)
// and exits 0 when the share over all frames is at least MIN_SHARE percent (default 99), 1 when
// it is not or the frames differ in number or size, 77 when THOSE holds no frames (the other
// host's run is missing), 2 on bad arguments or an unreadable file.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

namespace {

constexpr int kTolerance = 2;
constexpr int kSkipped = 77;

std::string FramePath(const std::string& directory, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/%04d.png", frame);
    return directory + name;
}

bool Exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

bool Read(const std::string& path, Image& image) {
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
    if (pixels == nullptr) return false;
    image.rgb.assign(pixels, pixels + static_cast<std::size_t>(image.width) * image.height * 3);
    stbi_image_free(pixels);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: compare-frames THESE THOSE [MIN_SHARE]\n");
        return 2;
    }
    const std::string these = argv[1], those = argv[2];
    const double minShare = argc == 4 ? std::atof(argv[3]) : 99.0;
    if (!Exists(FramePath(those, 1))) {
        std::printf("no frames in %s to compare with\n", those.c_str());
        return kSkipped;
    }
    long long agreeing = 0, total = 0;
    double worstShare = 100.0;
    int worstFrame = 0, frames = 0;
    for (int frame = 1;; ++frame) {
        const std::string a = FramePath(these, frame), b = FramePath(those, frame);
        const bool hasA = Exists(a), hasB = Exists(b);
        if (!hasA && !hasB) break;
        if (hasA != hasB) {
            std::printf("frame %d is in only one of %s and %s\n", frame, these.c_str(),
                        those.c_str());
            return 1;
        }
        Image imageA, imageB;
        if (!Read(a, imageA) || !Read(b, imageB)) {
            std::fprintf(stderr, "compare-frames: cannot read frame %d\n", frame);
            return 2;
        }
        if (imageA.width != imageB.width || imageA.height != imageB.height) {
            std::printf("frame %d: %d x %d against %d x %d\n", frame, imageA.width, imageA.height,
                        imageB.width, imageB.height);
            return 1;
        }
        long long frameAgreeing = 0;
        const long long pixels = static_cast<long long>(imageA.width) * imageA.height;
        for (long long p = 0; p < pixels; ++p) {
            bool close = true;
            for (int c = 0; c < 3; ++c)
                close = close && std::abs(imageA.rgb[3 * p + c] - imageB.rgb[3 * p + c]) <= kTolerance;
            frameAgreeing += close ? 1 : 0;
        }
        const double share = 100.0 * static_cast<double>(frameAgreeing) / static_cast<double>(pixels);
        if (share < minShare) std::printf("frame %d: %.3f %% within %d levels\n", frame, share, kTolerance);
        if (share < worstShare || worstFrame == 0) worstShare = share, worstFrame = frame;
        agreeing += frameAgreeing;
        total += pixels;
        frames = frame;
    }
    const double share = 100.0 * static_cast<double>(agreeing) / static_cast<double>(total);
    const std::string scene = these.substr(these.find_last_of("/\\") + 1);
    std::printf("scene %s: frames %d, pixels within %d levels: %lld of %lld (%.3f %%), worst frame %d (%.3f %%)\n",
                scene.c_str(), frames, kTolerance, agreeing, total, share, worstFrame, worstShare);
    return share >= minShare ? 0 : 1;
}
