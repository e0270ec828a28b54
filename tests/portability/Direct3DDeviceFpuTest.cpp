#include <gtest/gtest.h>

#include <cstdint>

#include "Direct3DFpuMode.h"
#include "HostDevice.h"

namespace {

volatile double one = 1.0, three = 3.0;

}  // namespace

// Direct3DFpuMode stands for the real thing in the other tests: a device created the way the
// host creates its own leaves exactly that x87 state behind, and our doubles stay exact in it.
TEST(Direct3DFpuMode, IsWhatAHostDeviceLeaves) {
#ifndef _WIN32
    GTEST_SKIP() << "no Direct3D 9 on Linux: Direct3DFpuMode stands in for a device's x87 state";
#elif defined(_WIN64)
    GTEST_SKIP() << "a fact of 32-bit Windows, where the host runs and its device changes the x87 "
                    "unit our arithmetic would use; 64-bit code does its arithmetic in SSE";
#endif
    if (const char* why = HostDevice::whyUnavailable()) GTEST_SKIP() << why;
    std::uint16_t emulated;
    {
        Direct3DFpuMode mode;
        emulated = Direct3DFpuMode::controlWord();
    }
    Direct3DFpuMode restoreAfterwards;  // brings back the present state when the test ends

    const HostDevice device;
    const std::uint16_t afterDevice = Direct3DFpuMode::controlWord();
    ASSERT_NE(device.get(), nullptr);
    EXPECT_EQ(afterDevice, emulated);
    EXPECT_EQ(one / three, 1.0 / 3.0);
}
