#include "ParseFrameKey.h"

#include <limits>

namespace MobilantModule {

namespace {

// The white space of the "C" locale.
bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::int32_t ParseFrameKey(const char* key) {
    if (key == nullptr) return 0;
    while (isSpace(*key))
        ++key;
    const bool negative = *key == '-';
    if (*key == '-' || *key == '+') ++key;
    // Accumulate the magnitude, stopping once it passes the largest one that fits.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; *key >= '0' && *key <= '9'; ++key) {
        magnitude = magnitude * 10 + (*key - '0');
        if (magnitude > limit) magnitude = limit;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

}  // namespace MobilantModule
