#pragma once

#include "JsonLookup.h"
#include "Vec2.h"
#include "Vec4.h"

// Conversions from the model file's two-number points to the mesh layer's value types. Both
// give zeros (and w = 1 for Vec4) for anything but an array of two numbers; the model and clip
// checks have refused such values before anything is built.
namespace MobilantModule {

inline Vec4 readVec4(JsonValue value) {
    const JsonPoint4 point = readPoint4(value).value_or(JsonPoint4{});
    return {point.x, point.y, point.z, point.w};
}

inline Vec2 readVec2(JsonValue value) {
    const JsonPoint2 point = readPoint2(value).value_or(JsonPoint2{});
    return {point.x, point.y};
}

}  // namespace MobilantModule
