#include "JsonParse.h"

#include <array>
#include <cfloat>
#include <cstdint>

#include "JsonNode.h"
#include "JsonTag.h"

namespace MobilantModule {

// Every step of the conversion must round to double; extended precision (the x87) would give
// other numbers. On 32-bit x86 compile with -msse2 -mfpmath=sse.
static_assert(FLT_EVAL_METHOD == 0, "the number conversion needs plain double arithmetic");

namespace {

// factor_k = factor_(k-1) * 0.1 with factor_0 = 1, rounded at every step exactly as the
// digit-by-digit loop rounds it, up to the last factor before the product reaches zero.
constexpr int countFractionFactors() {
    double factor = 1.0;
    int count = 0;
    while ((factor *= 0.1) != 0.0)
        ++count;
    return count;
}

constexpr int fractionFactorCount = countFractionFactors();

constexpr std::array<double, fractionFactorCount> fractionFactors = [] {
    std::array<double, fractionFactorCount> factors{};
    double factor = 1.0;
    for (double& entry : factors)
        entry = (factor *= 0.1);
    return factors;
}();

// Any exponent from here on gives the same power: 10^512 overflows and 0.1^512 underflows
// in the binary exponentiation, whatever the lower bits multiply in.
constexpr unsigned exponentLimit = 1024;

// The integer part is summed in an integer while it is below 2^53: every step of
// result * 10 + digit in doubles is exact there, so the sums agree bit for bit.
constexpr int exactIntegerDigits = 15;

constexpr bool isDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

constexpr bool isWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr std::array<bool, 256> delimiters = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {'\0', ' ', '\t', '\n', '\v', '\f', '\r', ',', ':', ']', '}'}) {
        table[c] = true;
    }
    return table;
}();

constexpr bool isDelimiter(char c) {
    return delimiters[static_cast<unsigned char>(c)];
}

// Bytes a string copies without a second look: everything but the quote, the backslash,
// the terminating zero and the control characters.
constexpr std::array<bool, 256> plainStringBytes = [] {
    std::array<bool, 256> table{};
    for (int c = 0x20; c < 256; ++c)
        table[c] = c != '"' && c != '\\' && c != 0x7F;
    return table;
}();

inline double convertNumber(const char* s, const char** end) {
    const char first = *s;
    if (first == '-' || first == '+') ++s;

    std::uint64_t integer = 0;
    int digits = 0;
    while (digits < exactIntegerDigits && isDigit(*s)) {
        integer = integer * 10 + static_cast<unsigned>(*s++ - '0');
        ++digits;
    }
    double result = static_cast<double>(integer);
    while (isDigit(*s))
        result = result * 10.0 + (*s++ - '0');

    if (*s == '.') {
        ++s;
        const char* const fractionStart = s;
        while (isDigit(*s) && s - fractionStart < fractionFactorCount) {
            result += (*s - '0') * fractionFactors[s - fractionStart];
            ++s;
        }
        // Past the table the factor is zero: the remaining digits add +0.
        while (isDigit(*s))
            ++s;
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
        unsigned exponent = 0;
        for (; isDigit(*s); ++s) {
            if (exponent < exponentLimit)
                exponent = exponent * 10 + static_cast<unsigned>(*s - '0');
        }
        double power = 1.0;
        for (; exponent != 0; exponent >>= 1) {
            if (exponent & 1) power *= base;
            base *= base;
        }
        result *= power;
    }

    if (first == '-') result = -result;
    if (end != nullptr) *end = s;
    return result;
}

// One open array or object. Its node list is circular while open (the tail's next is the
// first node), so appending needs no second pointer.
struct Level {
    JsonNode* tail;
    const char* key;  // the member key waiting for its value; null when a key comes next
    JsonTag tag;
};

// Closes a level's circular list and gives its first node (null when empty).
inline JsonNode* detachList(JsonNode* tail) {
    if (tail == nullptr) return nullptr;
    JsonNode* first = tail->next;
    tail->next = nullptr;
    return first;
}

// Decodes the string whose opening quote precedes `s` in place and leaves `s` past the
// closing quote (or at the end of the text). On failure `end` marks the offending byte.
inline JsonStatus decodeString(char*& s, char*& end) {
    while (plainStringBytes[static_cast<unsigned char>(*s)])
        ++s;  // nothing to move yet
    char* out = s;
    for (;;) {
        const char c = *s;
        if (plainStringBytes[static_cast<unsigned char>(c)]) {
            *out++ = c;
            ++s;
        } else if (c == '"') {
            *out = '\0';
            ++s;
            return JsonStatus::Ok;
        } else if (c == '\0') {
            *out = '\0';  // an open string ends with the text
            return JsonStatus::Ok;
        } else if (c == '\\') {
            const char escape = *++s;
            switch (escape) {
                case '"':
                case '\\':
                case '/':
                    *out++ = escape;
                    break;
                case 'b':
                    *out++ = '\b';
                    break;
                case 'f':
                    *out++ = '\f';
                    break;
                case 'n':
                    *out++ = '\n';
                    break;
                case 'r':
                    *out++ = '\r';
                    break;
                case 't':
                    *out++ = '\t';
                    break;
                case 'u': {
                    unsigned code = 0;
                    for (int i = 0; i < 4; ++i) {
                        const char h = *++s;
                        unsigned digit;
                        if (isDigit(h)) {
                            digit = static_cast<unsigned>(h - '0');
                        } else if (h >= 'a' && h <= 'f') {
                            digit = static_cast<unsigned>(h - 'a' + 10);
                        } else if (h >= 'A' && h <= 'F') {
                            digit = static_cast<unsigned>(h - 'A' + 10);
                        } else {
                            end = s;
                            return JsonStatus::BadString;
                        }
                        code = code << 4 | digit;
                    }
                    // Each escape on its own: a surrogate pair becomes two 3-byte sequences.
                    if (code < 0x80) {
                        *out++ = static_cast<char>(code);
                    } else if (code < 0x800) {
                        *out++ = static_cast<char>(0xC0 | code >> 6);
                        *out++ = static_cast<char>(0x80 | (code & 0x3F));
                    } else {
                        *out++ = static_cast<char>(0xE0 | code >> 12);
                        *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
                        *out++ = static_cast<char>(0x80 | (code & 0x3F));
                    }
                    break;
                }
                default:
                    end = s;
                    return JsonStatus::BadString;
            }
            ++s;
        } else {
            end = s;  // a control character
            return JsonStatus::BadString;
        }
    }
}

inline bool follows(const char* s, const char* word) {
    for (; *word != '\0'; ++s, ++word) {
        if (*s != *word) return false;
    }
    return isDelimiter(*s);
}

}  // namespace

double jsonConvertNumber(const char* text, const char** end) {
    return convertNumber(text, end);
}

JsonStatus jsonParse(char* text, char*& end, JsonValue& root, JsonAllocator& allocator) {
    end = text;
    if (text == nullptr) return JsonStatus::UnexpectedEnd;

    Level stack[jsonMaxDepth];
    int depth = 0;
    bool separator = true;  // a `,` or `:` would be misplaced here
    char* s = text;
    while (*s != '\0') {
        while (isWhiteSpace(*s))
            ++s;
        end = s;
        JsonValue value;
        switch (static_cast<unsigned char>(*s++)) {
            case '\0':
                return JsonStatus::UnexpectedEnd;
            case '-':
                if (!isDigit(*s) && *s != '.') {
                    end = s;
                    return JsonStatus::BadNumber;
                }
                [[fallthrough]];
            case '0':
            case '1':
            case '2':
            case '3':
            case '4':
            case '5':
            case '6':
            case '7':
            case '8':
            case '9': {
                const char* after;
                value = JsonValue(convertNumber(end, &after));
                s = end + (after - end);
                if (!isDelimiter(*s)) {
                    end = s;
                    return JsonStatus::BadNumber;
                }
                break;
            }
            case '"': {
                char* const string = s;
                if (decodeString(s, end) != JsonStatus::Ok) return JsonStatus::BadString;
                if (!isDelimiter(*s)) return JsonStatus::BadString;
                value = JsonValue(JsonTag::String, string);
                break;
            }
            case 't':
                if (!follows(s, "rue")) return JsonStatus::BadLiteral;
                s += 3;
                value = JsonValue::makeBool(true);
                break;
            case 'f':
                if (!follows(s, "alse")) return JsonStatus::BadLiteral;
                s += 4;
                value = JsonValue::makeBool(false);
                break;
            case 'n':
                if (!follows(s, "ull")) return JsonStatus::BadLiteral;
                s += 3;
                break;
            case '[':
            case '{':
                if (depth == jsonMaxDepth) return JsonStatus::TooDeep;
                stack[depth++] = {nullptr, nullptr, *end == '[' ? JsonTag::Array : JsonTag::Object};
                separator = true;
                continue;
            case ']':
                if (depth == 0) return JsonStatus::UnexpectedClose;
                if (stack[depth - 1].tag != JsonTag::Array) return JsonStatus::MismatchedClose;
                value = JsonValue(JsonTag::Array, detachList(stack[--depth].tail));
                break;
            case '}':
                if (depth == 0) return JsonStatus::UnexpectedClose;
                if (stack[depth - 1].tag != JsonTag::Object) return JsonStatus::MismatchedClose;
                if (stack[depth - 1].key != nullptr) return JsonStatus::UnexpectedCharacter;
                value = JsonValue(JsonTag::Object, detachList(stack[--depth].tail));
                break;
            case ':':
                if (separator || depth == 0 || stack[depth - 1].key == nullptr) {
                    return JsonStatus::UnexpectedCharacter;
                }
                separator = true;
                continue;
            case ',':
                if (separator || (depth > 0 && stack[depth - 1].key != nullptr)) {
                    return JsonStatus::UnexpectedCharacter;
                }
                separator = true;
                continue;
            default:
                return JsonStatus::UnexpectedCharacter;
        }

        // A value is complete.
        separator = false;
        if (depth == 0) {
            end = s;
            root = value;
            return JsonStatus::Ok;
        }
        Level& top = stack[depth - 1];
        JsonNode* node;
        if (top.tag == JsonTag::Object) {
            if (top.key == nullptr) {
                if (!value.is(JsonTag::String)) return JsonStatus::KeyNotString;
                top.key = value.getString();
                continue;
            }
            node = static_cast<JsonNode*>(allocator.allocate(memberNodeSize));
            node->key = top.key;
            top.key = nullptr;
        } else {
            node = static_cast<JsonNode*>(allocator.allocate(arrayNodeSize));
        }
        node->value = value;
        if (top.tail == nullptr) {
            node->next = node;
        } else {
            node->next = top.tail->next;
            top.tail->next = node;
        }
        top.tail = node;
    }
    return JsonStatus::UnexpectedEnd;
}

}  // namespace MobilantModule
