#pragma once

#include <cstdint>

namespace MobilantModule {

// The kind of a JSON value, as stored in bits 47 to 50 of a non-number JsonValue.
enum class JsonTag : std::uint32_t {
    Number = 0,
    String = 1,
    Bool = 2,
    Array = 3,
    Object = 4,
    Null = 15,
};

}  // namespace MobilantModule
