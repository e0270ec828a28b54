// Keeps the host's x87 state away from our arithmetic.
//
// A Direct3D 9 host may leave the x87 unit of its game thread in single precision (a device made
// without D3DCREATE_FPU_PRESERVE does), or with exceptions unmasked. Every entry point and
// routine holds one of these for the length of the call: it sets the platform's default control
// word (53-bit precision on Windows, round to nearest, every exception masked) and gives the
// host its own word back on return, so sin, cos and the number conversion give the same results
// whatever the host did.
#pragma once

#include <cstdint>

class X87ControlGuard {
public:
#ifdef _WIN32
    static constexpr std::uint16_t kDefaultControlWord = 0x027F;
#else
    static constexpr std::uint16_t kDefaultControlWord = 0x037F;
#endif

    // Saves the present control word and sets kDefaultControlWord.
    X87ControlGuard() : saved_(Read()) { Write(kDefaultControlWord); }
    // Restores the saved control word.
    ~X87ControlGuard() { Write(saved_); }

    X87ControlGuard(const X87ControlGuard&) = delete;
    X87ControlGuard& operator=(const X87ControlGuard&) = delete;

    // The x87 control word of this thread (0 on a processor without one).
    static std::uint16_t Read() {
        std::uint16_t word = 0;
#if defined(__i386__) || defined(__x86_64__)
        __asm__ volatile("fnstcw %0" : "=m"(word));
#endif
        return word;
    }

private:
    static void Write(std::uint16_t word) {
#if defined(__i386__) || defined(__x86_64__)
        // Pending exception flags would fire at the next x87 instruction once unmasked, or
        // were raised under the host's word: clear them first.
        __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(word));
#else
        (void)word;
#endif
    }

    std::uint16_t saved_;
};
