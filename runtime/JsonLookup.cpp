#include "JsonLookup.h"

namespace MobilantModule {

namespace {

bool keyEquals(const char* text, std::string_view key) {
    for (const char c : key) {
        if (*text == '\0' || *text != c) return false;
        ++text;
    }
    return *text == '\0';
}

template <typename Element, typename Convert>
std::vector<Element> readNumbers(JsonValue value, Convert convert) {
    std::vector<Element> numbers;
    if (!value.is(JsonTag::Array)) return numbers;
    numbers.reserve(childCount(value));
    for (const JsonNode* node = value.getFirstNode(); node != nullptr; node = node->next) {
        if (!node->value.isNumber()) return {};
        numbers.push_back(convert(node->value.getNumber()));
    }
    return numbers;
}

// The first `count` elements of `value` as floats, when it is an array of `count` numbers, or
// of `count` or more numbers when `more` is allowed.
template <std::size_t count>
std::optional<std::array<float, count>> readFloats(JsonValue value, bool more) {
    if (!value.is(JsonTag::Array)) return std::nullopt;
    std::array<float, count> floats{};
    const JsonNode* node = value.getFirstNode();
    for (float& entry : floats) {
        if (node == nullptr || !node->value.isNumber()) return std::nullopt;
        entry = static_cast<float>(node->value.getNumber());
        node = node->next;
    }
    if (node != nullptr && !(more && isNumberArray(value))) return std::nullopt;
    return floats;
}

}  // namespace

const JsonNode* findMember(JsonValue object, std::string_view key) {
    if (!object.is(JsonTag::Object)) return nullptr;
    for (const JsonNode* member = object.getFirstNode(); member != nullptr; member = member->next) {
        if (keyEquals(member->key, key)) return member;
    }
    return nullptr;
}

std::vector<std::string> memberKeys(JsonValue object) {
    std::vector<std::string> keys;
    if (!object.is(JsonTag::Object)) return keys;
    keys.reserve(childCount(object));
    for (const JsonNode* member = object.getFirstNode(); member != nullptr; member = member->next) {
        keys.emplace_back(member->key);
    }
    return keys;
}

std::size_t childCount(JsonValue container) {
    std::size_t count = 0;
    for (const JsonNode* node = container.getFirstNode(); node != nullptr; node = node->next) {
        ++count;
    }
    return count;
}

bool isNumberArray(JsonValue value) {
    if (!value.is(JsonTag::Array)) return false;
    for (const JsonNode* node = value.getFirstNode(); node != nullptr; node = node->next) {
        if (!node->value.isNumber()) return false;
    }
    return true;
}

bool isNumberArray(JsonValue value, std::size_t count) {
    return isNumberArray(value) && childCount(value) == count;
}

std::vector<float> readFloatArray(JsonValue value) {
    return readNumbers<float>(value, [](double number) { return static_cast<float>(number); });
}

std::vector<std::int32_t> readIntArray(JsonValue value) {
    return readNumbers<std::int32_t>(value, truncateToInt32);
}

std::optional<JsonPoint2> readPoint2(JsonValue value) {
    const auto xy = readFloats<2>(value, true);
    if (!xy) return std::nullopt;
    return JsonPoint2{(*xy)[0], (*xy)[1]};
}

std::optional<JsonPoint4> readPoint4(JsonValue value) {
    const auto xy = readFloats<2>(value, true);
    if (!xy) return std::nullopt;
    return JsonPoint4{(*xy)[0], (*xy)[1], 0.0f, 1.0f};
}

std::optional<std::array<float, 16>> readMatrix(JsonValue value) {
    return readFloats<16>(value, false);
}

std::optional<double> readNumber(JsonValue value) {
    if (!value.isNumber()) return std::nullopt;
    return value.getNumber();
}

std::optional<std::int32_t> readInt(JsonValue value) {
    if (!value.isNumber()) return std::nullopt;
    return truncateToInt32(value.getNumber());
}

bool toBool(JsonValue value) {
    return value.is(JsonTag::Bool) && value.getPayload() != 0;
}

std::int32_t truncateToInt32(double number) {
    if (number != number) return 0;
    if (number <= -2147483648.0) return INT32_MIN;
    if (number >= 2147483647.0) return INT32_MAX;
    return static_cast<std::int32_t>(number);
}

}  // namespace MobilantModule
