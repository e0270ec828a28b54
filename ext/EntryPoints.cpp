#include "EntryPoints.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "AnimationSurface.h"
#include "EntryGuard.h"
#include "HostNumbers.h"
#include "HostRecords.h"
#include "MessageBoxes.h"
#include "ResourcePools.h"
#include "RoutineTable.h"
#include "Routines.h"
#include "RunData.h"
#include "RunObject.h"
#include "cSurface.h"

namespace R = HostRecords;
namespace O = HostRecords::RunObject;
namespace F = RunDataField;

namespace {

// The object's identifier, the four bytes "5ASA".
constexpr std::int32_t kIdentifier = '5' | 'A' << 8 | 'S' << 16 | 'A' << 24;
constexpr std::uint32_t kObjectFlags = 0x0300;  // sprites and alterable values
constexpr int kDefaultWidth = 240;
constexpr int kDefaultHeight = 320;

// The host's display offset for this object: one pair for objects that scroll, one for objects
// independent of scrolling.
void DisplayOffset(RunData* runData, std::int64_t& x, std::int64_t& y) {
    x = y = 0;
    void* runHeader = O::RunHeader::Get(runData);
    if (runHeader == nullptr) return;
    if ((O::OptionFlags::Get(runData) & O::kIndependentOfScrolling) != 0) {
        x = R::RunHeader::FixedOffsetX::Get(runHeader);
        y = R::RunHeader::FixedOffsetY::Get(runHeader);
    } else {
        x = R::RunHeader::ScrollOffsetX::Get(runHeader);
        y = R::RunHeader::ScrollOffsetY::Get(runHeader);
    }
}

// Where the object is displayed: the frame window's surface, or the parent application's when
// the application runs inside one that shows it as a sprite.
cSurface* DisplaySurface(RunData* runData) {
    cSurface* window = RunObject::FrameWindowSurface(runData);
    void* runHeader = O::RunHeader::Get(runData);
    void* application = runHeader != nullptr ? R::RunHeader::Application::Get(runHeader) : nullptr;
    if (application == nullptr) return window;
    void* parent = R::Application::ParentApplication::Get(application);
    if (parent == nullptr ||
        (R::Application::SubApplicationOptions::Get(application) &
         R::Application::kDisplayAsSprite) == 0)
        return window;
    return WinGetSurface(static_cast<int>(reinterpret_cast<std::intptr_t>(
                             R::Application::FrameWindow::Get(parent))),
                         0);
}

// Marks the run data as being displayed for as long as it lives; a release notification that
// arrived meanwhile is carried out at the end.
class DisplayScope {
public:
    explicit DisplayScope(RunData* runData) : runData_(runData) {
        F::Displaying::Set(runData_, 1);
    }
    ~DisplayScope() {
        F::Displaying::Set(runData_, 0);
        if (F::ReleasePending::Get(runData_) != 0) {
            F::ReleasePending::Set(runData_, 0);
            RunObject::DestroyRenderSurface(runData_);
        }
    }
    DisplayScope(const DisplayScope&) = delete;
    DisplayScope& operator=(const DisplayScope&) = delete;

private:
    RunData* runData_;
};

}  // namespace

extern "C" {

DWORD MOBILANT_STDCALL GetInfos(int query) {
    switch (query) {
        case 0: return 0x300;
        case 2: return 0x100;
        case 6: return 2;
        case 7: return 249;
        case 8: return 1;
        default: return 0;
    }
}

int MOBILANT_STDCALL GetRunObjectInfos(void*, void* info) {
    return Guarded(0, [&] {
        if (info == nullptr) return 0;
        namespace I = R::ObjectInfo;
        I::Conditions::Set(info, nullptr);
        I::Actions::Set(info, const_cast<ActionRoutine*>(ActionRoutines()));
        I::Expressions::Set(info, const_cast<ExpressionRoutine*>(ExpressionRoutines()));
        I::ConditionCount::Set(info, 0);
        I::ActionCount::Set(info, static_cast<std::int16_t>(kActionCount));
        I::ExpressionCount::Set(info, static_cast<std::int16_t>(kExpressionCount));
        I::EditDataSize::Set(info, static_cast<std::uint16_t>(R::EditRecord::kSize));
        I::EditFlags::Set(info, kObjectFlags);
        I::WindowProcPriority::Set(info, 100);
        I::EditPreferences::Set(info, 0x0102);
        I::Identifier::Set(info, kIdentifier);
        I::Version::Set(info, 1);
        return 1;
    });
}

WORD MOBILANT_STDCALL GetRunObjectDataSize(void*, EditData*) {
    return static_cast<WORD>(O::kSize);
}

int MOBILANT_STDCALL CreateRunObject(RunData* runData, EditData* editData, void* creationInfo) {
    return Guarded(0, [&] {
        if (runData == nullptr) return 0;
        F::Animation::Set(runData, nullptr);
        F::RenderSurface::Set(runData, nullptr);
        F::NotificationSurface::Set(runData, nullptr);
        F::Displaying::Set(runData, 0);
        F::ReleasePending::Set(runData, 0);
        // The host laid out its blocks other than we read them: touching them would corrupt
        // its record, so the instance stays inert (no surface, every routine a no-op).
        if (static_cast<std::size_t>(O::OffsetOfValues::Get(runData)) !=
            R::Stretched(O::kValuesBlock)) {
            std::puts("CreateRunObject() - unexpected run data layout");
            return 0;
        }

        cSurface* window = RunObject::FrameWindowSurface(runData);
        const bool noDirect3D = window != nullptr && !RunObject::FetchDevice(window);

        int width = kDefaultWidth, height = kDefaultHeight;
        if (editData != nullptr) {
            width = std::clamp(R::EditRecord::Width::Get(editData), 1, RunObject::kMaxSurfaceSize);
            height = std::clamp(R::EditRecord::Height::Get(editData), 1, RunObject::kMaxSurfaceSize);
        }
        if (creationInfo != nullptr) {
            O::X::Set(runData, R::CreationInfo::X::Get(creationInfo));
            O::Y::Set(runData, R::CreationInfo::Y::Get(creationInfo));
        }
        O::ImageWidth::Set(runData, width);
        O::ImageHeight::Set(runData, height);

        auto animation = std::make_unique<AnimationSurface>();
        animation->UpdateViewMatrix(-4.0f, 4.0f, -3.0f, 3.0f);
        animation->SetSurfaceSize(width, height);

        O::ScaleX::Set(runData, 1.0f);
        O::ScaleY::Set(runData, 1.0f);
        O::Angle::Set(runData, 0.0f);
        F::HotSpotX::Set(runData, 0);
        F::HotSpotY::Set(runData, 0);
        O::HotSpotX::Set(runData, 0);
        O::HotSpotY::Set(runData, 0);
        RunObject::InvalidateBoxPoints(runData);
        F::DebugDraw::Set(runData, 0);
        F::Animation::Set(runData, animation.release());
        RunObject::CountInstance();

        // Last: the instance is whole before a modal box lets the host call in again.
        if (noDirect3D)
            ShowMessageBox(L"DirectX9を取得できません[mobilant animation ext]", L"Error");
        return 0;
    });
}

int MOBILANT_STDCALL DestroyRunObject(RunData* runData, long) {
    return Guarded(0, [&] {
        if (runData == nullptr) return 0;
        // Unregistered from where it was registered, whether or not a surface exists now (a
        // release notification may have taken it).
        RunObject::UnregisterReleaseNotification(runData);
        RunObject::DestroyRenderSurface(runData);
        AnimationSurface* animation = F::Animation::Get(runData);
        F::Animation::Set(runData, nullptr);
        if (animation != nullptr) {
            delete animation;
            RunObject::UncountInstance();
        }
        return 0;
    });
}

int MOBILANT_STDCALL HandleRunObject(RunData* runData) {
    return Guarded(0, [&] {
        if (runData == nullptr) return 0;
        AnimationSurface* animation = RunObject::Animation(runData);
        if (animation != nullptr && F::RenderSurface::Get(runData) == nullptr) {
            if (cSurface* window = RunObject::FrameWindowSurface(runData))
                RunObject::MakeRenderSurface(runData, window, animation->SurfaceWidth(),
                                             animation->SurfaceHeight());
        }
        if (animation != nullptr) {
            RunObject::InvalidateBoxPoints(runData);
            animation->Handle();
        }
        return O::Changed::Get(runData) != 0 ? 2 : 0;
    });
}

int MOBILANT_STDCALL DisplayRunObject(RunData* runData) {
    return Guarded(0, [&] {
        if (runData == nullptr) return 0;
        AnimationSurface* animation = RunObject::Animation(runData);
        cSurface* renderSurface = F::RenderSurface::Get(runData);
        if (animation == nullptr || renderSurface == nullptr || F::Displaying::Get(runData) != 0)
            return 0;
        cSurface* destination = DisplaySurface(runData);
        if (destination == nullptr) return 0;
        DisplayScope displaying(runData);
        const bool debug = F::DebugDraw::Get(runData) != 0;

        destination->Flush(FALSE);
        renderSurface->BeginRendering(TRUE, 0);
        animation->Display();
        if (debug) {
            const int width = renderSurface->GetWidth();
            const int height = renderSurface->GetHeight();
            renderSurface->Rectangle(0, 0, width, height, 1, 0xFF0000);
        }
        renderSurface->EndRendering();

        std::int64_t offsetX, offsetY;
        DisplayOffset(runData, offsetX, offsetY);
        const std::int32_t x = Saturate(O::X::Get(runData) - offsetX);
        const std::int32_t y = Saturate(O::Y::Get(runData) - offsetY);
        POINT centre{F::HotSpotX::Get(runData), F::HotSpotY::Get(runData)};
        const std::uint32_t ink = O::InkEffect::Get(runData);
        const float scaleX = O::ScaleX::Get(runData);
        const float scaleY = O::ScaleY::Get(runData);
        const float angle = O::Angle::Get(runData);
        const int width = renderSurface->GetWidth();
        const int height = renderSurface->GetHeight();
        renderSurface->BlitEx(*destination, static_cast<float>(x), static_cast<float>(y), scaleX,
                              scaleY, 0, 0, width, height, &centre, angle,
                              (ink & O::kInkTransparent) != 0 ? BMODE_TRANSP : BMODE_OPAQUE,
                              static_cast<BlitOp>(ink & O::kInkOperationMask),
                              static_cast<LPARAM>(O::InkEffectParam::Get(runData)),
                              (ink & O::kInkAntialias) != 0 ? BLTF_ANTIA : 0);

        if (debug && (angle != 0.0f || scaleX != 1.0f || scaleY != 1.0f)) {
            const std::int32_t left = Saturate(std::int64_t{x} - O::HotSpotX::Get(runData));
            const std::int32_t top = Saturate(std::int64_t{y} - O::HotSpotY::Get(runData));
            destination->Rectangle(left, top, Saturate(std::int64_t{left} + O::ImageWidth::Get(runData)),
                                   Saturate(std::int64_t{top} + O::ImageHeight::Get(runData)), 1,
                                   0x00FF00);
        }

        void* runHeader = O::RunHeader::Get(runData);
        RECT zone{O::DisplayLeft::Get(runData), O::DisplayTop::Get(runData),
                  O::DisplayRight::Get(runData), O::DisplayBottom::Get(runData)};
        WinAddZone(runHeader != nullptr ? R::RunHeader::FrameWindow::Get(runHeader) : nullptr,
                   &zone);
        return 0;
    });
}

int MOBILANT_STDCALL PauseRunObject(RunData*) {
    return 0;
}

int MOBILANT_STDCALL ContinueRunObject(RunData*) {
    return 0;
}

int MOBILANT_STDCALL SaveRunObject(RunData*, HANDLE) {
    return 1;
}

int MOBILANT_STDCALL LoadRunObject(RunData*, HANDLE) {
    return 1;
}

void MOBILANT_STDCALL StartApp(void*, void*) {
    Guarded([] { StartAppPools(); });
}

void MOBILANT_STDCALL EndApp(void*, void*) {
    Guarded([] { EndAppPools(); });
}

void MOBILANT_STDCALL StartFrame(void*, DWORD, int) {}

void MOBILANT_STDCALL EndFrame(void*, DWORD, int) {}

WORD* MOBILANT_STDCALL GetDebugTree(RunData*) {
    static WORD tree[] = {0xFFFF};
    return tree;
}

void MOBILANT_STDCALL GetDebugItem(LPWSTR, RunData*, int) {}

void MOBILANT_STDCALL EditDebugItem(RunData*, int) {}

int MOBILANT_STDCALL Initialize(void*, int) {
    return 0;
}

int MOBILANT_STDCALL Free(void*) {
    return 0;
}

}  // extern "C"
