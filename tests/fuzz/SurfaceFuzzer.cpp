// Takes any bytes as a model file loaded into the model pool, and drives an animation surface
// with it through the bytes after the JSON text, as a game's actions and expressions would:
// views, surface sizes, fitting, mirroring, clips, times, steps, game loops drawn on the software
// device, box queries and hit tests at any pixel, NaN and infinities included.
//
// Besides the sanitizers' checks it asserts the surface's contracts: the screen box's pairs are in
// order whenever they are numbers, hit tests answer 0 or 1, a point outside the screen box is no
// box hit, and the view matrix stays finite.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <unistd.h>

#include "AnimationSurface.h"
#include "Direct3DDevice.h"
#include "MessageBoxes.h"
#include "MobilantPool.h"
#include "ResourcePools.h"
#include "SoftwareDevice.h"
#include "TexturePool.h"
#include "WideStrings.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

void check(bool condition) {
    if (!condition) std::abort();
}

// Reads the script: bytes, flags and floats, zeros once it runs out.
class Script {
public:
    explicit Script(std::string_view bytes) : bytes(bytes) {}

    bool done() const { return at >= bytes.size(); }
    std::uint8_t byte() { return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at++]) : 0; }
    int integer() {
        static constexpr int usual[] = {0, 1, -1, 2, 32, 254, 255, 16384, 16385, 100000};
        const std::uint8_t kind = byte();
        if (kind < 200) return usual[kind % std::size(usual)];
        std::uint32_t raw = 0;
        for (int i = 0; i < 4; ++i)
            raw = (raw << 8) | byte();
        return static_cast<int>(raw);
    }
    // Any float, from four raw bytes, or one of the values games and bugs produce.
    float number() {
        const std::uint8_t kind = byte();
        if (kind < 128) {
            static constexpr float usual[] = {0.0f,  0.01f, -0.01f, 0.5f,  1.0f,  -1.0f, 4.0f,
                                              -4.0f, 16.0f, 1e-30f, 1e30f, 3e38f, -3e38f, kInf,
                                              -kInf, kNaN,  1e-45f, 31.5f};
            return usual[kind % std::size(usual)];
        }
        std::uint32_t raw = 0;
        for (int i = 0; i < 4; ++i)
            raw = (raw << 8) | byte();
        float value;
        std::memcpy(&value, &raw, sizeof(value));
        return value;
    }

private:
    std::string_view bytes;
    std::size_t at = 0;
};

const wchar_t* const kNames[] = {L"default", L"walk", L"bend", L"wave", L"", L"?"};

void checkSurface(AnimationSurface& surface) {
    const std::array<float, 4> box = surface.GetScreenBox();
    if (!std::isnan(box[0]) && !std::isnan(box[1])) check(box[0] <= box[1]);
    if (!std::isnan(box[2]) && !std::isnan(box[3])) check(box[2] <= box[3]);
    for (const auto& row : surface.ViewMatrix().m) {
        for (const float value : row)
            check(std::isfinite(value));
    }
}

struct Setup {
    Setup() {
        SetMessageBoxDialogs(false);
        device = SoftwareDevice::Create(32, 32, D3DFMT_A8R8G8B8);
        device->SetCallLogging(false);
        d3dDevice = device;
        ApplyModelDeviceStates(device);
        device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, TexturePool::Slot(0),
                              nullptr);
        modelFile = std::filesystem::temp_directory_path() /
                    ("mobilant-fuzz-surface-" + std::to_string(getpid()) + ".json");
        wideModelFile = WidenNarrowString(modelFile.string().c_str());
    }
    SoftwareDevice* device = nullptr;
    std::filesystem::path modelFile;
    std::wstring wideModelFile;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Setup setup;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The JSON text ends where the parser stops; what follows is the script.
    MobilantModule::JsonDocument probe;
    std::size_t end = 0;
    probe.parseText(bytes, &end);
    const std::string_view script = bytes.substr(std::min(end, bytes.size()));
    std::ofstream(setup.modelFile, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    LoadMobilantPool(0, setup.wideModelFile.c_str());
    ClearShownMessageBoxes();

    AnimationSurface surface;
    surface.SetSurfaceSize(32, 32);
    surface.SetMobilantData(0);
    surface.SetTexture(0);
    surface.SetDebugDraw(1);
    for (const wchar_t* name : kNames)
        surface.InitAnimation(name);
    checkSurface(surface);

    Script steps(script);
    setup.device->BeginScene();
    for (int step = 0; step < 256 && !steps.done(); ++step) {
        switch (steps.byte() % 16) {
            case 0: {
                const float left = steps.number(), right = steps.number();
                const float top = steps.number(), bottom = steps.number();
                surface.UpdateViewMatrix(left, right, top, bottom);
                break;
            }
            case 1: {
                const int w = steps.integer();
                surface.SetSurfaceSize(w, steps.integer());
                break;
            }
            case 2:
                surface.fitMatrixtoSurface(steps.number());
                break;
            case 3:
                surface.SetMirrorY(steps.integer());
                break;
            case 4:
                surface.PlayAnimation(kNames[steps.byte() % std::size(kNames)]);
                break;
            case 5: {
                const wchar_t* name = kNames[steps.byte() % std::size(kNames)];
                surface.SetAnimationBlending(name, steps.number());
                break;
            }
            case 6:
                surface.SetAnimationTime(steps.number());
                break;
            case 7:
                surface.SetAnimationSpeed(steps.number());
                break;
            case 8:
                surface.Handle();
                break;
            case 9:
                surface.Display();
                break;
            case 10: {
                const float x = steps.number();
                const int hit = surface.HitTestPolygons(x, steps.number());
                check(hit == 0 || hit == 1);
                break;
            }
            case 11: {
                const float x = steps.number(), y = steps.number();
                const std::array<float, 4> box = surface.GetScreenBox();
                const int hit = surface.HitTestBoundingBox(x, y);
                check(hit == 0 || hit == 1);
                if (hit == 1) check(box[0] < x && x < box[1] && box[2] < y && y < box[3]);
                break;
            }
            case 12: {
                D3DXVECTOR3 point;
                const float x = steps.number();
                surface.ScreenToModel(x, steps.number(), &point);
                break;
            }
            case 13:
                surface.setMorphTargetPos(steps.integer(), steps.integer(), steps.integer(),
                                          steps.integer());
                break;
            case 14:
                surface.SetTexture(steps.integer());
                break;
            case 15:
                surface.SetDebugDraw(steps.integer());
                break;
        }
        checkSurface(surface);
    }
    setup.device->EndScene();
    return 0;
}
