// A parameter the host hands to an action or expression, and an expression's result.
#pragma once

#include <cstdint>
#include <string>

struct HostValue {
    enum class Kind { Integer, Number, Text };

    Kind kind = Kind::Integer;
    std::int64_t integer = 0;
    double number = 0;
    std::wstring text;

    static HostValue Integer(std::int64_t value) { return {Kind::Integer, value, 0, {}}; }
    static HostValue Number(double value) { return {Kind::Number, 0, value, {}}; }
    static HostValue Text(std::wstring value) { return {Kind::Text, 0, 0, std::move(value)}; }
};

struct ExpressionValue {
    bool isFloat = false;
    std::int32_t integer = 0;
    float number = 0;

    // The value as a double, whichever it is.
    double AsDouble() const { return isFloat ? static_cast<double>(number) : static_cast<double>(integer); }
};
