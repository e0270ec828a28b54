#pragma once

#include "JsonAllocator.h"
#include "JsonStatus.h"
#include "JsonValue.h"

namespace MobilantModule {

// Deepest nesting of arrays and objects jsonParse accepts.
inline constexpr int jsonMaxDepth = 32;

// Parses the zero-terminated `text` in place: strings are decoded inside the buffer and
// point into it, nodes come from `allocator`. On Ok, `root` receives the root value and
// `end` points just past it (text after the root is never read); on failure `root` is left
// untouched and `end` points at the token that failed (or at the offending character inside
// a number or string). Accepts a few things strict JSON does not: missing and trailing
// commas, leading zeros, `1.`, `1e`, `-.5`, and a last string left open at the end of the text.
JsonStatus jsonParse(char* text, char*& end, JsonValue& root, JsonAllocator& allocator);

// Converts the number at `text` (an optional sign, digits, an optional `.` and digits, an
// optional exponent) in doubles, digit by digit: integer part result * 10 + digit, fraction
// digits weighted by a factor multiplied by 0.1 per digit, exponent applied as a power of
// 10 or 0.1 raised by binary exponentiation. There is no range check (1e999 is infinity,
// 0e999 NaN). `end`, if given, receives the first character not used.
double jsonConvertNumber(const char* text, const char** end);

}  // namespace MobilantModule
