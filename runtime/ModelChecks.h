#pragma once

#include <string>
#include <string_view>

#include "JsonLookup.h"
#include "JsonValue.h"
#include "ModelCheck.h"

// Small checks shared by the model and clip validation.
namespace MobilantModule {

// What the model format says a value holds. Every number must be finite: a float as a float
// (1e39 is not), an integer as a double (it is then truncated and saturated).
enum class ValueKind {
    Object,
    Bool,
    Integer,      // a number read by truncation toward zero
    Float,        // a number read as a float
    IntegerList,  // an array of integers
    FloatList,    // an array of floats
    Point,        // an array of two or more numbers, the first two floats (the rest unread)
    Matrix,       // an array of exactly 16 floats
};

// Ok, or why `value` is not of `kind`: WrongKind, NotFinite, or MatrixNotSixteen for a Matrix
// of another shape.
ModelError checkValue(JsonValue value, ValueKind kind);

// The kind as a message says it: "an object", "a point (2 numbers)", ...
const char* kindName(ValueKind kind);

// True when `number` is finite once rounded to a float.
bool fitsFloat(double number);

// `text` in double quotes for a message: quotes, backslashes and control bytes escaped, and
// cut after 64 bytes ("..." marks the cut), so any key prints as one short line.
std::string quote(std::string_view text);

// Reads the required member `key` of `object` into `out`. When it is absent or not of `kind`,
// sets `check` (MissingMember, WrongKind, NotFinite or MatrixNotSixteen) with a place made of
// where() and the key, and returns false. where() is called only then.
template <class Where>
bool requireMember(JsonValue object, std::string_view key, ValueKind kind, JsonValue& out,
                   ModelCheck& check, Where&& where) {
    const JsonNode* member = findMember(object, key);
    if (member == nullptr) {
        check = {ModelError::MissingMember, where() + ": " + quote(key)};
        return false;
    }
    const ModelError error = checkValue(member->value, kind);
    if (error != ModelError::Ok) {
        check = {error, where() + ": " + quote(key) + " must be " + kindName(kind)};
        return false;
    }
    out = member->value;
    return true;
}

}  // namespace MobilantModule
