#pragma once

namespace MobilantModule {

// A homogeneous point (x, y, z, w) read from a JSON array of two numbers as (x, y, 0, 1).
struct JsonPoint4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

}  // namespace MobilantModule
