#include "ImageFiles.h"

#ifndef _WIN32
#include <webp/encode.h>
#include <webp/mux.h>
#endif

#include <cstdio>
#include <filesystem>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include "OpenFile.h"

namespace {

void MakeParentDirectory(const std::string& path) {
    const std::filesystem::path parent =
        std::filesystem::path(std::u8string(path.begin(), path.end())).parent_path();
    std::error_code ignored;
    if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
}

bool WriteBytes(const std::string& path, const void* bytes, std::size_t size) {
    MakeParentDirectory(path);
    std::FILE* file = OpenUtf8File(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void AppendToVector(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool WritePng(const std::string& path, const std::vector<std::uint32_t>& pixels, int width,
              int height) {
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return false;
    std::vector<unsigned char> rgb(pixels.size() * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        rgb[3 * i] = static_cast<unsigned char>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<unsigned char>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<unsigned char>(pixels[i]);
    }
    std::vector<unsigned char> png;
    if (stbi_write_png_to_func(&AppendToVector, &png, width, height, 3, rgb.data(), width * 3) == 0)
        return false;
    return WriteBytes(path, png.data(), png.size());
}

#ifdef _WIN32
// The Windows build has no WebP encoder (Debian packages libwebp for Linux only): a recording
// counts its frames and cannot be written; the frames themselves are written as PNG files.
struct AnimatedWebp::Encoder {};

AnimatedWebp::AnimatedWebp(int width, int height, int framesPerSecond)
    : encoder_(std::make_unique<Encoder>()),
      width_(width),
      height_(height),
      framesPerSecond_(framesPerSecond > 0 ? framesPerSecond : 30) {}

AnimatedWebp::~AnimatedWebp() = default;

bool AnimatedWebp::Add(const std::vector<std::uint32_t>& pixels) {
    if (pixels.size() != static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_))
        return false;
    ++frames_;
    return true;
}

bool AnimatedWebp::Write(const std::string&) {
    return false;
}
#else
struct AnimatedWebp::Encoder {
    WebPAnimEncoder* encoder = nullptr;
    WebPConfig config{};
    bool failed = false;
};

AnimatedWebp::AnimatedWebp(int width, int height, int framesPerSecond)
    : encoder_(std::make_unique<Encoder>()),
      width_(width),
      height_(height),
      framesPerSecond_(framesPerSecond > 0 ? framesPerSecond : 30) {
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&encoder_->config)) {
        encoder_->failed = true;
        return;
    }
    // Frames follow each other closely: let the encoder store only what changed.
    options.allow_mixed = 0;
    options.minimize_size = 0;
    encoder_->config.lossless = 1;
    encoder_->config.method = 1;      // fast; the pictures are flat colours, small anyway
    encoder_->config.quality = 20.0f;  // lossless effort, not fidelity
    encoder_->encoder = WebPAnimEncoderNew(width, height, &options);
    if (encoder_->encoder == nullptr) encoder_->failed = true;
}

AnimatedWebp::~AnimatedWebp() {
    if (encoder_->encoder != nullptr) WebPAnimEncoderDelete(encoder_->encoder);
}

bool AnimatedWebp::Add(const std::vector<std::uint32_t>& pixels) {
    if (encoder_->failed ||
        pixels.size() != static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_))
        return false;
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return false;
    picture.use_argb = 1;
    picture.width = width_;
    picture.height = height_;
    if (!WebPPictureAlloc(&picture)) return false;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            picture.argb[y * picture.argb_stride + x] =
                pixels[static_cast<std::size_t>(y) * width_ + x] | 0xFF000000u;
    const int timestamp = static_cast<int>((static_cast<long long>(frames_) * 1000 +
                                            framesPerSecond_ / 2) / framesPerSecond_);
    const bool added = WebPAnimEncoderAdd(encoder_->encoder, &picture, timestamp,
                                          &encoder_->config) != 0;
    WebPPictureFree(&picture);
    if (!added) {
        encoder_->failed = true;
        return false;
    }
    ++frames_;
    return true;
}

bool AnimatedWebp::Write(const std::string& path) {
    if (encoder_->failed || frames_ == 0) return false;
    const int end = static_cast<int>((static_cast<long long>(frames_) * 1000 +
                                      framesPerSecond_ / 2) / framesPerSecond_);
    if (!WebPAnimEncoderAdd(encoder_->encoder, nullptr, end, nullptr)) return false;
    WebPData data;
    WebPDataInit(&data);
    const bool assembled = WebPAnimEncoderAssemble(encoder_->encoder, &data) != 0;
    const bool written = assembled && WriteBytes(path, data.bytes, data.size);
    WebPDataClear(&data);
    encoder_->failed = true;  // assembled once
    return written;
}
#endif
