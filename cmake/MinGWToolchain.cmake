# What the two Windows toolchains (cmake/i686-w64-mingw32.cmake, the shipped target, and
# cmake/x86_64-w64-mingw32.cmake) share: Debian's MinGW-w64 cross compilers for the
# triplet in MOBILANT_MINGW_TRIPLET, and the C and C++ runtimes linked in statically.
set(CMAKE_SYSTEM_NAME Windows)

# The posix-threads flavour: the win32 flavour of GCC 12 has no std::mutex,
# which the animation caches rely on. Its winpthreads is linked statically below.
find_program(CMAKE_C_COMPILER ${MOBILANT_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${MOBILANT_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${MOBILANT_MINGW_TRIPLET}-windres)
find_program(CMAKE_OBJDUMP ${MOBILANT_MINGW_TRIPLET}-objdump)
find_program(CMAKE_DLLTOOL ${MOBILANT_MINGW_TRIPLET}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${MOBILANT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes, libgcc and winpthreads are linked in, so a program or
# plug-in needs only DLLs that every Windows has. A missing runtime DLL would make
# a program die without a word under Wine and on a player's machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
