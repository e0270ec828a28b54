# Toolchain for the shipped target: 32-bit Windows, built with Debian's MinGW-w64
# cross compilers (package g++-mingw-w64-i686).
#
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
#
# The programs it builds run on Linux under Wine (see cmake/MobilantWindows.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(MOBILANT_MINGW_TRIPLET i686-w64-mingw32)

# The posix-threads flavour: the win32 flavour of GCC 12 has no std::mutex,
# which the animation caches rely on. Its winpthreads is linked statically below.
find_program(CMAKE_C_COMPILER ${MOBILANT_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${MOBILANT_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${MOBILANT_MINGW_TRIPLET}-windres)
find_program(CMAKE_OBJDUMP ${MOBILANT_MINGW_TRIPLET}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${MOBILANT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

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

# The C and C++ runtimes, libgcc and winpthreads are linked in, so a program or
# plug-in needs only DLLs that every Windows has. A missing runtime DLL would make
# a program die without a word under Wine and on a player's machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
