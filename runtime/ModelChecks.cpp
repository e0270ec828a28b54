#include "ModelChecks.h"

#include <cmath>
#include <cstdio>

namespace MobilantModule {

namespace {

// Every element is a number and passes `fits`.
template <class Fits>
ModelError checkList(JsonValue value, Fits fits) {
    if (!value.is(JsonTag::Array)) return ModelError::WrongKind;
    for (const JsonNode* node = value.getFirstNode(); node != nullptr; node = node->next) {
        if (!node->value.isNumber()) return ModelError::WrongKind;
        if (!fits(node->value.getNumber())) return ModelError::NotFinite;
    }
    return ModelError::Ok;
}

bool fitsInteger(double number) {
    return std::isfinite(number);
}

}  // namespace

bool fitsFloat(double number) {
    return std::isfinite(static_cast<float>(number));
}

ModelError checkValue(JsonValue value, ValueKind kind) {
    switch (kind) {
        case ValueKind::Object:
            return value.is(JsonTag::Object) ? ModelError::Ok : ModelError::WrongKind;
        case ValueKind::Bool:
            return value.is(JsonTag::Bool) ? ModelError::Ok : ModelError::WrongKind;
        case ValueKind::Integer:
            if (!value.isNumber()) return ModelError::WrongKind;
            return fitsInteger(value.getNumber()) ? ModelError::Ok : ModelError::NotFinite;
        case ValueKind::Float:
            if (!value.isNumber()) return ModelError::WrongKind;
            return fitsFloat(value.getNumber()) ? ModelError::Ok : ModelError::NotFinite;
        case ValueKind::IntegerList:
            return checkList(value, fitsInteger);
        case ValueKind::FloatList:
            return checkList(value, fitsFloat);
        case ValueKind::Point: {
            // Only the first two numbers are read, so only they must fit a float.
            if (!isNumberArray(value) || childCount(value) < 2) return ModelError::WrongKind;
            const JsonNode* x = value.getFirstNode();
            return fitsFloat(x->value.getNumber()) && fitsFloat(x->next->value.getNumber())
                       ? ModelError::Ok
                       : ModelError::NotFinite;
        }
        case ValueKind::Matrix:
            if (!isNumberArray(value, 16)) return ModelError::MatrixNotSixteen;
            return checkList(value, fitsFloat);
    }
    return ModelError::WrongKind;
}

const char* kindName(ValueKind kind) {
    switch (kind) {
        case ValueKind::Object:
            return "an object";
        case ValueKind::Bool:
            return "true or false";
        case ValueKind::Integer:
            return "a finite number";
        case ValueKind::Float:
            return "a number that fits a float";
        case ValueKind::IntegerList:
            return "an array of finite numbers";
        case ValueKind::FloatList:
            return "an array of numbers that fit a float";
        case ValueKind::Point:
            return "a point (2 or more numbers, the first two fitting a float)";
        case ValueKind::Matrix:
            return "16 numbers that fit a float";
    }
    return "something else";
}

std::string quote(std::string_view text) {
    constexpr std::size_t longest = 64;
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size() && i < longest; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            quoted += escaped;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    if (text.size() > longest) quoted += "...";
    quoted += '"';
    return quoted;
}

}  // namespace MobilantModule
