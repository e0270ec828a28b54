#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>

#include "Atlas.h"
#include "Kinematics.h"
#include "Models.h"
#include "Paint.h"
#include "RegionBuilder.h"

// A stylised person seen from the side, facing +x, feet on the ground at
// y = -2.5, head at about y = 2.6. The far arm and leg ("back") are drawn
// behind the body in darker colours; the near ones ("front") in front of it.

namespace {

constexpr int kBack = 0;
constexpr int kFront = 1;
constexpr double kPi = std::numbers::pi;
constexpr double kGround = -2.5;

struct Rig {
    int root = 0, hip = 0, spine = 0, chest = 0, neck = 0, head = 0;
    int upperArm[2] = {}, forearm[2] = {}, hand[2] = {};
    int thigh[2] = {}, shin[2] = {}, foot[2] = {};
};

// Horizontal offsets that keep the far limbs from hiding exactly behind the near ones.
constexpr double kArmShift[2] = {-0.06, 0.0};
constexpr double kLegShift[2] = {-0.07, 0.0};
const char* const kSideName[2] = {"back", "front"};

Rig addBones(GenModel& model) {
    const auto add = [&](const std::string& name, int parent, Vec2 start, Vec2 end) {
        model.bones.push_back({name, parent, start, end});
        return static_cast<int>(model.bones.size()) - 1;
    };
    Rig rig;
    rig.root = add("root", -1, {-0.3, kGround}, {0.3, kGround});
    rig.hip = add("hip", rig.root, {0.0, -0.45}, {0.0, 0.0});
    rig.spine = add("spine", rig.hip, {0.0, 0.0}, {0.02, 0.5});
    rig.chest = add("chest", rig.spine, {0.02, 0.5}, {0.0, 1.0});
    rig.neck = add("neck", rig.chest, {0.0, 1.0}, {0.03, 1.2});
    rig.head = add("head", rig.neck, {0.03, 1.2}, {0.06, 2.3});
    for (const int side : {kBack, kFront}) {
        const double dx = kArmShift[side];
        const std::string suffix = std::string("_") + kSideName[side];
        rig.upperArm[side] =
            add("upper_arm" + suffix, rig.chest, {-0.02 + dx, 0.88}, {-0.02 + dx, 0.2});
        rig.forearm[side] =
            add("forearm" + suffix, rig.upperArm[side], {-0.02 + dx, 0.2}, {dx, -0.38});
        rig.hand[side] = add("hand" + suffix, rig.forearm[side], {dx, -0.38}, {0.02 + dx, -0.62});
    }
    for (const int side : {kBack, kFront}) {
        const double dx = kLegShift[side];
        const std::string suffix = std::string("_") + kSideName[side];
        rig.thigh[side] = add("thigh" + suffix, rig.hip, {dx, -0.45}, {0.02 + dx, -1.42});
        rig.shin[side] = add("shin" + suffix, rig.thigh[side], {0.02 + dx, -1.42}, {dx, -2.3});
        rig.foot[side] = add("foot" + suffix, rig.shin[side], {dx, -2.3}, {0.4 + dx, -2.42});
    }
    return rig;
}

// ---- Look ---------------------------------------------------------------------------------

const Color kOutline = rgb(38, 32, 44);
const Color kSkin = rgb(240, 196, 160);
const Color kHair = rgb(92, 56, 36);
const Color kShirt = rgb(58, 124, 204);
const Color kCuff = rgb(40, 90, 160);
const Color kTrousers = rgb(72, 70, 94);
const Color kBelt = rgb(96, 62, 32);
const Color kBuckle = rgb(232, 190, 64);
const Color kShoe = rgb(136, 62, 40);
const Color kSole = rgb(60, 40, 34);
const Color kMouth = rgb(150, 40, 52);
const Color kTongue = rgb(230, 110, 120);
const Color kEyeWhite = rgb(250, 250, 250);
const Color kPupil = rgb(30, 30, 44);
const Color kBlush = rgb(236, 120, 120, 0.35);
constexpr double kLine = 0.018;  // outline width in model units
constexpr double kFarShade = 0.72;

using Painter = std::function<Color(Vec2, double)>;

// Lighter on the side facing +x, as if lit from the front.
Color litAcross(Color c, double offsetX, double radius) {
    return scaled(c, 0.86 + 0.18 * smoothstep(-radius, radius, offsetX));
}

Painter shadowPainter() {
    return [](Vec2 p, double) {
        const double t = length(Vec2{(p.x - 0.05) / 0.75, (p.y - kGround) / 0.085});
        return Color{0.0, 0.0, 0.0, 0.32 * (1.0 - smoothstep(0.55, 1.0, t))};
    };
}

Painter upperArmPainter(const GenModel& model, const Rig& rig, int side) {
    const GenBone bone = model.bones[rig.upperArm[side]];
    const double shade = side == kBack ? kFarShade : 1.0;
    return [=](Vec2 p, double px) {
        PixelPaint paint;
        const double d = sdCapsule(p, bone.restStart, bone.restEnd, 0.135, 0.115);
        paint.outlined(d, px, scaled(litAcross(kShirt, p.x - bone.restStart.x, 0.13), shade),
                       scaled(kOutline, shade), kLine);
        return paint.color;
    };
}

Painter lowerArmPainter(const GenModel& model, const Rig& rig, int side) {
    const GenBone forearm = model.bones[rig.forearm[side]];
    const GenBone hand = model.bones[rig.hand[side]];
    const double shade = side == kBack ? kFarShade : 1.0;
    return [=](Vec2 p, double px) {
        PixelPaint paint;
        const Color line = scaled(kOutline, shade);
        const Vec2 palm = lerp(hand.restStart, hand.restEnd, 0.45);
        const double dHand =
            std::min(sdEllipse(p, palm, {0.11, 0.14}), sdCircle(p, palm + Vec2{0.09, 0.06}, 0.045));
        paint.outlined(dHand, px, scaled(kSkin, shade), line, kLine);
        const double dSleeve = sdCapsule(p, forearm.restStart, forearm.restEnd, 0.115, 0.095);
        const double along =
            dot(p - forearm.restStart, normalized(forearm.restEnd - forearm.restStart)) /
            length(forearm.restEnd - forearm.restStart);
        const Color cloth = along > 0.84 ? kCuff : kShirt;
        paint.outlined(dSleeve, px,
                       scaled(litAcross(cloth, p.x - forearm.restStart.x, 0.11), shade), line,
                       kLine);
        return paint.color;
    };
}

Painter upperLegPainter(const GenModel& model, const Rig& rig, int side) {
    const GenBone bone = model.bones[rig.thigh[side]];
    const double shade = side == kBack ? kFarShade : 1.0;
    return [=](Vec2 p, double px) {
        PixelPaint paint;
        const double d = sdCapsule(p, bone.restStart + Vec2{0.0, 0.05}, bone.restEnd, 0.2, 0.165);
        paint.outlined(d, px, scaled(litAcross(kTrousers, p.x - bone.restStart.x, 0.19), shade),
                       scaled(kOutline, shade), kLine);
        return paint.color;
    };
}

Painter lowerLegPainter(const GenModel& model, const Rig& rig, int side) {
    const GenBone bone = model.bones[rig.shin[side]];
    const double shade = side == kBack ? kFarShade : 1.0;
    return [=](Vec2 p, double px) {
        PixelPaint paint;
        const double d = sdCapsule(p, bone.restStart, bone.restEnd, 0.165, 0.125);
        paint.outlined(d, px, scaled(litAcross(kTrousers, p.x - bone.restStart.x, 0.15), shade),
                       scaled(kOutline, shade), kLine);
        return paint.color;
    };
}

Painter footPainter(int side) {
    const double dx = kLegShift[side];
    const double shade = side == kBack ? kFarShade : 1.0;
    return [=](Vec2 p, double px) {
        PixelPaint paint;
        const double capsule = sdCapsule(p, {-0.06 + dx, -2.37}, {0.44 + dx, -2.385}, 0.13, 0.115);
        const double d = std::max(capsule, (kGround + 0.01) - p.y);
        paint.outlined(d, px, scaled(kShoe, shade), scaled(kOutline, shade), kLine);
        paint.over(scaled(kSole, shade),
                   coverage(d + kLine, px) * coverage(p.y - (kGround + 0.055), px));
        paint.over(
            scaled(kEyeWhite, shade * 0.9),
            coverage(sdCapsule(p, {0.12 + dx, -2.29}, {0.24 + dx, -2.32}, 0.014, 0.014), px));
        return paint.color;
    };
}

Painter torsoPainter() {
    return [](Vec2 p, double px) {
        PixelPaint paint;
        paint.outlined(sdCapsule(p, {0.0, 0.9}, {0.04, 1.32}, 0.11, 0.11), px, kSkin, kOutline,
                       kLine);
        const double body = std::min(sdCapsule(p, {0.0, -0.05}, {0.03, 0.7}, 0.41, 0.42),
                                     sdCapsule(p, {0.0, -0.45}, {0.0, -0.05}, 0.39, 0.41));
        const double inside = coverage(body + kLine, px);
        paint.over(kOutline, coverage(body, px));
        paint.over(litAcross(kTrousers, p.x, 0.4), inside);
        paint.over(kBelt, inside * coverage(-0.32 - p.y, px));
        paint.over(litAcross(kShirt, p.x, 0.4), inside * coverage(-0.22 - p.y, px));
        paint.outlined(sdBox(p, {0.35, -0.27}, {0.045, 0.055}), px, kBuckle, kOutline, 0.014);
        paint.over(kOutline, coverage(sdCapsule(p, {0.08, 1.08}, {0.2, 0.98}, 0.014, 0.014), px));
        paint.over(kOutline, coverage(sdCapsule(p, {0.2, 0.98}, {0.27, 1.08}, 0.014, 0.014), px));
        return paint.color;
    };
}

enum class Face { Normal, Smile, Blink };

// The head is drawn in its own design space, a skull of radius 0.33 at (0.06, 2.22),
// scaled and moved onto the model's skull.
constexpr Vec2 kSkullDesign = {0.06, 2.22};
constexpr Vec2 kSkull = {0.08, 1.78};
constexpr double kSkullScale = 0.56 / 0.33;

Painter headPainter(Face face) {
    return [face](Vec2 model, double modelPixel) {
        const Vec2 p = kSkullDesign + (model - kSkull) * (1.0 / kSkullScale);
        const double px = modelPixel / kSkullScale;
        const double line = kLine / kSkullScale;
        PixelPaint paint;
        const double head =
            std::min({sdCircle(p, kSkullDesign, 0.33), sdEllipse(p, {0.14, 2.04}, {0.24, 0.17}),
                      sdCircle(p, {0.4, 2.16}, 0.05)});
        paint.outlined(head, px, litAcross(kSkin, p.x - 0.1, 0.3), kOutline, line);

        // Hair: the back and the top of the skull, above a line rising to the forehead.
        const double zone = std::min((2.27 + 0.4 * p.x) - p.y, std::max(p.x + 0.1, 1.98 - p.y));
        const double hair = std::max(sdCircle(p, kSkullDesign, 0.36), zone);
        paint.outlined(hair, px, kHair, kOutline, line);

        const Vec2 ear = {-0.01, 2.14};
        paint.outlined(sdCircle(p, ear, 0.065), px, kSkin, kOutline, line);
        paint.over(kOutline, coverage(sdCapsule(p, ear + Vec2{-0.015, -0.025},
                                                ear + Vec2{0.005, 0.025}, 0.008, 0.008),
                                      px));
        paint.over(kBlush, coverage(sdCircle(p, {0.22, 2.1}, 0.05), px));
        paint.over(kHair, coverage(sdCapsule(p, {0.215, 2.33}, {0.315, 2.335}, 0.014, 0.012), px));

        if (face == Face::Blink) {
            paint.over(kOutline,
                       coverage(sdCapsule(p, {0.225, 2.235}, {0.31, 2.232}, 0.01, 0.01), px));
        } else {
            paint.outlined(sdEllipse(p, {0.265, 2.245}, {0.045, 0.06}), px, kEyeWhite, kOutline,
                           0.009);
            paint.over(kPupil, coverage(sdCircle(p, {0.288, 2.24}, 0.026), px));
            paint.over(kEyeWhite, coverage(sdCircle(p, {0.296, 2.255}, 0.008), px));
        }
        if (face == Face::Smile) {
            const double mouth = std::max(sdEllipse(p, {0.31, 2.035}, {0.075, 0.06}), p.y - 2.035);
            paint.outlined(mouth, px, kMouth, kOutline, 0.01);
            paint.over(kTongue,
                       coverage(std::max(mouth + 0.01, sdCircle(p, {0.3, 1.985}, 0.03)), px));
        } else {
            paint.over(kMouth, coverage(sdCapsule(p, {0.27, 2.0}, {0.355, 2.015}, 0.01, 0.01), px));
        }
        return paint.color;
    };
}

// ---- Regions ------------------------------------------------------------------------------

struct PaintedRegion {
    int region;
    Painter painter;
};

StripRegion strip(std::string name, Vec2 a, Vec2 b, double wa, double wb, double extendBefore,
                  double extendAfter, int columns, int rows, std::vector<int> chain, double blend) {
    StripRegion s;
    s.name = std::move(name);
    s.axisStart = a;
    s.axisEnd = b;
    s.halfWidthStart = wa;
    s.halfWidthEnd = wb;
    s.extendBefore = extendBefore;
    s.extendAfter = extendAfter;
    s.columns = columns;
    s.rows = rows;
    s.chain = std::move(chain);
    s.blendHalfWidth = blend;
    return s;
}

void addArm(GenModel& model, const Rig& rig, int side, std::vector<PaintedRegion>& painted) {
    const GenBone& upper = model.bones[rig.upperArm[side]];
    const GenBone& fore = model.bones[rig.forearm[side]];
    const GenBone& hand = model.bones[rig.hand[side]];
    const std::string suffix = std::string("_") + kSideName[side];
    painted.push_back(
        {addStripRegion(model, strip("arm" + suffix + "_upper", upper.restStart, upper.restEnd,
                                     0.18, 0.16, 0.17, 0.15, 5, 12,
                                     {rig.chest, rig.upperArm[side], rig.forearm[side]}, 0.1)),
         upperArmPainter(model, rig, side)});
    painted.push_back(
        {addStripRegion(
             model,
             strip("arm" + suffix + "_lower", fore.restStart, hand.restEnd, 0.16, 0.2, 0.14, 0.12,
                   5, 14, {rig.upperArm[side], rig.forearm[side], rig.hand[side]}, 0.09)),
         lowerArmPainter(model, rig, side)});
}

void addLeg(GenModel& model, const Rig& rig, int side, std::vector<PaintedRegion>& painted) {
    const GenBone& thigh = model.bones[rig.thigh[side]];
    const GenBone& shin = model.bones[rig.shin[side]];
    const double dx = kLegShift[side];
    const std::string suffix = std::string("_") + kSideName[side];
    painted.push_back(
        {addStripRegion(model,
                        strip("leg" + suffix + "_upper", thigh.restStart, thigh.restEnd, 0.25, 0.21,
                              0.24, 0.19, 6, 14, {rig.hip, rig.thigh[side], rig.shin[side]}, 0.12)),
         upperLegPainter(model, rig, side)});
    painted.push_back(
        {addStripRegion(
             model, strip("leg" + suffix + "_lower", shin.restStart, shin.restEnd, 0.21, 0.17, 0.18,
                          0.15, 6, 14, {rig.thigh[side], rig.shin[side], rig.foot[side]}, 0.12)),
         lowerLegPainter(model, rig, side)});
    painted.push_back(
        {addStripRegion(model, strip("foot" + suffix, {-0.22 + dx, -2.37}, {0.6 + dx, -2.39}, 0.17,
                                     0.17, 0.0, 0.0, 5, 7, {rig.shin[side], rig.foot[side]}, 0.08)),
         footPainter(side)});
}

// ---- Clips --------------------------------------------------------------------------------

// A gentle breathing idle over 60 frames; frame 0 (and 60) is the rest pose exactly.
Pose idlePose(const GenModel& model, const Rig& rig, int frame) {
    const double s = std::sin(2.0 * kPi * (frame % 60) / 60.0);
    Pose pose(model.bones.size());
    pose.degrees[rig.spine] = 1.2 * s;
    pose.degrees[rig.chest] = -0.6 * s;
    pose.degrees[rig.neck] = 0.8 * s;
    pose.degrees[rig.head] = 1.6 * s;
    for (const int side : {kBack, kFront}) {
        pose.degrees[rig.upperArm[side]] = 2.5 * s;
        pose.degrees[rig.forearm[side]] = 2.0 * s;
        pose.degrees[rig.hand[side]] = 3.0 * s;
    }
    return pose;
}

// A walk on the spot with a 32-frame cycle.
Pose walkPose(const GenModel& model, const Rig& rig, int frame) {
    const double phase = 2.0 * kPi * (frame % 32) / 32.0;
    Pose pose(model.bones.size());
    pose.degrees[rig.spine] = -4.0 + 1.0 * std::sin(2.0 * phase);
    pose.degrees[rig.chest] = 1.5 * std::cos(2.0 * phase);
    pose.degrees[rig.neck] = 2.0;
    pose.degrees[rig.head] = 2.0 - 1.5 * std::sin(2.0 * phase);
    for (const int side : {kBack, kFront}) {
        const double psi = phase + (side == kFront ? 0.0 : kPi);
        const double swing = (1.0 + std::cos(psi)) / 2.0;
        const double thigh = 26.0 * std::sin(psi);
        const double shin = -(6.0 + 45.0 * swing * swing);
        pose.degrees[rig.thigh[side]] = thigh;
        pose.degrees[rig.shin[side]] = shin;
        pose.degrees[rig.foot[side]] = -0.85 * (thigh + shin);
        pose.degrees[rig.upperArm[side]] = -22.0 * std::sin(psi);
        pose.degrees[rig.forearm[side]] = 16.0 - 12.0 * std::sin(psi);
        pose.degrees[rig.hand[side]] = 4.0;
    }
    // Keep the lower ankle on the ground: lift or drop the hip by as much as the legs miss it.
    const std::vector<BonePoints> posed = posedBonePoints(model.bones, pose);
    const double lowest = std::min(posed[rig.shin[kBack]].end.y, posed[rig.shin[kFront]].end.y);
    pose.offsets[rig.hip] = {0.0, model.bones[rig.shin[kFront]].restEnd.y - lowest};
    return pose;
}

// Raise the near arm, wave twice, lower it: frames 0 to 48.
double waveRaise(int frame) {
    return smoothstep(0.0, 8.0, frame) * (1.0 - smoothstep(40.0, 48.0, frame));
}
double waveSwing(int frame) {
    return frame >= 8 && frame <= 40 ? std::sin(2.0 * kPi * (frame - 8) / 16.0) : 0.0;
}

Pose wavePose(const GenModel& model, const Rig& rig, int frame) {
    const double raise = waveRaise(frame);
    const double swing = waveSwing(frame);
    Pose pose(model.bones.size());
    pose.degrees[rig.spine] = -2.0 * raise;
    pose.degrees[rig.chest] = 3.0 * raise;
    pose.degrees[rig.neck] = 3.0 * raise;
    pose.degrees[rig.head] = 4.0 * raise;
    // The upper arm points forward, a little up; the forearm swings in front of the face.
    pose.degrees[rig.upperArm[kFront]] = 110.0 * raise;
    pose.degrees[rig.forearm[kFront]] = raise * (35.0 + 20.0 * swing);
    pose.degrees[rig.hand[kFront]] = raise * 15.0 * swing;
    pose.degrees[rig.upperArm[kBack]] = -8.0 * raise;
    return pose;
}

// Crouch, leap, land: frames 4 to 36 (the clip does not start at 0).
struct JumpCurves {
    double crouch;  // how far the hip sinks with the feet on the ground
    double height;  // how high the whole body is off the ground
    double tuck;    // 0 on the ground, 1 at the top of the leap
};

JumpCurves jumpCurves(int frame) {
    const double t = frame - 4.0;
    JumpCurves c{0.0, 0.0, 0.0};
    if (t <= 8.0)
        c.crouch = 0.32 * smoothstep(0.0, 8.0, t);
    else if (t <= 11.0)
        c.crouch = 0.32 * (1.0 - smoothstep(8.0, 11.0, t));
    else if (t >= 27.0 && t <= 29.0)
        c.crouch = 0.28 * smoothstep(27.0, 29.0, t);
    else if (t > 29.0)
        c.crouch = 0.28 * (1.0 - smoothstep(29.0, 32.0, t));
    if (t > 11.0 && t < 27.0) {
        const double s = (t - 11.0) / 16.0;
        c.tuck = 4.0 * s * (1.0 - s);
        c.height = 0.55 * c.tuck;
    }
    return c;
}

// Knee angle, in degrees, that lowers the hip by `crouch` with the ankle straight below it.
double crouchKneeDegrees(const GenModel& model, const Rig& rig, double crouch) {
    const double legLength =
        length(model.bones[rig.thigh[kFront]].restEnd - model.bones[rig.thigh[kFront]].restStart) +
        length(model.bones[rig.shin[kFront]].restEnd - model.bones[rig.shin[kFront]].restStart);
    return std::acos(1.0 - crouch / legLength) * 180.0 / kPi;
}

Pose jumpPose(const GenModel& model, const Rig& rig, int frame) {
    const JumpCurves c = jumpCurves(frame);
    Pose pose(model.bones.size());
    pose.offsets[rig.hip] = {0.0, c.height - c.crouch};
    const double knee = crouchKneeDegrees(model, rig, c.crouch);
    const double crouched = c.crouch / 0.32;
    pose.degrees[rig.spine] = -12.0 * crouched + 4.0 * c.tuck;
    pose.degrees[rig.head] = 6.0 * crouched;
    for (const int side : {kBack, kFront}) {
        const double spread = side == kBack ? 6.0 : 0.0;
        pose.degrees[rig.thigh[side]] = knee + (30.0 + spread) * c.tuck;
        pose.degrees[rig.shin[side]] = -2.0 * knee - 55.0 * c.tuck;
        pose.degrees[rig.foot[side]] = knee + 20.0 * c.tuck;
        pose.degrees[rig.upperArm[side]] = -35.0 * crouched + (140.0 - spread) * c.tuck;
        pose.degrees[rig.forearm[side]] = 10.0 * crouched + 20.0 * c.tuck;
    }
    return pose;
}

// The morph clips: the head and torso leaning towards one side of the control plane, each
// breathing slowly over 30 frames. Leaning right or left turns the body clockwise or
// counter-clockwise, with the arms turned back to hang and the head turned back a little; up leans back and looks up with the
// arms raised; down crouches and bows, looking down.
enum class Lean { Centre, Right, Left, Up, Down };

Pose leanPose(const GenModel& model, const Rig& rig, Lean lean, int frame) {
    const double breath = std::sin(2.0 * kPi * (frame % 30) / 30.0);
    Pose pose(model.bones.size());
    pose.degrees[rig.chest] = 1.0 * breath;
    pose.degrees[rig.head] = 1.5 * breath;
    const auto bendBody = [&](double spine, double chest, double neck, double head) {
        pose.degrees[rig.spine] += spine;
        pose.degrees[rig.chest] += chest;
        pose.degrees[rig.neck] += neck;
        pose.degrees[rig.head] += head;
    };
    switch (lean) {
        case Lean::Centre:
            break;
        case Lean::Right:
        case Lean::Left: {
            const double side = lean == Lean::Right ? -1.0 : 1.0;
            // The head turns back a little, so the face stays nearly level.
            bendBody(10.0 * side, 8.0 * side, 4.0 * side, -8.0 * side);
            for (const int arm : {kBack, kFront})
                pose.degrees[rig.upperArm[arm]] = -18.0 * side;
            break;
        }
        case Lean::Up:
            bendBody(4.0, 4.0, 6.0, 14.0);
            pose.degrees[rig.upperArm[kFront]] = 150.0;
            pose.degrees[rig.upperArm[kBack]] = 140.0;
            for (const int arm : {kBack, kFront})
                pose.degrees[rig.forearm[arm]] = 10.0;
            break;
        case Lean::Down: {
            const double crouch = 0.3;
            const double knee = crouchKneeDegrees(model, rig, crouch);
            pose.offsets[rig.hip] = {0.0, -crouch};
            for (const int leg : {kBack, kFront}) {
                pose.degrees[rig.thigh[leg]] = knee;
                pose.degrees[rig.shin[leg]] = -2.0 * knee;
                pose.degrees[rig.foot[leg]] = knee;
                pose.degrees[rig.upperArm[leg]] = 20.0;
            }
            bendBody(-14.0, -6.0, -4.0, -12.0);
            break;
        }
    }
    return pose;
}

// The weight images of the four leaning targets (right, left, up, down) over a grid of
// `res` x `res`, res odd. Grid x grows to the right of the centre and grid y downwards, as the
// control point moves; at (x, y) with offsets (ox, oy) from the centre each target weighs the
// share of |ox| + |oy| that lies on its side, so the four weights sum to 1 (255) everywhere but
// at the centre, where all are 0 and the centre clip alone is drawn. The blend is then a mix of
// poses whose weights sum to 1, except where the control point lies on the centre's row or
// column within one cell right of or below it: a whole coordinate is not interpolated, so the
// centre's zeros are read there and the figure shrinks by up to 1 / (res / 2). A fine grid
// keeps that small.
std::vector<std::vector<std::uint8_t>> leanWeightImages(int res) {
    std::vector<std::vector<std::uint8_t>> images(4);
    const int half = res / 2;
    for (int y = 0; y < res; ++y) {
        for (int x = 0; x < res; ++x) {
            const int ox = x - half;
            const int oy = y - half;
            const double sum = std::abs(ox) + std::abs(oy);
            const int sides[4] = {std::max(ox, 0), std::max(-ox, 0), std::max(-oy, 0),
                                  std::max(oy, 0)};
            for (int target = 0; target < 4; ++target) {
                const double share = sum > 0.0 ? sides[target] / sum : 0.0;
                images[target].push_back(static_cast<std::uint8_t>(std::lround(255.0 * share)));
            }
        }
    }
    return images;
}

}  // namespace

GenModel makeCharacterModel() {
    GenModel model;
    model.name = "character";
    // A translation, so the root's local points differ from its model-space points.
    model.rootParentFrame = Rigid2::translationBy({0.0, kGround});
    const Rig rig = addBones(model);

    std::vector<PaintedRegion> painted;
    painted.push_back({addStripRegion(model, strip("shadow", {-0.85, kGround}, {0.95, kGround},
                                                   0.13, 0.13, 0.0, 0.0, 3, 9, {rig.root}, 0.1)),
                       shadowPainter()});
    addArm(model, rig, kBack, painted);
    addLeg(model, rig, kBack, painted);
    addLeg(model, rig, kFront, painted);
    const int torso =
        addStripRegion(model, strip("torso", {0.01, -0.88}, {0.01, 1.36}, 0.5, 0.5, 0.0, 0.0, 9, 22,
                                    {rig.hip, rig.spine, rig.chest, rig.neck}, 0.12));
    painted.push_back({torso, torsoPainter()});
    const int head = addStripRegion(model, strip("head", {0.1, 1.08}, {0.1, 2.44}, 0.68, 0.68, 0.0,
                                                 0.0, 13, 13, {rig.neck, rig.head}, 0.08));
    painted.push_back({head, headPainter(Face::Normal)});
    addArm(model, rig, kFront, painted);

    // Texture atlas: tall cells first, then the head with its two alternative faces
    // side by side (a UV warp moves the head's UVs across by one cell), then the rest.
    Atlas atlas(1024, 1024, 200.0, 6);
    std::vector<AtlasCell> cells(model.regions.size());
    std::vector<int> order;
    for (const PaintedRegion& p : painted) {
        if (p.region != head) order.push_back(p.region);
    }
    const auto heightOf = [&](int region) {
        Vec2 lo, hi;
        regionBounds(model, model.regions[region], lo, hi);
        return hi.y - lo.y;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return heightOf(a) > heightOf(b); });
    std::vector<int> tall, low;
    for (const int r : order)
        (heightOf(r) > 1.0 ? tall : low).push_back(r);
    for (const int r : tall) {
        Vec2 lo, hi;
        regionBounds(model, model.regions[r], lo, hi);
        cells[r] = atlas.place(lo, hi);
    }
    Vec2 headLo, headHi;
    regionBounds(model, model.regions[head], headLo, headHi);
    const std::vector<AtlasCell> faces = atlas.placeRow(headLo, headHi, 3);
    cells[head] = faces[0];
    const AtlasCell& smileCell = faces[1];
    const AtlasCell& blinkCell = faces[2];
    for (const int r : low) {
        Vec2 lo, hi;
        regionBounds(model, model.regions[r], lo, hi);
        cells[r] = atlas.place(lo, hi);
    }
    for (const PaintedRegion& p : painted) {
        mapRegionUvs(model, model.regions[p.region], atlas, cells[p.region]);
        atlas.paint(cells[p.region], p.painter);
    }
    atlas.paint(smileCell, headPainter(Face::Smile));
    atlas.paint(blinkCell, headPainter(Face::Blink));
    model.texture = atlas.image();

    const Vec2 toSmile = {static_cast<double>(smileCell.x - cells[head].x) / atlas.width(), 0.0};
    const Vec2 toBlink = {static_cast<double>(blinkCell.x - cells[head].x) / atlas.width(), 0.0};
    model.hasUvSwapItems = true;
    model.uvSwapItems.push_back(
        {head,
         {{{}, {}, {1.0, 1.0}, 0}, {{}, toSmile, {1.0, 1.0}, 1}, {{}, toBlink, {1.0, 1.0}, 2}}});
    model.hasAnchorPoints = true;
    model.anchorPoints = {{{0.0, kGround}, "walk"}, {{0.6, 1.9}, "wave"}, {{0.0, kGround}, "jump"}};

    GenClip idle;
    idle.name = "default";
    for (int f = 0; f <= 60; f += 4)
        idle.keys.push_back(makeClipKey(model, f, idlePose(model, rig, f)));
    model.clips.push_back(idle);

    GenClip walk;
    walk.name = "walk";
    for (int f = 0; f <= 32; ++f)
        walk.keys.push_back(makeClipKey(model, f, walkPose(model, rig, f)));
    model.clips.push_back(walk);

    GenClip wave;
    wave.name = "wave";
    wave.hasOpacities = true;
    const GenRegion& torsoRegion = model.regions[torso];
    const GenRegion& headRegion = model.regions[head];
    int shadowRegion = painted.front().region;
    for (int f = 0; f <= 48; f += 2) {
        ClipKey key = makeClipKey(model, f, wavePose(model, rig, f));
        const double raise = waveRaise(f);
        // Breathing in: the chest swells before skinning.
        const double breath = 0.035 * std::pow(std::sin(kPi * f / 48.0), 2.0);
        RegionKey& chest = key.regions[torso];
        chest.useLocal = true;
        for (int i = 0; i < torsoRegion.pointCount; ++i) {
            const Vec2 p = model.points[torsoRegion.firstPoint + i];
            const double bump = smoothstep(0.0, 0.35, p.y) * (1.0 - smoothstep(0.8, 1.05, p.y));
            chest.localDisplacements.push_back({breath * bump * p.x / 0.42, breath * bump * 0.3});
        }
        // Squash and stretch of the head in time with the waving, after skinning.
        const double stretch = 0.05 * raise * waveSwing(f);
        RegionKey& face = key.regions[head];
        face.usePost = true;
        for (int i = 0; i < headRegion.pointCount; ++i) {
            const Vec2 p = model.points[headRegion.firstPoint + i];
            face.postDisplacements.push_back(
                {-0.5 * stretch * (p.x - kSkull.x), stretch * (p.y - kSkull.y)});
        }
        // The UV warp is on in every frame: identity, or one of the alternative faces.
        face.uvEnabled = true;
        if (f == 30)
            face.globalOffset = toBlink;
        else if (raise > 0.5)
            face.globalOffset = toSmile;
        key.regions[shadowRegion].opacity = 100.0 - 20.0 * raise;
        wave.keys.push_back(std::move(key));
    }
    model.clips.push_back(wave);

    GenClip jump;
    jump.name = "jump";
    jump.hasOpacities = true;
    const GenRegion& shadow = model.regions[shadowRegion];
    for (int f = 4; f <= 36; ++f) {
        ClipKey key = makeClipKey(model, f, jumpPose(model, rig, f));
        const double tuck = jumpCurves(f).tuck;
        RegionKey& ground = key.regions[shadowRegion];
        ground.opacity = 100.0 - 60.0 * tuck;
        ground.usePost = true;
        for (int i = 0; i < shadow.pointCount; ++i) {
            const Vec2 p = model.points[shadow.firstPoint + i];
            ground.postDisplacements.push_back((p - Vec2{0.05, kGround}) * (-0.45 * tuck));
        }
        jump.keys.push_back(std::move(key));
    }
    model.clips.push_back(jump);

    const std::pair<const char*, Lean> leans[] = {{"lean_centre", Lean::Centre},
                                                  {"lean_right", Lean::Right},
                                                  {"lean_left", Lean::Left},
                                                  {"lean_up", Lean::Up},
                                                  {"lean_down", Lean::Down}};
    for (const auto& [name, lean] : leans) {
        GenClip clip;
        clip.name = name;
        for (int f = 0; f <= 30; f += 10)
            clip.keys.push_back(makeClipKey(model, f, leanPose(model, rig, lean, f)));
        model.clips.push_back(std::move(clip));
    }

    model.hasMeta = true;
    GenMeta& meta = model.meta;
    std::vector<std::string> all;
    for (const GenRegion& region : model.regions)
        all.push_back(region.name);
    meta.skinSwaps.push_back({"full", all});
    std::vector<std::string> front;
    for (const std::string& name : all) {
        if (name.find("_back") == std::string::npos) front.push_back(name);
    }
    meta.skinSwaps.push_back({"no_back_limbs", front});
    // Listed out of the model's order, which is the order they are drawn in all the same.
    meta.skinSwaps.push_back({"upper_body",
                              {"head", "torso", "arm_front_upper", "arm_front_lower",
                               "arm_back_upper", "arm_back_lower"}});
    meta.centreClip = "lean_centre";
    meta.morphTargets = {{"lean_right", {1.0, 0.0}},
                         {"lean_left", {-1.0, 0.0}},
                         {"lean_up", {0.0, 1.0}},
                         {"lean_down", {0.0, -1.0}}};
    meta.morphRes = 33;
    meta.weightImages = leanWeightImages(meta.morphRes);
    meta.eventTriggers = {{"walk", "footstep_front", 8}, {"walk", "footstep_back", 24},
                          {"jump", "take_off", 15}, {"jump", "landing", 31}};
    return model;
}
