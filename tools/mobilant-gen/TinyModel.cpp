#include "Kinematics.h"
#include "Models.h"

// Three bones along a bent arm and two regions, all on round numbers:
//
//   root  (-1, 0) -> (0, 0)   its rest parent frame is a translation by (-1, 0)
//   mid   ( 0, 0) -> (1, 0)   child of root
//   tip   ( 1, 0) -> (1, 1)   child of mid, turned by +90 degrees
//
// "arm" is a 3 x 2 grid over root and mid; "hand" a 2 x 2 square around tip.
// Clip "bend" keys frames 0, 5 and 10 only: at 5 mid has turned +90 degrees,
// at 10 tip has turned back by -90 degrees relative to mid.
GenModel makeTinyModel() {
    GenModel model;
    model.name = "tiny";
    model.rootParentFrame = Rigid2::translationBy({-1.0, 0.0});
    model.bones = {
        {"root", -1, {-1.0, 0.0}, {0.0, 0.0}},
        {"mid", 0, {0.0, 0.0}, {1.0, 0.0}},
        {"tip", 1, {1.0, 0.0}, {1.0, 1.0}},
    };

    model.points = {{-1.0, -0.5}, {-1.0, 0.5}, {0.0, -0.5}, {0.0, 0.5}, {1.0, -0.5},
                    {1.0, 0.5},   {0.5, 0.0},  {0.5, 1.0},  {1.5, 0.0}, {1.5, 1.0}};
    model.uvs = {{0.0, 0.5}, {0.0, 0.0}, {0.5, 0.5}, {0.5, 0.0}, {1.0, 0.5},
                 {1.0, 0.0}, {0.0, 1.0}, {0.0, 0.5}, {1.0, 1.0}, {1.0, 0.5}};
    // Clockwise with y up, two triangles per square.
    model.indices = {0, 1, 3, 0, 3, 2, 2, 3, 5, 2, 5, 4, 6, 7, 9, 6, 9, 8};

    GenRegion arm;
    arm.name = "arm";
    arm.id = 0;
    arm.firstPoint = 0;
    arm.pointCount = 6;
    arm.firstIndex = 0;
    arm.indexCount = 12;
    arm.weights = {{1.0, 1.0, 0.5, 0.5, 0.0, 0.0},
                   {0.0, 0.0, 0.5, 0.5, 1.0, 1.0},
                   {0.0, 0.0, 0.0, 0.0, 0.0, 0.0}};
    GenRegion hand;
    hand.name = "hand";
    hand.id = 1;
    hand.firstPoint = 6;
    hand.pointCount = 4;
    hand.firstIndex = 12;
    hand.indexCount = 6;
    hand.weights = {{0.0, 0.0, 0.0, 0.0}, {0.5, 0.0, 0.5, 0.0}, {0.5, 1.0, 0.5, 1.0}};
    model.regions = {arm, hand};

    const Pose rest(model.bones.size());
    GenClip idle;
    idle.name = "default";
    idle.keys.push_back(makeClipKey(model, 0, rest));
    model.clips.push_back(idle);

    GenClip bend;
    bend.name = "bend";
    bend.hasOpacities = true;
    Pose turned = rest;
    turned.degrees[1] = 90.0;
    Pose straightened = turned;
    straightened.degrees[2] = -90.0;
    const Pose poses[] = {rest, turned, straightened};
    const double handOpacity[] = {100.0, 50.0, 0.0};
    const Vec2 handShift[] = {{0.0, 0.0}, {0.5, 0.0}, {0.0, 0.5}};
    for (int k = 0; k < 3; ++k) {
        ClipKey key = makeClipKey(model, 5 * k, poses[k]);
        RegionKey& handKey = key.regions[1];
        handKey.opacity = handOpacity[k];
        handKey.usePost = true;
        handKey.postDisplacements.assign(4, handShift[k]);
        bend.keys.push_back(key);
    }
    model.clips.push_back(bend);
    return model;
}
