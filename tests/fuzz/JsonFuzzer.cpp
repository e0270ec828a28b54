// Feeds arbitrary bytes to jsonParse and runs every lookup on every value of the tree it
// builds. Besides the sanitizers' checks it asserts the parser's contracts: the end position
// stays inside the text, a failed parse leaves the root alone, findMember finds the first
// member of each key, and the number conversion matches the plain digit-by-digit one.
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../json/JsonReferenceNumber.h"
#include "JsonDocument.h"
#include "JsonLookup.h"
#include "JsonParse.h"

using namespace MobilantModule;

namespace {

std::size_t textLength = 0;  // of the current input, up to its first zero byte

void check(bool condition) {
    if (!condition) std::abort();
}

void readEverything(JsonValue value, int depth) {
    check(depth <= jsonMaxDepth);
    const std::size_t count = childCount(value);
    const std::vector<float> floats = readFloatArray(value);
    const std::vector<std::int32_t> ints = readIntArray(value);
    check(floats.size() == ints.size());
    check(floats.size() == (isNumberArray(value) ? count : 0));
    check(readPoint2(value).has_value() == (isNumberArray(value) && count >= 2));
    check(readPoint4(value).has_value() == (isNumberArray(value) && count >= 2));
    check(readMatrix(value).has_value() == isNumberArray(value, 16));
    check(readNumber(value).has_value() == value.isNumber());
    check(readInt(value).has_value() == value.isNumber());
    check(toBool(value) == (value.is(JsonTag::Bool) && value.getPayload() == 1));
    if (const char* text = value.getString()) check(std::strlen(text) <= textLength);

    const std::vector<std::string> keys = memberKeys(value);
    check(keys.size() == (value.is(JsonTag::Object) ? count : 0));
    check(findMember(value, "\xFF no such key") == nullptr);
    for (const std::string& key : keys) {
        const JsonNode* found = findMember(value, key);
        check(found != nullptr && key == found->key);
        for (const JsonNode* member = value.getFirstNode(); member != found;
             member = member->next) {
            check(key != member->key);  // nothing before it has the same key
        }
    }
    for (const JsonNode* node = value.getFirstNode(); node != nullptr; node = node->next) {
        readEverything(node->value, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const std::size_t length = std::strlen(text.data());
    textLength = length;

    // The conversion from the start of the input, fast and plain.
    const char* fastEnd = nullptr;
    const char* plainEnd = nullptr;
    const double fast = jsonConvertNumber(text.data(), &fastEnd);
    const double plain = referenceJsonNumber(text.data(), &plainEnd);
    check(std::bit_cast<std::uint64_t>(fast) == std::bit_cast<std::uint64_t>(plain));
    check(fastEnd == plainEnd);

    JsonAllocator allocator;
    char* end = nullptr;
    const JsonValue sentinel = JsonValue::fromBits(0x5EA1);
    JsonValue root = sentinel;
    const JsonStatus status = jsonParse(text.data(), end, root, allocator);
    check(end >= text.data() && end <= text.data() + length);
    if (status == JsonStatus::Ok) {
        readEverything(root, 0);
    } else {
        check(root.getBits() == sentinel.getBits());
        readEverything(root, 0);  // the sentinel is a number: every reader must cope
    }

    JsonDocument document;
    const JsonStatus again =
        document.parseText(std::string_view(reinterpret_cast<const char*>(data), size));
    check(again == status);
    if (again != JsonStatus::Ok) check(document.getRoot().is(JsonTag::Null));
    return 0;
}
