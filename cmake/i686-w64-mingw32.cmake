# Toolchain for the shipped target: 32-bit Windows, built with Debian's MinGW-w64
# cross compilers (package g++-mingw-w64-i686).
#
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
#
# The programs it builds run on Linux under Wine (see cmake/MobilantWindows.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MOBILANT_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)

# -msse2 -mfpmath=sse: a Direct3D 9 device created without D3DCREATE_FPU_PRESERVE
#   switches the x87 unit to 24-bit precision for the whole thread. Doing all
#   float and double arithmetic in SSE registers keeps doubles exact whatever the
#   host did to the x87 control word.
# -mstackrealign: Windows promises only 4-byte stack alignment, and the host may
#   call our entry points with exactly that; functions that keep 16-byte SSE values
#   on the stack realign it themselves. MinGW's default, stated so that it stays.
# -Wa,-muse-unaligned-vector-move: GCC cannot align the stack to 32 or 64 bytes on
#   this target, so the AVX2/AVX-512 skinning paths could fault on an aligned move
#   of a spilled vector. The assembler turns every aligned vector move into its
#   unaligned twin, which costs nothing on aligned data on any CPU with AVX.
set(_mobilant_flags "-msse2 -mfpmath=sse -mstackrealign -Wa,-muse-unaligned-vector-move")
set(CMAKE_C_FLAGS_INIT "${_mobilant_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_mobilant_flags}")
