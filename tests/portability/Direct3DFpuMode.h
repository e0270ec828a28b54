#pragma once

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#define MOBILANT_HAS_X87 1
#else
#define MOBILANT_HAS_X87 0
#endif

// Puts the x87 unit of this thread in the state a Direct3D 9 device created without
// D3DCREATE_FPU_PRESERVE leaves it in: 24-bit precision, round to nearest, every exception
// masked. The host creates its device that way, so our code runs in this state on a player's
// machine. The previous state comes back when the object goes out of scope.
class Direct3DFpuMode {
public:
    static constexpr std::uint16_t precisionMask = 0x0300;  // 00 = 24 bits, 10 = 53, 11 = 64

    Direct3DFpuMode() : saved(controlWord()) { setControlWord((saved & ~0x0F3F) | 0x003F); }
    ~Direct3DFpuMode() { setControlWord(saved); }
    Direct3DFpuMode(const Direct3DFpuMode&) = delete;
    Direct3DFpuMode& operator=(const Direct3DFpuMode&) = delete;

    static std::uint16_t controlWord() {
        std::uint16_t word = 0;
#if MOBILANT_HAS_X87
        __asm__ volatile("fnstcw %0" : "=m"(word));
#endif
        return word;
    }

private:
    static void setControlWord(std::uint16_t word) {
#if MOBILANT_HAS_X87
        __asm__ volatile("fldcw %0" : : "m"(word));
#else
        (void)word;
#endif
    }

    std::uint16_t saved;
};
