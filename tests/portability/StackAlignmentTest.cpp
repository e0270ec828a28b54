#include <gtest/gtest.h>

#include <cstdint>

namespace {

bool isAligned(const void* pointer, std::uintptr_t alignment) {
    return reinterpret_cast<std::uintptr_t>(pointer) % alignment == 0;
}

// What the callee reports: bit 0 set when its 16-byte aligned local was, bit 1 for 32 bytes.
[[gnu::noinline]] int alignedLocals(int seed) {
    alignas(16) volatile float four[4] = {static_cast<float>(seed), 1, 2, 3};
    alignas(32) volatile float eight[8] = {static_cast<float>(seed), 1, 2, 3, 4, 5, 6, 7};
    return (isAligned(const_cast<float*>(four), 16) ? 1 : 0) |
           (isAligned(const_cast<float*>(eight), 32) ? 2 : 0);
}

}  // namespace

#if defined(_WIN32) && defined(__i386__)

// callWithStackOffset(function, argument, offset) calls function(argument) with the stack
// pointer `offset` bytes below a 16-byte boundary at the call, as a host built with another
// compiler may: 32-bit Windows promises only 4-byte alignment.
extern "C" int callWithStackOffset(int (*function)(int), int argument, int offset);
asm(R"(
    .text
    .globl _callWithStackOffset
_callWithStackOffset:
    pushl %ebp
    movl %esp, %ebp
    andl $-16, %esp
    subl $12, %esp
    subl 16(%ebp), %esp
    pushl 12(%ebp)
    call *8(%ebp)
    movl %ebp, %esp
    popl %ebp
    ret
)");

// Our entry points and everything they call keep their SSE and AVX data aligned even when
// the host calls them with a stack aligned to 4 bytes only (built with -mstackrealign).
TEST(StackAlignment, HostCallsWithFourByteAlignedStack) {
    for (int offset : {0, 4, 8, 12})
        EXPECT_EQ(callWithStackOffset(alignedLocals, offset, offset), 3) << "offset " << offset;
}

#else

TEST(StackAlignment, HostCallsWithFourByteAlignedStack) {
    EXPECT_EQ(alignedLocals(0), 3);
    GTEST_SKIP() << "only 32-bit Windows hosts may call with a stack aligned to 4 bytes; this "
                    "ABI keeps it aligned to 16 at every call";
}

#endif
