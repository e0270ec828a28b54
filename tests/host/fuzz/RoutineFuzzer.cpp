// Whatever a game does with the object (any action with any parameters, any expression, loops,
// instances made and destroyed, the device lost), the extension neither crashes nor corrupts
// memory. The bytes are a program for the headless host: an operation byte, then what it needs.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "HeadlessHost.h"
#include "LinkedExtension.h"
#include "MessageBoxes.h"
#include "RoutineTable.h"

namespace {

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t Word() {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) w = w << 8 | Byte();
        return w;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Sizes are held small: a 16384 x 16384 render surface is legal and takes a gigabyte.
std::int64_t SmallOrOdd(Bytes& in) {
    static const std::int64_t kOdd[] = {0, -1, 1, 254, 255, 256, 359, 360, -360, 725,
                                        16384, 16385, -2147483648LL, 2147483647};
    const std::uint8_t pick = in.Byte();
    if (pick < 64) return kOdd[pick % (sizeof kOdd / sizeof kOdd[0])];
    return static_cast<std::int64_t>(in.Byte() % 97) - 8;
}

double AnyNumber(Bytes& in) {
    const std::uint32_t bits = in.Word();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return (bits & 1) != 0 ? static_cast<double>(f) : static_cast<double>(bits % 2001) / 100.0 - 10.0;
}

std::wstring AnyText(Bytes& in) {
    static const std::wstring kTexts[] = {
        L"", L"default", L"bend", L"nothing", L"\u6b69\u304f",
        // Small files, so that many programs run: a model and a texture of a few points.
        L"" MOBILANT_SOURCE_DIR_W L"/samples/tiny.json",
        L"" MOBILANT_SOURCE_DIR_W L"/tests/platform/data/texels-3x2.png",
        L"" MOBILANT_SOURCE_DIR_W L"/samples/no-such-file",
        L"" MOBILANT_SOURCE_DIR_W L"/samples"};
    return kTexts[in.Byte() % (sizeof kTexts / sizeof kTexts[0])];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetMessageBoxObserver([](const ShownMessageBox&) {});
    Bytes in(data, size);
    HeadlessHost::Options options;
    options.frameWidth = 96;
    options.frameHeight = 64;
    options.direct3D9 = (in.Byte() & 7) != 0;
    HeadlessHost host(LinkedExtension(), options);
    int current = host.Create(40, 30, 48, 64);
    for (int steps = 0; !in.Empty() && steps < 64; ++steps) {
        const std::uint8_t op = in.Byte() % 40;
        if (op < kActionCount) {
            const RoutineEntry& action = kActionTable[op];
            std::vector<HostValue> values;
            for (std::size_t p = 0; p < action.parameterCount; ++p) {
                if (action.parameters[p].type == ParameterType::String)
                    values.push_back(HostValue::Text(AnyText(in)));
                else if (action.parameters[p].fetch == FetchAs::Float)
                    values.push_back(HostValue::Number(AnyNumber(in)));
                else
                    values.push_back(HostValue::Integer(SmallOrOdd(in)));
            }
            host.Action(current, action.code, values);
        } else if (op < kActionCount + kExpressionCount) {
            const RoutineEntry& expression = kExpressionTable[op - kActionCount];
            std::vector<HostValue> values;
            for (std::size_t p = 0; p < expression.parameterCount; ++p)
                values.push_back((in.Byte() & 1) != 0 ? HostValue::Number(AnyNumber(in))
                                                      : HostValue::Integer(SmallOrOdd(in)));
            ExpressionValue value;
            host.Expression(current, expression.code, values, value);
        } else if (op == 34) {
            host.Loop();
        } else if (op == 35) {
            host.LoseDevice();
        } else if (op == 36) {
            host.LoseDeviceOnNextCall(in.Byte() & 1 ? 849 : 341);
        } else if (op == 37) {
            current = host.Create(static_cast<int>(SmallOrOdd(in)), static_cast<int>(SmallOrOdd(in)),
                                  static_cast<int>(in.Byte() % 80) - 4,
                                  static_cast<int>(in.Byte() % 80) - 4);
        } else if (op == 38) {
            host.Destroy(current);
        } else {
            const std::vector<int> live = host.Instances();
            if (!live.empty()) current = live[in.Byte() % live.size()];
        }
    }
    host.End();
    SetMessageBoxObserver(nullptr);
    return 0;
}
