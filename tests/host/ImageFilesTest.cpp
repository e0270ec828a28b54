// Stills and recordings read back: a PNG with the frame's pixels, an animated WebP at 30 frames
// per second whose frames are the ones added, losslessly.
#include <gtest/gtest.h>

#include <webp/demux.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "ImageDecoder.h"
#include "ImageFiles.h"

namespace {

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Scratch(const char* name) {
    return std::string(MOBILANT_BINARY_DIR) + "/test-scratch/host/" + name;
}

std::vector<std::uint32_t> Pattern(int w, int h, int seed) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | static_cast<std::uint32_t>((i * 2654435761u + seed * 97u) & 0xFFFFFF);
    return pixels;
}

TEST(ImageFiles, PngHoldsTheFrame) {
    const auto pixels = Pattern(7, 5, 1);
    const std::string path = Scratch("still.png");
    ASSERT_TRUE(WritePng(path, pixels, 7, 5));
    const auto bytes = ReadFile(path);
    DecodedImage image;
    ASSERT_TRUE(DecodeImage(bytes, 100, image));
    EXPECT_EQ(image.width, 7u);
    EXPECT_EQ(image.height, 5u);
    EXPECT_EQ(image.texels, pixels);
    EXPECT_FALSE(WritePng(path, pixels, 8, 5));  // the wrong size writes nothing
}

TEST(ImageFiles, AnimatedWebpPlaysAt30FramesPerSecondLosslessly) {
    const std::string path = Scratch("clip.webp");
    std::vector<std::vector<std::uint32_t>> frames = {Pattern(9, 4, 1), Pattern(9, 4, 2),
                                                      Pattern(9, 4, 2), Pattern(9, 4, 3)};
    {
        AnimatedWebp webp(9, 4, 30);
        for (const auto& f : frames) ASSERT_TRUE(webp.Add(f));
        EXPECT_FALSE(webp.Add(Pattern(3, 3, 0)));
        ASSERT_TRUE(webp.Write(path));
    }
    const auto bytes = ReadFile(path);
    WebPData data{bytes.data(), bytes.size()};
    WebPAnimDecoderOptions options;
    ASSERT_TRUE(WebPAnimDecoderOptionsInit(&options));
    options.color_mode = MODE_BGRA;  // little-endian 0xAARRGGBB words
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    ASSERT_NE(decoder, nullptr);
    WebPAnimInfo info;
    ASSERT_TRUE(WebPAnimDecoderGetInfo(decoder, &info));
    EXPECT_EQ(info.canvas_width, 9u);
    EXPECT_EQ(info.canvas_height, 4u);
    // Frame i is shown from round(i * 1000 / 30) ms: 0, 33, 67, 100, ending at 133.
    const int timestamps[] = {33, 67, 100, 133};
    std::size_t n = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        std::uint8_t* rgba = nullptr;
        int timestamp = 0;
        ASSERT_TRUE(WebPAnimDecoderGetNext(decoder, &rgba, &timestamp));
        ASSERT_LT(n, frames.size());
        // Two equal frames may be merged into one longer frame.
        while (n + 1 < frames.size() && timestamps[n] < timestamp) ++n;
        EXPECT_EQ(timestamp, timestamps[n]);
        std::vector<std::uint32_t> got(frames[n].size());
        std::memcpy(got.data(), rgba, got.size() * 4);
        EXPECT_EQ(got, frames[n]) << "frame " << n;
        ++n;
    }
    EXPECT_EQ(n, frames.size());
    WebPAnimDecoderDelete(decoder);
}

}  // namespace
