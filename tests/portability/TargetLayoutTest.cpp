// The records we share with the host and with Direct3D are laid out by the Microsoft ABI of
// 32-bit Windows; the shipped Windows build must use it, and the Linux build is the 64-bit one.
// The 64-bit Windows build, which runs the Windows tests where 32-bit programs cannot run, has
// the Microsoft ABI's LLP64 data model: 64-bit pointers beside a 32-bit long. These are facts
// of the compiler and the target, so they are checked when this file compiles.
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

#if defined(_WIN64)
static_assert(sizeof(void*) == 8);
static_assert(sizeof(std::size_t) == 8);
static_assert(sizeof(long) == 4);
static_assert(sizeof(wchar_t) == 2, "host strings are UTF-16 code units");
#elif defined(_WIN32)
static_assert(sizeof(void*) == 4);
static_assert(sizeof(std::size_t) == 4);
static_assert(sizeof(long) == 4);
static_assert(sizeof(wchar_t) == 2, "host strings are UTF-16 code units");
#else
static_assert(sizeof(void*) == 8);
static_assert(sizeof(wchar_t) == 4, "one UTF-32 code point per wchar_t");
#endif
// 8-byte members are 8-byte aligned inside records, as with the host's compiler (the System V
// i386 ABI would put them at offset 4).
static_assert(offsetof(CharThenDouble, d) == 8);
static_assert(offsetof(CharThenInt64, i) == 8);
static_assert(sizeof(float) == 4);
static_assert(sizeof(double) == 8);

}  // namespace
