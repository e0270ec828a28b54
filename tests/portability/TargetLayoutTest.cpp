#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

namespace {

struct CharThenDouble {
    char c;
    double d;
};

struct CharThenInt64 {
    char c;
    std::int64_t i;
};

}  // namespace

// The records we share with the host and with Direct3D are laid out by the Microsoft ABI of
// 32-bit Windows; the shipped Windows build must use it, and the Linux build is the 64-bit one.
// The 64-bit Windows build, which runs the Windows tests where 32-bit programs cannot run,
// has the Microsoft ABI's LLP64 data model: 64-bit pointers beside a 32-bit long.
TEST(TargetLayout, MatchesTheTargetAbi) {
#if defined(_WIN64)
    EXPECT_EQ(sizeof(void*), 8u);
    EXPECT_EQ(sizeof(std::size_t), 8u);
    EXPECT_EQ(sizeof(long), 4u);
    EXPECT_EQ(sizeof(wchar_t), 2u);
    EXPECT_EQ(offsetof(CharThenDouble, d), 8u);
    EXPECT_EQ(offsetof(CharThenInt64, i), 8u);
#elif defined(_WIN32)
    EXPECT_EQ(sizeof(void*), 4u);
    EXPECT_EQ(sizeof(std::size_t), 4u);
    EXPECT_EQ(sizeof(long), 4u);
    EXPECT_EQ(sizeof(wchar_t), 2u);  // host strings are UTF-16 code units
    // 8-byte members are 8-byte aligned inside records, as with the host's compiler (the
    // System V i386 ABI would put them at offset 4).
    EXPECT_EQ(offsetof(CharThenDouble, d), 8u);
    EXPECT_EQ(offsetof(CharThenInt64, i), 8u);
#else
    EXPECT_EQ(sizeof(void*), 8u);
    EXPECT_EQ(sizeof(wchar_t), 4u);  // one UTF-32 code point per wchar_t
    EXPECT_EQ(offsetof(CharThenDouble, d), 8u);
    EXPECT_EQ(offsetof(CharThenInt64, i), 8u);
#endif
    EXPECT_EQ(sizeof(float), 4u);
    EXPECT_EQ(sizeof(double), 8u);
}
