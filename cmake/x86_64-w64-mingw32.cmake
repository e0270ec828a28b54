# Toolchain for 64-bit Windows, built with Debian's MinGW-w64 cross compilers
# (package g++-mingw-w64-x86-64-posix). Not a shipped target: the same code built
# for the other Windows ABI (LLP64: 32-bit long, 64-bit pointers), whose tests run
# under 64-bit Wine on machines that cannot execute 32-bit programs.
#
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MOBILANT_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)

# SSE2 arithmetic and a 16-byte aligned stack at every call are this ABI's own rules.
# -Wa,-muse-unaligned-vector-move: GCC cannot align the stack beyond 16 bytes on
#   64-bit Windows either, so the AVX2/AVX-512 skinning paths could fault on an
#   aligned move of a spilled vector; the assembler makes every such move unaligned.
set(_mobilant_flags "-Wa,-muse-unaligned-vector-move")
set(CMAKE_C_FLAGS_INIT "${_mobilant_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_mobilant_flags}")
