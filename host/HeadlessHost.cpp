#include "HeadlessHost.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "Canvas.h"
#include "HostRecords.h"
#include "cSurface.h"
#ifdef _WIN32
// The surfaces, the device and the lost-device registrations belong to the stand-in MMFS2.dll,
// which the plug-in draws through; this host drives it through the table it exports.
#include "StandInHostApi.h"
#else
#include "HostSurface.h"
#include "SoftwareDevice.h"
#endif

namespace R = HostRecords;

namespace {

HeadlessHost* current = nullptr;

void* WindowId(int id) {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(id));
}

long FloatWord(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return static_cast<long>(bits);
}

float WordFloat(long word) {
    const auto bits = static_cast<std::uint32_t>(word);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::int32_t SaturateToInt(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(value);
}

LRESULT MOBILANT_STDCALL ActionParameterCallback(RunData*, WPARAM kind, LPARAM) {
    return current != nullptr ? current->NextActionParameter(kind) : 0;
}

LRESULT MOBILANT_STDCALL FloatParameterCallback(RunData*, WPARAM, LPARAM) {
    return current != nullptr ? current->NextActionParameter(R::RunHeader::kParameterFloat) : 0;
}

LRESULT MOBILANT_STDCALL FirstExpressionParameterCallback(RunData*, WPARAM kind, LPARAM) {
    return current != nullptr ? current->ExpressionParameter(true, kind) : 0;
}

LRESULT MOBILANT_STDCALL NextExpressionParameterCallback(RunData*, WPARAM kind, LPARAM) {
    return current != nullptr ? current->ExpressionParameter(false, kind) : 0;
}

#ifdef _WIN32
const StandInHostApi& StandIn() {
    static const StandInHostApi& api = *MobilantStandInHost();
    return api;
}

// The stand-in reports the plug-in's service calls (never its own surface work) here.
void ObserveServiceCall(int ordinal, const char* text, void*) {
    if (current == nullptr) return;
    if (ordinal == 264) current->SurfaceMade();
    if (ordinal == 286) current->SurfaceGone();
    current->Record(ordinal, text);
}

std::uint32_t* WindowPixels(int windowId, int& width, int& height) {
    width = height = 0;
    return StandIn().WindowPixels(windowId, &width, &height);
}
#endif

}  // namespace

// The host's own surface work, which the call log leaves out.
class HeadlessHost::Quiet {
public:
    explicit Quiet(HeadlessHost& host) : host_(host) { ++host_.quiet_; }
    ~Quiet() { --host_.quiet_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    HeadlessHost& host_;
};

// The parameters of one routine call, alive until it returns: strings are handed over by
// address, and a routine may be entered again from inside another (a modal box's loop).
struct HeadlessHost::ParameterFrame {
    std::vector<HostValue> values;
    std::size_t next = 0;
    std::size_t fetched = 0;  // the most ever fetched, over restarts of an expression's list
};

class HeadlessHost::ParameterScope {
public:
    ParameterScope(HeadlessHost& host, const std::vector<HostValue>& values) : host_(host) {
        host_.parameterFrames_.push_back(
            std::make_unique<ParameterFrame>(ParameterFrame{values, 0, 0}));
    }
    ~ParameterScope() {
        host_.parametersFetched_ = host_.parameterFrames_.back()->fetched;
        host_.parameterFrames_.pop_back();
    }
    ParameterScope(const ParameterScope&) = delete;
    ParameterScope& operator=(const ParameterScope&) = delete;

private:
    HeadlessHost& host_;
};

#ifdef _WIN32
struct HeadlessHost::Window {
    int id = 0;
};
#else
struct HeadlessHost::Window {
    int id = 0;
    std::unique_ptr<HostSurface> state;
    std::unique_ptr<cSurface> surface;
};
#endif

struct HeadlessHost::Instance {
    int number = 0;
    std::vector<unsigned char> runData;
    std::vector<unsigned char> editData;
    std::vector<unsigned char> creationInfo;

    RunData* Data() { return reinterpret_cast<RunData*>(runData.data()); }
};

HeadlessHost* HeadlessHost::Current() {
    return current;
}

HeadlessHost::HeadlessHost(const ExtensionEntryPoints& extension, const Options& options)
    : extension_(extension), options_(options) {
    if (current != nullptr) throw std::logic_error("another headless host exists");
    if (!extension.Complete()) throw std::invalid_argument("the extension lacks entry points");
    if (options.frameWidth < 1 || options.frameHeight < 1 ||
        options.frameWidth > kMaxFrameSize || options.frameHeight > kMaxFrameSize ||
        std::int64_t{options.frameWidth} * options.frameHeight > kMaxFramePixels)
        throw std::invalid_argument("frame size out of range");
#ifdef _WIN32
    StandInOptions standIn;
    standIn.frameWidth = options.frameWidth;
    standIn.frameHeight = options.frameHeight;
    standIn.direct3D9 = options.direct3D9;
    standIn.windowCount = 0;
    for (const int id : {kFrameWindow, kMainWindow, kParentFrameWindow}) {
        if (id == kParentFrameWindow && !options.subApplication) continue;
        standIn.windowIds[standIn.windowCount++] = id;
        windows_.push_back(std::make_unique<Window>(Window{id}));
    }
    if (!StandIn().Start(&standIn))
        throw std::runtime_error(std::string("the stand-in MMFS2.dll did not start: ") +
                                 StandIn().LastError());
    current = this;
    StandIn().SetCallObserver(&ObserveServiceCall, nullptr);
    Quiet quiet(*this);
#else
    current = this;
    Quiet quiet(*this);

    if (options.direct3D9) {
        // The frame is a window surface in memory; the device's own surface is never drawn.
        device_ = SoftwareDevice::Create(64, 64, D3DFMT_A8R8G8B8);
        if (device_ != nullptr) {
            device_->SetCallLogging(false);  // a long scene would fill the log for nothing
            device_->GetRenderTarget(0, &backBuffer_);
        }
    }
    for (const int id : {kFrameWindow, kMainWindow, kParentFrameWindow}) {
        if (id == kParentFrameWindow && !options.subApplication) continue;
        auto window = std::make_unique<Window>();
        window->id = id;
        window->state.reset(HostSurface::MakeWindow(options.frameWidth, options.frameHeight, device_));
        window->surface = std::make_unique<cSurface>();
        HostSurface::Attach(*window->surface, window->state.get(), false);
        windows_.push_back(std::move(window));
    }
#endif

    runHeader_.assign(R::RunHeader::kSize, 0);
    application_.assign(R::Application::kSize, 0);
    R::RunHeader::FrameWindow::Set(runHeader_.data(), WindowId(kFrameWindow));
    R::RunHeader::MainWindow::Set(runHeader_.data(), WindowId(kMainWindow));
    R::RunHeader::Application::Set(runHeader_.data(), application_.data());
    R::RunHeader::ActionParameter::Set(runHeader_.data(), &ActionParameterCallback);
    R::RunHeader::FloatParameter::Set(runHeader_.data(), &FloatParameterCallback);
    R::RunHeader::FirstExpressionParameter::Set(runHeader_.data(),
                                                &FirstExpressionParameterCallback);
    R::RunHeader::NextExpressionParameter::Set(runHeader_.data(), &NextExpressionParameterCallback);
    R::Application::FrameWindow::Set(application_.data(), WindowId(kFrameWindow));
    if (options.subApplication) {
        parentApplication_.assign(R::Application::kSize, 0);
        R::Application::FrameWindow::Set(parentApplication_.data(), WindowId(kParentFrameWindow));
        R::Application::ParentApplication::Set(application_.data(), parentApplication_.data());
        R::Application::SubApplicationOptions::Set(application_.data(),
                                                   R::Application::kDisplayAsSprite);
    }

    objectInfo_.assign(R::ObjectInfo::kSize, 0);
    extension_.GetRunObjectInfos(this, objectInfo_.data());
    actions_ = static_cast<ActionRoutine*>(R::ObjectInfo::Actions::Get(objectInfo_.data()));
    expressions_ =
        static_cast<ExpressionRoutine*>(R::ObjectInfo::Expressions::Get(objectInfo_.data()));
    actionCount_ = actions_ != nullptr ? R::ObjectInfo::ActionCount::Get(objectInfo_.data()) : 0;
    expressionCount_ =
        expressions_ != nullptr ? R::ObjectInfo::ExpressionCount::Get(objectInfo_.data()) : 0;

    editDataSize_ = R::ObjectInfo::EditDataSize::Get(objectInfo_.data());
    std::vector<unsigned char> editData(std::max(editDataSize_, R::EditRecord::kSize), 0);
    runDataSize_ = extension_.GetRunObjectDataSize(runHeader_.data(),
                                                   reinterpret_cast<EditData*>(editData.data()));
    extension_.StartApp(this, application_.data());
}

HeadlessHost::~HeadlessHost() {
    End();
#ifdef _WIN32
    StandIn().SetCallObserver(nullptr, nullptr);
    StandIn().Stop();
    windows_.clear();
#else
    {
        Quiet quiet(*this);
        prototypes_.clear();
        for (auto& window : windows_) window->surface.reset();
        windows_.clear();
    }
    if (backBuffer_ != nullptr) backBuffer_->Release();
    if (device_ != nullptr) device_->Release();
#endif
    current = nullptr;
}

HeadlessHost::Instance* HeadlessHost::Find(int number) {
    for (auto& instance : instances_)
        if (instance->number == number) return instance.get();
    return nullptr;
}

const HeadlessHost::Instance* HeadlessHost::Find(int number) const {
    for (const auto& instance : instances_)
        if (instance->number == number) return instance.get();
    return nullptr;
}

int HeadlessHost::Create(int x, int y, int width, int height) {
    if (ended_) return -1;
    auto instance = std::make_unique<Instance>();
    instance->number = nextNumber_++;
    instance->runData.assign(runDataSize_, 0);
    void* rd = instance->runData.data();
    namespace O = R::RunObject;
    if (runDataSize_ >= O::kSize) {
        O::RunHeader::Set(rd, runHeader_.data());
        O::OffsetOfValues::Set(rd, static_cast<std::int16_t>(R::Stretched(O::kValuesBlock)));
        O::Identifier::Set(rd, R::ObjectInfo::Identifier::Get(objectInfo_.data()));
        O::InkEffect::Set(rd, O::kInkTransparent);
    }
    // What the game file would hold for an object placed at that size.
    instance->editData.assign(std::max(editDataSize_, R::EditRecord::kSize), 0);
    R::EditRecord::HeaderSize::Set(instance->editData.data(),
                                   static_cast<std::uint32_t>(instance->editData.size()));
    R::EditRecord::Width::Set(instance->editData.data(), width);
    R::EditRecord::Height::Set(instance->editData.data(), height);
    instance->creationInfo.assign(R::CreationInfo::kSize, 0);
    R::CreationInfo::X::Set(instance->creationInfo.data(), x);
    R::CreationInfo::Y::Set(instance->creationInfo.data(), y);
    Instance& made = *instance;
    instances_.push_back(std::move(instance));
    extension_.CreateRunObject(made.Data(), reinterpret_cast<EditData*>(made.editData.data()),
                               made.creationInfo.data());
    return made.number;
}

bool HeadlessHost::Destroy(int number) {
    auto it = std::find_if(instances_.begin(), instances_.end(),
                           [number](const auto& i) { return i->number == number; });
    if (it == instances_.end()) return false;
    // Taken out of the list first, so a loop started from inside the destruction (a modal
    // box's message loop) does not reach it.
    std::unique_ptr<Instance> instance = std::move(*it);
    instances_.erase(it);
    extension_.DestroyRunObject(instance->Data(), 0);
    return true;
}

bool HeadlessHost::Exists(int number) const {
    return Find(number) != nullptr;
}

std::vector<int> HeadlessHost::Instances() const {
    std::vector<int> numbers;
    for (const auto& instance : instances_) numbers.push_back(instance->number);
    return numbers;
}

RunData* HeadlessHost::RunDataOf(int number) {
    Instance* instance = Find(number);
    return instance != nullptr ? instance->Data() : nullptr;
}

void HeadlessHost::UpdateDisplayRectangle(Instance& instance) {
    namespace O = R::RunObject;
    void* rd = instance.runData.data();
    if (instance.runData.size() < O::kSize) return;
    const bool fixed = (O::OptionFlags::Get(rd) & O::kIndependentOfScrolling) != 0;
    const std::int64_t offsetX = fixed ? R::RunHeader::FixedOffsetX::Get(runHeader_.data())
                                       : R::RunHeader::ScrollOffsetX::Get(runHeader_.data());
    const std::int64_t offsetY = fixed ? R::RunHeader::FixedOffsetY::Get(runHeader_.data())
                                       : R::RunHeader::ScrollOffsetY::Get(runHeader_.data());
    const std::int64_t left = std::int64_t{O::X::Get(rd)} - O::HotSpotX::Get(rd) - offsetX;
    const std::int64_t top = std::int64_t{O::Y::Get(rd)} - O::HotSpotY::Get(rd) - offsetY;
    const auto clamp = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    O::DisplayLeft::Set(rd, clamp(left));
    O::DisplayTop::Set(rd, clamp(top));
    O::DisplayRight::Set(rd, clamp(left + O::ImageWidth::Get(rd)));
    O::DisplayBottom::Set(rd, clamp(top + O::ImageHeight::Get(rd)));
}

void HeadlessHost::Loop() {
    if (ended_) return;
    {
        Quiet quiet(*this);
        for (auto& window : windows_) {
            if (window->id == kMainWindow) continue;
#ifdef _WIN32
            int width, height;
            if (std::uint32_t* pixels = WindowPixels(window->id, width, height))
                Canvas(pixels, width, height).Fill(options_.background);
#else
            Canvas(window->state->Pixels(), window->state->Width(), window->state->Height())
                .Fill(options_.background);
#endif
        }
    }
    // By number, so that instances made or destroyed from inside a call are handled safely.
    for (const int number : Instances())
        if (Instance* instance = Find(number)) extension_.HandleRunObject(instance->Data());
    for (const int number : Instances()) {
        if (Instance* instance = Find(number)) {
            UpdateDisplayRectangle(*instance);
            extension_.DisplayRunObject(instance->Data());
        }
    }
}

bool HeadlessHost::Action(int number, int code, const std::vector<HostValue>& parameters) {
    Instance* instance = Find(number);
    if (instance == nullptr || code < 0 || code >= actionCount_ || actions_[code] == nullptr)
        return false;
    ParameterScope scope(*this, parameters);
    actions_[code](instance->Data(), 0, 0);
    return true;
}

bool HeadlessHost::Expression(int number, int code, const std::vector<HostValue>& parameters,
                              ExpressionValue& result) {
    Instance* instance = Find(number);
    if (instance == nullptr || code < 0 || code >= expressionCount_ ||
        expressions_[code] == nullptr)
        return false;
    namespace O = R::RunObject;
    void* rd = instance->runData.data();
    ParameterScope scope(*this, parameters);
    O::Flags::Set(rd, static_cast<std::uint16_t>(O::Flags::Get(rd) & ~O::kFloatResult));
    const long value = expressions_[code](instance->Data(), 1);
    result.isFloat = (O::Flags::Get(rd) & O::kFloatResult) != 0;
    result.number = result.isFloat ? WordFloat(value) : 0.0f;
    result.integer = result.isFloat ? 0 : static_cast<std::int32_t>(value);
    return true;
}

void HeadlessHost::LoseDevice() {
#ifdef _WIN32
    StandIn().LoseDevice();
#else
    for (auto& window : windows_) {
        // A copy: a callback may register or unregister.
        const auto registrations = window->state->Registrations();
        for (const auto& [callback, user] : registrations) callback(window->surface.get(), user);
    }
#endif
}

void HeadlessHost::End() {
    if (ended_) return;
    while (!instances_.empty()) Destroy(instances_.front()->number);
    ended_ = true;
    extension_.EndApp(this, application_.data());
}

std::vector<std::uint32_t> HeadlessHost::Frame() const {
#ifdef _WIN32
    int width, height;
    const std::uint32_t* pixels = WindowPixels(kFrameWindow, width, height);
    if (pixels == nullptr) return {};
    return {pixels, pixels + static_cast<std::size_t>(width) * height};
#else
    HostSurface& frame = *windows_.front()->state;
    return {frame.Pixels(), frame.Pixels() + static_cast<std::size_t>(frame.Width()) * frame.Height()};
#endif
}

std::vector<std::uint32_t> HeadlessHost::ParentFrame() const {
    for (const auto& window : windows_) {
        if (window->id != kParentFrameWindow) continue;
#ifdef _WIN32
        int width, height;
        const std::uint32_t* pixels = WindowPixels(window->id, width, height);
        if (pixels == nullptr) return {};
        return {pixels, pixels + static_cast<std::size_t>(width) * height};
#else
        HostSurface& frame = *window->state;
        return {frame.Pixels(),
                frame.Pixels() + static_cast<std::size_t>(frame.Width()) * frame.Height()};
#endif
    }
    return {};
}

std::vector<int> HeadlessHost::CalledOrdinals() const {
    std::vector<int> ordinals;
    for (const ServiceCall& call : calls_) ordinals.push_back(call.ordinal);
    return ordinals;
}

std::size_t HeadlessHost::Registrations() const {
#ifdef _WIN32
    return static_cast<std::size_t>(StandIn().Registrations());
#else
    std::size_t count = 0;
    for (const auto& window : windows_) count += window->state->Registrations().size();
    return count;
#endif
}

void HeadlessHost::Record(int ordinal, std::string text) {
    if (quiet_ > 0) return;
    calls_.push_back({ordinal, std::move(text)});
    if (loseDeviceOn_ != 0 && loseDeviceOn_ == ordinal) {
        loseDeviceOn_ = 0;
        LoseDevice();
    }
}

void HeadlessHost::RestoreBackBuffer() {
#ifdef _WIN32
    // The stand-in gives its device its own surface back.
#else
    if (device_ != nullptr && backBuffer_ != nullptr) device_->SetRenderTarget(0, backBuffer_);
#endif
}

cSurface* HeadlessHost::WindowSurface(int windowId) {
#ifdef _WIN32
    return StandIn().WindowSurface(windowId);
#else
    for (auto& window : windows_)
        if (window->id == windowId) return window->surface.get();
    return nullptr;
#endif
}

cSurface* HeadlessHost::Prototype(int depth, int type, int driver) {
#ifdef _WIN32
    (void)depth, (void)type, (void)driver;
    return nullptr;  // the stand-in hands out its own prototypes
#else
    if (depth <= 0) return nullptr;
    // Only render-target textures of the device, and only on a Direct3D 9 host.
    if (type != R::kSurfaceTypeRenderTargetTexture || driver != R::kDriverDirect3D9 ||
        device_ == nullptr)
        return nullptr;
    if (prototypes_.empty()) {
        Quiet quiet(*this);
        auto prototype = std::make_unique<cSurface>();
        HostSurface::Attach(*prototype, HostSurface::MakePrototype(type, driver, device_), true);
        prototypes_.push_back(std::move(prototype));
    }
    return prototypes_.front().get();
#endif
}

LRESULT HeadlessHost::HandOver(const HostValue& value, WPARAM kind) {
    if (kind == R::RunHeader::kParameterFloat) {
        switch (value.kind) {
            case HostValue::Kind::Integer: return FloatWord(static_cast<float>(value.integer));
            case HostValue::Kind::Number: return FloatWord(static_cast<float>(value.number));
            case HostValue::Kind::Text: return 0;
        }
    }
    switch (value.kind) {
        case HostValue::Kind::Integer: return SaturateToInt(static_cast<double>(value.integer));
        case HostValue::Kind::Number: return SaturateToInt(value.number);
        case HostValue::Kind::Text:
            if (kind != R::RunHeader::kParameterAsStored) return 0;
            return static_cast<LRESULT>(reinterpret_cast<std::intptr_t>(value.text.c_str()));
    }
    return 0;
}

LRESULT HeadlessHost::NextActionParameter(WPARAM kind) {
    if (parameterFrames_.empty()) return 0;
    ParameterFrame& frame = *parameterFrames_.back();
    if (frame.next >= frame.values.size()) return 0;
    frame.fetched = std::max(frame.fetched, frame.next + 1);
    return HandOver(frame.values[frame.next++], kind);
}

LRESULT HeadlessHost::ExpressionParameter(bool first, WPARAM kind) {
    if (first && !parameterFrames_.empty()) parameterFrames_.back()->next = 0;
    return NextActionParameter(kind);
}
