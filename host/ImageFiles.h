// Writing frames: a PNG still, and an animated WebP of many frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Writes width x height pixels (0xAARRGGBB, row by row) as an opaque PNG file; false when the
// file cannot be written.
bool WritePng(const std::string& path, const std::vector<std::uint32_t>& pixels, int width,
              int height);

// Collects frames of one size into a lossless animated WebP that plays at a fixed rate.
class AnimatedWebp {
public:
    AnimatedWebp(int width, int height, int framesPerSecond);
    ~AnimatedWebp();
    AnimatedWebp(const AnimatedWebp&) = delete;
    AnimatedWebp& operator=(const AnimatedWebp&) = delete;

    // Adds a frame of pixels (0xAARRGGBB, width x height); false when the encoder failed.
    bool Add(const std::vector<std::uint32_t>& pixels);
    int Frames() const { return frames_; }
    // Writes the animation to `path`; false when there are no frames or it cannot be written.
    bool Write(const std::string& path);

private:
    struct Encoder;
    std::unique_ptr<Encoder> encoder_;
    int width_;
    int height_;
    int framesPerSecond_;
    int frames_ = 0;
};
