#include "HostNumbers.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kMin = std::numeric_limits<std::int32_t>::min();
constexpr double kMax = std::numeric_limits<std::int32_t>::max();

}  // namespace

std::int32_t SaturatingTrunc(double value) {
    if (std::isnan(value)) return 0;
    if (value <= kMin) return std::numeric_limits<std::int32_t>::min();
    if (value >= kMax) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

std::int32_t SaturatingFloor(double value) {
    return SaturatingTrunc(std::floor(value));
}

std::int32_t Saturate(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}
