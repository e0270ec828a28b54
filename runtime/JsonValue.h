#pragma once

#include <bit>
#include <cassert>
#include <cstdint>

#include "JsonTag.h"

namespace MobilantModule {

struct JsonNode;

// One JSON value in one 64-bit word. A number is the IEEE-754 double itself; every other
// value is a quiet NaN whose upper half is 0x7FF80000 with the tag in bits 47 to 50 and the
// payload in the low 47 bits: a pointer (a user-space address fits both on 32-bit Windows
// and on x86-64) or a small integer. The word is trivially copyable and holds no ownership.
class alignas(8) JsonValue {
public:
    static constexpr std::uint64_t payloadMask = (std::uint64_t{1} << 47) - 1;
    static constexpr std::uint64_t boxBits = std::uint64_t{0x7FF80000} << 32;
    static constexpr std::uint64_t nullBits = boxBits | std::uint64_t{15} << 47;
    static constexpr std::uint64_t canonicalNaNBits = boxBits;

    // The null value (upper half 0x7FFF8000, lower half 0).
    constexpr JsonValue() = default;

    // A number holding `number` bit for bit; a NaN that would read as a boxed value
    // becomes the plain quiet NaN, so no double can pose as a pointer.
    explicit constexpr JsonValue(double number) : bits(std::bit_cast<std::uint64_t>(number)) {
        if (!isNumber()) bits = canonicalNaNBits;
    }

    // A boxed value of `tag` (not Number) whose payload is `pointer`.
    JsonValue(JsonTag tag, const void* pointer)
        : JsonValue(tag, static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer))) {}

    // A boxed value of `tag` (not Number) whose payload is the integer `payload` (< 2^47).
    constexpr JsonValue(JsonTag tag, std::uint64_t payload)
        : bits(boxBits | static_cast<std::uint64_t>(tag) << 47 | (payload & payloadMask)) {
        assert(tag != JsonTag::Number && payload <= payloadMask);
    }

    // A value made from a raw word, as read back from storage or made by a test.
    static constexpr JsonValue fromBits(std::uint64_t word) {
        JsonValue value;
        value.bits = word;
        return value;
    }

    static JsonValue makeBool(bool flag) { return JsonValue(JsonTag::Bool, std::uint64_t{flag}); }

    // The raw word.
    constexpr std::uint64_t getBits() const { return bits; }

    // True for a double: upper half, read as a signed integer, below 0x7FF80000, or equal to
    // it with a zero lower half (the quiet NaN an arithmetic operation may produce).
    constexpr bool isNumber() const {
        const auto upper = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32));
        return upper < 0x7FF80000 || (upper == 0x7FF80000 && static_cast<std::uint32_t>(bits) == 0);
    }

    // The kind of the value; a word of unknown tag gives that tag's number, which names
    // no enumerator and so matches none of the kinds the readers ask for.
    constexpr JsonTag getTag() const {
        return isNumber() ? JsonTag::Number : static_cast<JsonTag>((bits >> 47) & 0xF);
    }

    constexpr bool is(JsonTag tag) const { return getTag() == tag; }

    // The low 47 bits, whatever the kind.
    constexpr std::uint64_t getPayload() const { return bits & payloadMask; }

    // The double of a number; for any other value a NaN (never a trap).
    constexpr double getNumber() const { return std::bit_cast<double>(bits); }

    // The decoded, zero-terminated text of a string; null for any other value.
    const char* getString() const {
        return is(JsonTag::String) ? static_cast<const char*>(payloadPointer()) : nullptr;
    }

    // The first element of an array or member of an object (null when empty); null for any
    // other value. Nodes follow through `next` in document order.
    const JsonNode* getFirstNode() const {
        const JsonTag tag = getTag();
        return tag == JsonTag::Array || tag == JsonTag::Object
                   ? static_cast<const JsonNode*>(payloadPointer())
                   : nullptr;
    }

private:
    const void* payloadPointer() const {
        return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(getPayload()));
    }

    std::uint64_t bits = nullBits;
};

static_assert(sizeof(JsonValue) == 8);
static_assert(sizeof(void*) <= 8);

}  // namespace MobilantModule
