#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "JsonNode.h"
#include "JsonPoint2.h"
#include "JsonPoint4.h"
#include "JsonValue.h"

// Read-only queries on a parsed tree. Every one of them is safe on any tree: a value of the
// wrong kind, a missing member (a null node) or an array holding something other than numbers
// gives an empty result or std::nullopt, never a read of the wrong payload.
namespace MobilantModule {

// The first member of `object`, in document order, whose key equals `key` byte for byte;
// null when there is none or `object` is not an object.
const JsonNode* findMember(JsonValue object, std::string_view key);

// The value of a member (from findMember); the null value when `member` is null.
inline JsonValue memberValue(const JsonNode* member) {
    return member != nullptr ? member->value : JsonValue();
}

// The value of the first member of `object` keyed `key`; the null value when there is none.
inline JsonValue memberValue(JsonValue object, std::string_view key) {
    return memberValue(findMember(object, key));
}

// The keys of the members of `object`, in document order (duplicates kept); empty for a
// value that is not an object.
std::vector<std::string> memberKeys(JsonValue object);

// Number of members of an object or elements of an array; 0 for any other value.
std::size_t childCount(JsonValue container);

// True for an array whose elements are all numbers (the empty array included).
bool isNumberArray(JsonValue value);

// True for an array of exactly `count` numbers.
bool isNumberArray(JsonValue value, std::size_t count);

// The elements of an array of numbers, each rounded to the nearest float; empty when
// `value` is not an array or holds anything but numbers.
std::vector<float> readFloatArray(JsonValue value);

// The elements of an array of numbers, each truncated toward zero (see truncateToInt32);
// empty when `value` is not an array or holds anything but numbers.
std::vector<std::int32_t> readIntArray(JsonValue value);

// (x, y) from the first two numbers of an array of two or more numbers (exporters may write a
// third coordinate, which a 2D model does not use).
std::optional<JsonPoint2> readPoint2(JsonValue value);

// (x, y, 0, 1) from the first two numbers of an array of two or more numbers.
std::optional<JsonPoint4> readPoint4(JsonValue value);

// The 16 floats of an array of exactly 16 numbers, in document order.
std::optional<std::array<float, 16>> readMatrix(JsonValue value);

// The double of a number value.
std::optional<double> readNumber(JsonValue value);

// The double of a member's number value; nullopt for a null member or a non-number.
inline std::optional<double> readNumber(const JsonNode* member) {
    return readNumber(memberValue(member));
}

// A number value truncated toward zero (see truncateToInt32).
std::optional<std::int32_t> readInt(JsonValue value);

inline std::optional<std::int32_t> readInt(const JsonNode* member) {
    return readInt(memberValue(member));
}

// The flag of a Bool value; false for every other kind of value.
bool toBool(JsonValue value);

// `number` truncated toward zero, saturated to the int32 range; NaN gives 0.
std::int32_t truncateToInt32(double number);

}  // namespace MobilantModule
