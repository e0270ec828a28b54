#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "JsonAllocator.h"
#include "JsonValue.h"

using namespace MobilantModule;

namespace {

// The encoding of values made from constants is fixed when the code compiles.
static_assert(JsonValue().getBits() == 0x7FFF800000000000u);  // null
static_assert(JsonValue().getTag() == JsonTag::Null);
static_assert(JsonValue(JsonTag::Object, std::uint64_t{0}).getBits() == 0x7FFA000000000000u);
static_assert(JsonValue(JsonTag::Bool, std::uint64_t{1}).getBits() == 0x7FF9000000000001u);
static_assert(JsonValue(1.5).isNumber() && JsonValue(1.5).getNumber() == 1.5);

TEST(JsonValue, BoxesTagAndPayloadInOneWord) {
    EXPECT_EQ(JsonValue::makeBool(true).getBits(), 0x7FF9000000000001u);

    static const char text[] = "abc";
    const JsonValue string(JsonTag::String, text);
    EXPECT_EQ(string.getTag(), JsonTag::String);
    EXPECT_EQ(string.getString(), text);
    EXPECT_EQ(string.getFirstNode(), nullptr);
    EXPECT_EQ(string.getBits() >> 47, (0x7FF80000u >> 15) | 1u);
}

TEST(JsonValue, EveryDoubleStaysANumber) {
    const double numbers[] = {0.0, -0.0, 1.5, -1e300, INFINITY, -INFINITY, 4.9e-324};
    for (const double number : numbers) {
        const JsonValue value(number);
        EXPECT_TRUE(value.isNumber()) << number;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(value.getNumber()),
                  std::bit_cast<std::uint64_t>(number));
    }
    // The quiet NaNs arithmetic produces, of either sign, are numbers as they are.
    for (const std::uint64_t nan : {0x7FF8000000000000u, 0xFFF8000000000000u}) {
        EXPECT_EQ(JsonValue(std::bit_cast<double>(nan)).getBits(), nan);
    }
    // A NaN that carries a payload would pose as a boxed value: it becomes the plain NaN.
    for (const std::uint64_t nan :
         {0x7FF8000000000001u, 0x7FFA000012345678u, 0x7FFFFFFFFFFFFFFFu}) {
        EXPECT_FALSE(JsonValue::fromBits(nan).isNumber());
        const JsonValue value(std::bit_cast<double>(nan));
        EXPECT_TRUE(value.isNumber());
        EXPECT_TRUE(std::isnan(value.getNumber()));
        EXPECT_EQ(value.getFirstNode(), nullptr);
    }
}

TEST(JsonAllocator, HandsOutAlignedStorageFromZones) {
    JsonAllocator allocator;
    const std::size_t header = 2 * sizeof(void*);
    std::vector<char*> blocks;
    // A full zone: 8-byte blocks after the two-word header, each request rounded up to 8.
    for (std::size_t i = 0; i < (4096 - header) / 8; ++i) {
        blocks.push_back(static_cast<char*>(allocator.allocate(1 + i % 8)));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blocks.back()) % 8, 0u);
        if (i > 0) {
            EXPECT_EQ(blocks[i] - blocks[i - 1], 8);
        }
    }
    EXPECT_EQ(allocator.zoneCount(), 1u);
    allocator.allocate(8);
    EXPECT_EQ(allocator.zoneCount(), 2u);
    allocator.release();
    EXPECT_EQ(allocator.zoneCount(), 0u);
}

TEST(JsonAllocator, LargeRequestsGetZonesBehindTheHead) {
    JsonAllocator allocator;
    char* first = static_cast<char*>(allocator.allocate(16));
    char* large = static_cast<char*>(allocator.allocate(5000));
    large[0] = large[4999] = 1;  // the whole block is ours (checked by the address sanitizer)
    EXPECT_EQ(allocator.zoneCount(), 2u);
    // The head, with its free room, still serves the next small request.
    EXPECT_EQ(static_cast<char*>(allocator.allocate(8)), first + 16);
    EXPECT_EQ(allocator.zoneCount(), 2u);

    // A large first request becomes the head; being full, it makes way for a new zone.
    JsonAllocator fresh;
    fresh.allocate(4096);
    char* small = static_cast<char*>(fresh.allocate(8));
    small[7] = 1;
    EXPECT_EQ(fresh.zoneCount(), 2u);
}

}  // namespace
