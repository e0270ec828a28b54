// The 10 expressions. Each fetches every parameter it declares first; a float result travels
// as its bit pattern, with the float-result flag set in the object's flags word.
#include "AnimationSurface.h"
#include "EntryGuard.h"
#include "HostNumbers.h"
#include "HostParameters.h"
#include "HostRecords.h"
#include "RoutineTable.h"
#include "Routines.h"
#include "RunData.h"
#include "RunObject.h"

namespace O = HostRecords::RunObject;

namespace {

long FloatResult(RunData* runData, float value) {
    O::Flags::Set(runData, static_cast<std::uint16_t>(O::Flags::Get(runData) | O::kFloatResult));
    return FloatBits(value);
}

long MOBILANT_STDCALL GetScaleX(RunData* runData, long) {
    return Guarded(0L, [&] { return FloatResult(runData, O::ScaleX::Get(runData)); });
}

long MOBILANT_STDCALL GetScaleY(RunData* runData, long) {
    return Guarded(0L, [&] { return FloatResult(runData, O::ScaleY::Get(runData)); });
}

long MOBILANT_STDCALL GetRotate(RunData* runData, long) {
    return Guarded(0L, [&] { return static_cast<long>(SaturatingTrunc(O::Angle::Get(runData))); });
}

// Corner `index` (taken unsigned, 0 to 3) of the box in the frame; 0 for any other index.
long Corner(RunData* runData, std::int32_t index, bool wantX) {
    if (static_cast<std::uint32_t>(index) > 3 || RunObject::Animation(runData) == nullptr) return 0;
    const FrameCorner corner = RunObject::BoxPoints(runData)[static_cast<std::size_t>(index)];
    return wantX ? corner.x : corner.y;
}

long MOBILANT_STDCALL GetBoxPointX(RunData* runData, long param) {
    return Guarded(0L, [&] { return Corner(runData, ExpressionInt(runData, true, param), true); });
}

long MOBILANT_STDCALL GetBoxPointY(RunData* runData, long param) {
    return Guarded(0L, [&] { return Corner(runData, ExpressionInt(runData, true, param), false); });
}

long MOBILANT_STDCALL GetBoxPoint1X(RunData* runData, long) {
    return Guarded(0L, [&] { return Corner(runData, 1, true); });
}

long MOBILANT_STDCALL GetBoxPoint1Y(RunData* runData, long) {
    return Guarded(0L, [&] { return Corner(runData, 1, false); });
}

long MOBILANT_STDCALL GetAnimationTime(RunData* runData, long) {
    return Guarded(0L, [&] {
        const AnimationSurface* animation = RunObject::Animation(runData);
        return FloatResult(runData, animation != nullptr ? animation->GetAnimationTime() : 0.0f);
    });
}

// The render-surface point that frame point (x, y) shows, when the blit puts one of the
// surface's pixels there: a point off the surface shows nothing, so nothing is hit there.
bool SurfacePointAt(RunData* runData, const AnimationSurface& animation, float x, float y,
                    SurfacePoint& p) {
    return FrameToSurface(RunObject::Placement(runData), x, y, p) &&
           OnRenderSurface(p, animation.SurfaceWidth(), animation.SurfaceHeight());
}

long MOBILANT_STDCALL HitTestPolygons(RunData* runData, long param) {
    return Guarded(0L, [&]() -> long {
        const float x = ExpressionFloat(runData, true, param);
        const float y = ExpressionFloat(runData, false, param);
        const AnimationSurface* animation = RunObject::Animation(runData);
        SurfacePoint p;
        if (animation == nullptr || !SurfacePointAt(runData, *animation, x, y, p)) return 0;
        return animation->HitTestPolygons(p.x, p.y);
    });
}

long MOBILANT_STDCALL HitTestBoundingBox(RunData* runData, long param) {
    return Guarded(0L, [&]() -> long {
        const float x = ExpressionFloat(runData, true, param);
        const float y = ExpressionFloat(runData, false, param);
        AnimationSurface* animation = RunObject::Animation(runData);
        SurfacePoint p;
        if (animation == nullptr || !SurfacePointAt(runData, *animation, x, y, p)) return 0;
        const std::array<float, 4> box = animation->GetScreenBox();  // left, right, top, bottom
        return box[0] < p.x && p.x < box[1] && box[2] < p.y && p.y < box[3] ? 1 : 0;
    });
}

constexpr ExpressionRoutine kRoutines[kExpressionCount] = {
    GetScaleX,     GetScaleY,     GetRotate,        GetBoxPointX,    GetBoxPointY,
    GetBoxPoint1X, GetBoxPoint1Y, GetAnimationTime, HitTestPolygons, HitTestBoundingBox,
};

}  // namespace

const ExpressionRoutine* ExpressionRoutines() {
    return kRoutines;
}
