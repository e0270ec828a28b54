#include "RunObject.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "AnimationSurface.h"
#include "Direct3DDevice.h"
#include "EntryGuard.h"
#include "HostRecords.h"
#include "ImageBounds.h"
#include "RunData.h"
#include "cSurface.h"

namespace R = HostRecords;
namespace F = RunDataField;

namespace {

int instanceCount = 0;
// The driver record's Direct3D word, kept when the device is taken: it says the device has
// been fetched.
void* deviceMarker = nullptr;

// The host asks for 16 bytes of storage; more, zeroed, costs nothing and leaves room should a
// host's surface object ever be larger.
constexpr std::size_t kSurfaceStorage = 64;
static_assert(sizeof(cSurface) <= kSurfaceStorage);

int WindowId(void* window) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(window));
}

}  // namespace

namespace RunObject {

AnimationSurface* Animation(RunData* runData) {
    return runData != nullptr ? F::Animation::Get(runData) : nullptr;
}

cSurface* FrameWindowSurface(RunData* runData) {
    void* runHeader = R::RunObject::RunHeader::Get(runData);
    if (runHeader == nullptr) return nullptr;
    return WinGetSurface(WindowId(R::RunHeader::FrameWindow::Get(runHeader)), 0);
}

void MakeRenderSurface(RunData* runData, cSurface* window, int width, int height) {
    DestroyRenderSurface(runData);
    if (window == nullptr) return;
    cSurface* prototype = nullptr;
    if (!GetSurfacePrototype(&prototype, window->GetDepth(), R::kSurfaceTypeRenderTargetTexture,
                             R::kDriverDirect3D9) ||
        prototype == nullptr)
        return;
    void* storage = std::calloc(1, kSurfaceStorage);
    if (storage == nullptr) return;
    auto* surface = new (storage) cSurface();
    surface->Create(std::clamp(width, 1, kMaxSurfaceSize), std::clamp(height, 1, kMaxSurfaceSize),
                    prototype);
    F::RenderSurface::Set(runData, surface);
    if (F::NotificationSurface::Get(runData) == nullptr) {
        window->AddLostDeviceCallBack(&ReleaseNotification, reinterpret_cast<LPARAM>(runData));
        F::NotificationSurface::Set(runData, window);
    }
}

void DestroyRenderSurface(RunData* runData) {
    cSurface* surface = F::RenderSurface::Get(runData);
    if (surface == nullptr) return;
    F::RenderSurface::Set(runData, nullptr);
    surface->~cSurface();
    std::free(surface);
}

void UnregisterReleaseNotification(RunData* runData) {
    cSurface* window = F::NotificationSurface::Get(runData);
    if (window == nullptr) return;
    F::NotificationSurface::Set(runData, nullptr);
    window->RemoveLostDeviceCallBack(&ReleaseNotification, reinterpret_cast<LPARAM>(runData));
}

void MOBILANT_STDCALL ReleaseNotification(cSurface*, LPARAM user) {
    Guarded([&] {
        auto* runData = reinterpret_cast<RunData*>(user);
        if (runData == nullptr) return;
        // Display is using the surface: it is destroyed when display ends.
        if (F::Displaying::Get(runData) != 0) {
            F::ReleasePending::Set(runData, 1);
            return;
        }
        DestroyRenderSurface(runData);
    });
}

FramePlacement Placement(RunData* runData) {
    namespace O = R::RunObject;
    return {O::X::Get(runData),      O::Y::Get(runData),      O::Angle::Get(runData),
            O::ScaleX::Get(runData), O::ScaleY::Get(runData), F::HotSpotX::Get(runData),
            F::HotSpotY::Get(runData)};
}

void UpdateImageBounds(RunData* runData) {
    namespace O = R::RunObject;
    const AnimationSurface* animation = Animation(runData);
    if (animation == nullptr) return;
    const ImageBounds bounds = ComputeImageBounds(
        animation->SurfaceWidth(), animation->SurfaceHeight(), O::ScaleX::Get(runData),
        O::ScaleY::Get(runData), O::Angle::Get(runData), F::HotSpotX::Get(runData),
        F::HotSpotY::Get(runData));
    O::ImageWidth::Set(runData, bounds.width);
    O::ImageHeight::Set(runData, bounds.height);
    O::HotSpotX::Set(runData, bounds.hotSpotX);
    O::HotSpotY::Set(runData, bounds.hotSpotY);
}

void InvalidateBoxPoints(RunData* runData) {
    F::BoxPointX<0>::Set(runData, 0);
}

std::array<FrameCorner, 4> BoxPoints(RunData* runData) {
    if (F::BoxPointX<0>::Get(runData) == 0) {
        AnimationSurface* animation = Animation(runData);
        if (animation == nullptr) return {};
        const std::array<float, 4> box = animation->GetScreenBox();
        const std::array<FrameCorner, 4> corners =
            BoxCornersInFrame(Placement(runData), box[0], box[1], box[2], box[3]);
        F::BoxPointX<0>::Set(runData, corners[0].x), F::BoxPointY<0>::Set(runData, corners[0].y);
        F::BoxPointX<1>::Set(runData, corners[1].x), F::BoxPointY<1>::Set(runData, corners[1].y);
        F::BoxPointX<2>::Set(runData, corners[2].x), F::BoxPointY<2>::Set(runData, corners[2].y);
        F::BoxPointX<3>::Set(runData, corners[3].x), F::BoxPointY<3>::Set(runData, corners[3].y);
    }
    return {FrameCorner{F::BoxPointX<0>::Get(runData), F::BoxPointY<0>::Get(runData)},
            FrameCorner{F::BoxPointX<1>::Get(runData), F::BoxPointY<1>::Get(runData)},
            FrameCorner{F::BoxPointX<2>::Get(runData), F::BoxPointY<2>::Get(runData)},
            FrameCorner{F::BoxPointX<3>::Get(runData), F::BoxPointY<3>::Get(runData)}};
}

int InstanceCount() {
    return instanceCount;
}

bool DeviceFetched() {
    return deviceMarker != nullptr;
}

void CountInstance() {
    ++instanceCount;
}

void UncountInstance() {
    if (instanceCount > 0 && --instanceCount == 0) {
        // The next instance fetches the device again.
        d3dDevice = nullptr;
        deviceMarker = nullptr;
    }
}

bool FetchDevice(cSurface* window) {
    if (deviceMarker != nullptr || window == nullptr) return true;
    std::vector<unsigned char> info(R::DriverInfo::kSize, 0);
    R::DriverInfo::Size::Set(info.data(), static_cast<std::uint32_t>(R::DriverInfo::kSize));
    window->GetDriverInfo(info.data());
    if (window->GetDriver() != R::kDriverDirect3D9) return false;
    deviceMarker = R::DriverInfo::Direct3D::Get(info.data());
    d3dDevice = static_cast<IDirect3DDevice9*>(R::DriverInfo::Direct3DDevice::Get(info.data()));
    return true;
}

}  // namespace RunObject
