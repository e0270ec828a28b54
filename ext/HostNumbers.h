// Conversions of numbers that come from the game, or go back to it, that never overflow.
#pragma once

#include <cstdint>
#include <cstring>

#include "HostConventions.h"

// `value` truncated toward zero, saturated to the 32-bit range; NaN gives 0.
std::int32_t SaturatingTrunc(double value);

// floor(`value`), saturated to the 32-bit range; NaN gives 0.
std::int32_t SaturatingFloor(double value);

// `value` saturated to the 32-bit range.
std::int32_t Saturate(std::int64_t value);

// The bit pattern of `value`, as a float travels in a host word.
inline long FloatBits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return static_cast<long>(bits);
}

// The float whose bit pattern is the low 32 bits of `word`.
inline float FloatFromBits(LRESULT word) {
    const auto bits = static_cast<std::uint32_t>(word);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
