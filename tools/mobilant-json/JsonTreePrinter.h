#pragma once

#include <string>

#include "JsonValue.h"

// Writes a parsed tree as compact JSON: members in document order with duplicates kept,
// numbers with 17 significant digits (Infinity, -Infinity and NaN for the values that are
// not finite), strings with `"`, `\` and control bytes as \u00XX and every other byte as is.
class JsonTreePrinter {
public:
    // Appends `value` to `out`.
    static void print(MobilantModule::JsonValue value, std::string& out);

private:
    static void printNumber(double number, std::string& out);
    static void printString(const char* text, std::string& out);
};
