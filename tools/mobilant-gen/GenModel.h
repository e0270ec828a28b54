#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Rigid2.h"
#include "Vec2.h"

// Everything the generator knows about one model, in model space, before it
// becomes the exporter's JSON text. Bones are stored in pre-order and a bone's
// id is its index; regions are stored in draw order.

struct GenBone {
    std::string name;
    int parent = -1;  // index of the parent bone, -1 for the root
    Vec2 restStart;   // model-space rest points
    Vec2 restEnd;
};

struct GenRegion {
    std::string name;
    int id = 0;
    int firstPoint = 0;
    int pointCount = 0;
    int firstIndex = 0;
    int indexCount = 0;
    // weights[bone][point of the region]; one row per bone of the skeleton.
    std::vector<std::vector<double>> weights;
};

// One region's animated state at one keyed frame.
struct RegionKey {
    bool useLocal = false;
    bool usePost = false;
    std::vector<Vec2> localDisplacements;  // one per region point when useLocal
    std::vector<Vec2> postDisplacements;   // one per region point when usePost
    bool uvEnabled = false;
    Vec2 localOffset;
    Vec2 globalOffset;
    Vec2 scale{1.0, 1.0};
    double opacity = 100.0;
};

struct BonePoints {
    Vec2 start;
    Vec2 end;
};

struct ClipKey {
    int frame = 0;
    std::vector<BonePoints> bones;   // one per bone, in bone order
    std::vector<RegionKey> regions;  // one per region, in region order
};

struct GenClip {
    std::string name;
    bool hasOpacities = false;
    std::vector<ClipKey> keys;  // ascending frames
};

struct UvSwapItem {
    Vec2 localOffset;
    Vec2 globalOffset;
    Vec2 scale{1.0, 1.0};
    int tag = 0;
};

struct RegionSwapItems {
    int region = 0;
    std::vector<UvSwapItem> items;
};

struct AnchorPoint {
    Vec2 point;
    std::string clipName;
};

// A named set of regions drawn together instead of the whole mesh.
struct SkinSwap {
    std::string name;
    std::vector<std::string> regions;  // region names, in any order
};

// A clip blended in by the control point, with its direction on the control plane.
struct MorphTarget {
    std::string clip;
    Vec2 position;
};

// A named event at one frame of a clip.
struct EventTrigger {
    std::string clip;
    std::string event;
    int frame = 0;
};

// What the model's meta-data file holds.
struct GenMeta {
    std::vector<SkinSwap> skinSwaps;
    std::string centreClip;  // the clip of the control plane's centre; empty for none
    std::vector<MorphTarget> morphTargets;
    int morphRes = 0;  // side of each weight image
    // One image per morph target, morphRes x morphRes bytes, rows top to bottom: byte b
    // weighs the target's clip b / 255 where the control point falls on it.
    std::vector<std::vector<std::uint8_t>> weightImages;
    std::vector<EventTrigger> eventTriggers;
};

// Straight RGBA8 pixels, rows top to bottom.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

struct GenModel {
    std::string name;
    Rigid2 rootParentFrame;  // the root bone's "restParentMat"
    std::vector<GenBone> bones;
    std::vector<Vec2> points;
    std::vector<Vec2> uvs;
    std::vector<std::uint32_t> indices;
    std::vector<GenRegion> regions;
    std::vector<GenClip> clips;
    bool hasUvSwapItems = false;
    std::vector<RegionSwapItems> uvSwapItems;
    bool hasAnchorPoints = false;
    std::vector<AnchorPoint> anchorPoints;
    // When false, a region's "weights" lists only the bones that influence it.
    bool writeEveryBoneWeight = true;
    RgbaImage texture;  // empty when the model has no texture of its own
    bool hasMeta = false;  // whether the model comes with a meta-data file
    GenMeta meta;
};
