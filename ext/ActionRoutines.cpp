// The 24 actions. Each fetches every parameter it declares before anything else, so the host's
// parameter cursor is never left part-way, then works on the animation surface, the pools or the
// run data. None reports an error: bad ids, sizes and numbers change nothing.
#include <cmath>

#include "AnimationSurface.h"
#include "EntryGuard.h"
#include "HostParameters.h"
#include "HostRecords.h"
#include "MobilantPool.h"
#include "ResourcePools.h"
#include "RoutineTable.h"
#include "Routines.h"
#include "RunData.h"
#include "RunObject.h"
#include "TexturePool.h"

namespace O = HostRecords::RunObject;
namespace F = RunDataField;

namespace {

// Runs `body` on the instance's animation surface, when it has one.
template <class Body>
void WithAnimation(RunData* runData, Body&& body) {
    if (AnimationSurface* animation = RunObject::Animation(runData)) body(*animation);
}

short MOBILANT_STDCALL LoadTexturePoolAction(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t id = ActionInt(runData);
        const wchar_t* fileName = ActionString(runData);
        LoadTexturePool(id, fileName);
    });
    return 0;
}

short MOBILANT_STDCALL LoadMobilantPoolAction(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t id = ActionInt(runData);
        const wchar_t* fileName = ActionString(runData);
        LoadMobilantPool(id, fileName);
    });
    return 0;
}

short MOBILANT_STDCALL ReleaseTexturePoolAction(RunData* runData, long, long) {
    Guarded([&] { ReleaseTexturePool(ActionInt(runData)); });
    return 0;
}

short MOBILANT_STDCALL ReleaseMobilantPoolAction(RunData* runData, long, long) {
    Guarded([&] { ReleaseMobilantPool(ActionInt(runData)); });
    return 0;
}

short MOBILANT_STDCALL ReleaseAllPoolAction(RunData*, long, long) {
    Guarded([] { ReleaseAllPool(); });
    return 0;
}

short MOBILANT_STDCALL SetMobilantData(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t id = ActionInt(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.SetMobilantData(id); });
        RunObject::InvalidateBoxPoints(runData);
    });
    return 0;
}

short MOBILANT_STDCALL SetTexture(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t id = ActionInt(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.SetTexture(id); });
    });
    return 0;
}

short MOBILANT_STDCALL InitAnimation(RunData* runData, long, long) {
    Guarded([&] {
        const wchar_t* name = ActionString(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.InitAnimation(name); });
    });
    return 0;
}

short MOBILANT_STDCALL PlayAnimation(RunData* runData, long, long) {
    Guarded([&] {
        const wchar_t* name = ActionString(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.PlayAnimation(name); });
    });
    return 0;
}

short MOBILANT_STDCALL SetAnimationSpeed(RunData* runData, long, long) {
    Guarded([&] {
        const float step = ActionFloat(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.SetAnimationSpeed(step); });
    });
    return 0;
}

short MOBILANT_STDCALL SetAnimationBlending(RunData* runData, long, long) {
    Guarded([&] {
        const wchar_t* name = ActionString(runData);
        const float factor = ActionFloat(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.SetAnimationBlending(name, factor); });
    });
    return 0;
}

short MOBILANT_STDCALL SetMirrorY(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t flag = ActionInt(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.SetMirrorY(flag); });
        RunObject::InvalidateBoxPoints(runData);
    });
    return 0;
}

short MOBILANT_STDCALL UpdateViewMatrix(RunData* runData, long, long) {
    Guarded([&] {
        const float left = ActionFloat(runData);
        const float right = ActionFloat(runData);
        const float top = ActionFloat(runData);
        const float bottom = ActionFloat(runData);
        WithAnimation(runData,
                      [&](AnimationSurface& a) { a.UpdateViewMatrix(left, right, top, bottom); });
        RunObject::InvalidateBoxPoints(runData);
    });
    return 0;
}

// The render surface is replaced at once (what is drawn and blitted changes now); the host's
// image size follows with the next SetHotSpot, SetRotate or SetScaleXY.
short MOBILANT_STDCALL SetSurfaceSize(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t w = ActionInt(runData);
        const std::int32_t h = ActionInt(runData);
        AnimationSurface* animation = RunObject::Animation(runData);
        if (animation == nullptr || w < 1 || h < 1 || w > RunObject::kMaxSurfaceSize ||
            h > RunObject::kMaxSurfaceSize)
            return;
        animation->SetSurfaceSize(w, h);
        RunObject::InvalidateBoxPoints(runData);
        if (F::Displaying::Get(runData) != 0) {
            // Reached from inside display (a modal box's loop): the next handling makes it.
            F::ReleasePending::Set(runData, 1);
            return;
        }
        RunObject::DestroyRenderSurface(runData);
        RunObject::MakeRenderSurface(runData, RunObject::FrameWindowSurface(runData), w, h);
    });
    return 0;
}

short MOBILANT_STDCALL SetHotSpot(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t x = ActionInt(runData);
        const std::int32_t y = ActionInt(runData);
        if (RunObject::Animation(runData) == nullptr) return;
        F::HotSpotX::Set(runData, x);
        F::HotSpotY::Set(runData, y);
        O::HotSpotX::Set(runData, x);
        O::HotSpotY::Set(runData, y);
        RunObject::UpdateImageBounds(runData);
        RunObject::InvalidateBoxPoints(runData);
    });
    return 0;
}

short MOBILANT_STDCALL SetRotate(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t angle = ActionInt(runData);
        if (RunObject::Animation(runData) == nullptr) return;
        // The mathematical modulo: -1 gives 359, -360 gives 0, 725 gives 5.
        const std::int32_t turned = (angle % 360 + 360) % 360;
        O::Angle::Set(runData, static_cast<float>(turned));
        RunObject::UpdateImageBounds(runData);
        RunObject::InvalidateBoxPoints(runData);
    });
    return 0;
}

short MOBILANT_STDCALL SetScaleXY(RunData* runData, long, long) {
    Guarded([&] {
        const float sx = ActionFloat(runData);
        const float sy = ActionFloat(runData);
        if (RunObject::Animation(runData) == nullptr || !std::isfinite(sx) || !std::isfinite(sy))
            return;
        O::ScaleX::Set(runData, sx);
        O::ScaleY::Set(runData, sy);
        RunObject::UpdateImageBounds(runData);
        RunObject::InvalidateBoxPoints(runData);
    });
    return 0;
}

short MOBILANT_STDCALL FitMatrixToSurface(RunData* runData, long, long) {
    Guarded([&] {
        const float ratio = ActionFloat(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.fitMatrixtoSurface(ratio); });
        RunObject::InvalidateBoxPoints(runData);
    });
    return 0;
}

short MOBILANT_STDCALL SetAnimationTime(RunData* runData, long, long) {
    Guarded([&] {
        const float t = ActionFloat(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.SetAnimationTime(t); });
    });
    return 0;
}

short MOBILANT_STDCALL SetDebugDraw(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t flag = ActionInt(runData);
        if (RunObject::Animation(runData) == nullptr) return;
        F::DebugDraw::Set(runData, flag != 0 ? 1 : 0);
        RunObject::Animation(runData)->SetDebugDraw(flag != 0 ? 1 : 0);
    });
    return 0;
}

short MOBILANT_STDCALL LoadMetaFile(RunData* runData, long, long) {
    Guarded([&] {
        const wchar_t* fileName = ActionString(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.LoadMetaFile(fileName); });
    });
    return 0;
}

short MOBILANT_STDCALL SetSkinSwap(RunData* runData, long, long) {
    Guarded([&] {
        const wchar_t* name = ActionString(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.SetSkinSwap(name); });
    });
    return 0;
}

short MOBILANT_STDCALL SetMorphTargetFlg(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t flag = ActionInt(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.setMorphTargetFlg(flag); });
    });
    return 0;
}

short MOBILANT_STDCALL SetMorphTargetPos(RunData* runData, long, long) {
    Guarded([&] {
        const std::int32_t bx = ActionInt(runData);
        const std::int32_t by = ActionInt(runData);
        const std::int32_t tx = ActionInt(runData);
        const std::int32_t ty = ActionInt(runData);
        WithAnimation(runData, [&](AnimationSurface& a) { a.setMorphTargetPos(bx, by, tx, ty); });
    });
    return 0;
}

constexpr ActionRoutine kRoutines[kActionCount] = {
    LoadTexturePoolAction,  LoadMobilantPoolAction, ReleaseTexturePoolAction,
    ReleaseMobilantPoolAction, ReleaseAllPoolAction, SetMobilantData,
    SetTexture,             InitAnimation,          PlayAnimation,
    SetAnimationSpeed,      SetAnimationBlending,   SetMirrorY,
    UpdateViewMatrix,       SetSurfaceSize,         SetHotSpot,
    SetRotate,              SetScaleXY,             FitMatrixToSurface,
    SetAnimationTime,       SetDebugDraw,           LoadMetaFile,
    SetSkinSwap,            SetMorphTargetFlg,      SetMorphTargetPos,
};

}  // namespace

const ActionRoutine* ActionRoutines() {
    return kRoutines;
}
