#pragma once

#include <cfloat>
#include <cstdint>

static_assert(FLT_EVAL_METHOD == 0, "the reference conversion needs plain double arithmetic");

// The number conversion written out step by step, with no table and no integer shortcut:
// the yardstick the parser's conversion must match bit for bit. The exponent saturates
// instead of overflowing; any exponent from 512 on gives infinity or zero as its power.
inline double referenceJsonNumber(const char* s, const char** end) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char first = *s;
    if (first == '+' || first == '-') ++s;
    double result = 0.0;
    while (isDigit(*s))
        result = result * 10 + (*s++ - '0');
    if (*s == '.') {
        ++s;
        double factor = 1.0;
        while (isDigit(*s)) {
            factor *= 0.1;
            result += (*s++ - '0') * factor;
        }
    }
    if (*s == 'e' || *s == 'E') {
        ++s;
        double base = 10.0;
        if (*s == '-') {
            base = 0.1;
            ++s;
        } else if (*s == '+') {
            ++s;
        }
        std::uint64_t exponent = 0;
        for (; isDigit(*s); ++s) {
            const unsigned digit = static_cast<unsigned>(*s - '0');
            exponent = exponent > (UINT64_MAX - digit) / 10 ? UINT64_MAX : exponent * 10 + digit;
        }
        double power = 1.0;
        for (; exponent != 0; exponent >>= 1) {
            if (exponent & 1) power *= base;
            base *= base;
        }
        result *= power;
    }
    if (first == '-') result = -result;
    *end = s;
    return result;
}
