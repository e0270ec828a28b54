#pragma once

namespace MobilantModule {

// A point read from a JSON array of two numbers.
struct JsonPoint2 {
    float x = 0.0f;
    float y = 0.0f;
};

}  // namespace MobilantModule
