#pragma once

#include <cstdint>

namespace MobilantModule {

// A frame number from a member key, read as the C library's decimal string-to-integer
// conversion reads it: leading white space and one sign are skipped, digits are read up to the
// first other character, and a key without digits is 0. A value outside the 32-bit range
// saturates to its nearest end instead of overflowing.
std::int32_t ParseFrameKey(const char* key);

}  // namespace MobilantModule
