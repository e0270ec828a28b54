#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Direct3DFpuMode.h"
#include "JsonDocument.h"
#include "JsonLookup.h"
#include "JsonValue.h"
#include "LoadMobilantJSONData.h"

using namespace MobilantModule;

namespace {

std::uint64_t bitsOf(double number) {
    return std::bit_cast<std::uint64_t>(number);
}

void expectBoxedPointer(const void* pointer) {
    SCOPED_TRACE(pointer);
    const JsonValue string(JsonTag::String, pointer);
    EXPECT_FALSE(string.isNumber());
    EXPECT_EQ(string.getTag(), JsonTag::String);
    EXPECT_EQ(static_cast<const void*>(string.getString()), pointer);
    // As a node in a zone holds it: the raw word, read back later.
    const JsonValue array = JsonValue::fromBits(JsonValue(JsonTag::Array, pointer).getBits());
    EXPECT_EQ(array.getTag(), JsonTag::Array);
    EXPECT_EQ(static_cast<const void*>(array.getFirstNode()), pointer);
}

// `name` as the loader takes file names on every target: in UTF-8 (on Windows it opens them by
// their wide names).
std::string narrowFileName(const std::filesystem::path& name) {
    const std::u8string utf8 = name.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace

// Every address a program can hold fits the 47-bit payload: all 32 bits on Windows (above
// 2 GB too, for a large-address-aware host), the user half of the address space on x86-64.
static_assert(sizeof(JsonValue) == 8 && alignof(JsonValue) == 8, "one aligned word on every target");

TEST(JsonValuePortability, PayloadHoldsEveryUserAddress) {
    const int onStack = 0;
    static const int inImage = 0;
    const auto onHeap = std::make_unique<int>(0);
    for (const void* pointer :
         {static_cast<const void*>(&onStack), static_cast<const void*>(&inImage),
          static_cast<const void*>(onHeap.get())})
        expectBoxedPointer(pointer);

    std::vector<std::uint64_t> addresses = {8, 0x7FFFFFF8, 0x80000000, 0xFFFFFFF8};
    if (sizeof(void*) == 8) addresses.push_back((std::uint64_t{1} << 47) - 8);  // Linux's stack
    for (const std::uint64_t address : addresses)
        expectBoxedPointer(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address)));
}

// The number conversion gives the same doubles in the state a Direct3D 9 host leaves the x87
// unit in. Each expectation is the conversion worked by hand and folded by the compiler in
// exact doubles: digits accumulate as result * 10 + digit, fraction digits add digit * factor
// with the factor multiplied by 0.1 per digit, the exponent's power comes from squaring.
TEST(JsonValuePortability, NumbersAreExactUnderDirect3DFpuMode) {
    Direct3DFpuMode mode;
    JsonDocument document;
    ASSERT_EQ(document.parseText("[0.1, 0.3, 2e3, 5E-2, 1e-5, -12.5, 123456789.125]"),
              JsonStatus::Ok);
    std::vector<std::uint64_t> bits;
    for (const JsonNode* node = document.getRoot().getFirstNode(); node; node = node->next)
        bits.push_back(bitsOf(node->value.getNumber()));

    constexpr double tenth = 0.1, hundredth = tenth * tenth;
    const std::vector<std::uint64_t> expected = {
        bitsOf(1 * tenth),
        bitsOf(3 * tenth),
        bitsOf(2 * (10.0 * 100.0)),                     // 3 = 0b11: 10, then 10 * 10^2
        bitsOf(5 * hundredth),                          // 2 = 0b10: 0.1^2
        bitsOf(1 * (tenth * (hundredth * hundredth))),  // 5 = 0b101: 0.1, then 0.1 * 0.1^4
        bitsOf(-(12 + 5 * tenth)),
        bitsOf(((123456789.0 + 1 * tenth) + 2 * hundredth) + 5 * (hundredth * tenth)),
    };
    EXPECT_EQ(bits, expected);

    const std::vector<float> floats = readFloatArray(document.getRoot());
    ASSERT_EQ(floats.size(), 7u);
    EXPECT_EQ(floats[0], 0.1f);
    EXPECT_EQ(floats[6], 123456792.0f);  // the float nearest to 123456789.125
}

// The loader opens a file whose name is not ASCII, on both targets.
TEST(JsonValuePortability, LoadsAFileWhoseNameIsNotAscii) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / std::u8string(u8"modèle_ü.json");
    const std::string narrow = narrowFileName(path);
    std::ofstream(path, std::ios::binary) << "{\"名前\": \"歩く\"}";
    ASSERT_TRUE(std::filesystem::exists(path));

    JsonDocument document;
    EXPECT_EQ(LoadMobilantJSONData(narrow.c_str(), document), JsonStatus::Ok);
    EXPECT_STREQ(memberValue(findMember(document.getRoot(), "名前")).getString(), "歩く");
    std::filesystem::remove(path);
}
