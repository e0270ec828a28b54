# The Windows builds, run on Linux under Wine: the shipped 32-bit target
# (cmake/i686-w64-mingw32.cmake) and the same code built for 64-bit Windows
# (cmake/x86_64-w64-mingw32.cmake), which runs the Windows tests on machines that
# cannot execute 32-bit programs.
#
# Included by the top-level CMakeLists.txt when cross-compiling for Windows:
# - every program runs through a Wine wrapper (ctest, test discovery);
# - GoogleTest comes from Debian's sources, built with this toolchain;
# - every program and plug-in is checked, once linked, to import only allowed DLLs.

# The Windows architecture of this build tree: x86 (the shipped target) or x64.
# Tests that state facts of the 32-bit target only are marked with
# mobilant_32bit_only_test (tests/CMakeLists.txt) or skip themselves in C++
# (tests/common/TargetAbi.h).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(MOBILANT_WINDOWS_ARCH x86)
    # Debian's wrapper, which starts the 32-bit loader.
    set(MOBILANT_WINE_LOADER wine)
    set(MOBILANT_WINEARCH win32)
else()
    set(MOBILANT_WINDOWS_ARCH x64)
    # The 64-bit loader itself: Debian's wrapper prefers the 32-bit one when it is
    # installed, even where it cannot run.
    find_program(MOBILANT_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH
        DOC "64-bit Wine loader")
    if(NOT MOBILANT_WINE64)
        message(FATAL_ERROR "No 64-bit Wine loader (wine64): install Debian's wine64 "
                            "(tools/setup.sh windows64)")
    endif()
    set(MOBILANT_WINE_LOADER ${MOBILANT_WINE64})
    set(MOBILANT_WINEARCH win64)
endif()

set(MOBILANT_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix CACHE PATH
    "Wine prefix in which the Windows programs run")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${PROJECT_BINARY_DIR}/wine-run @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
    WORLD_EXECUTE)
# Targets made from here on start through the wrapper (CROSSCOMPILING_EMULATOR).
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)

# The DLLs a program or plug-in of ours may import. Everything else is linked in
# statically, so a player's machine needs nothing beyond these:
#   KERNEL32  the Windows API proper (files, memory, threads of the C runtime)
#   msvcrt    the C runtime that MinGW's static libraries sit on; it ships with
#             every Windows since 2000
#   USER32    message boxes, menus and string resources
#   GDI32     the edit-time placeholder's font
#   d3d9      the host's Direct3D 9 device (our own D3DX replaces d3dx9_*.dll,
#             which is not part of Windows)
#   mmfs2     the host's surface and window services, imported by ordinal
set(MOBILANT_WINDOWS_ALLOWED_DLLS KERNEL32.dll msvcrt.dll USER32.dll GDI32.dll d3d9.dll
    mmfs2.dll CACHE STRING "DLLs the Windows programs may import (case does not matter)")

# Header-only libraries that Debian installs for every architecture (libstb-dev):
# visible to the cross compiler under their usual names (<stb/stb_image.h>) through
# a directory of their own, since all of /usr/include would bring in Linux's headers.
set(_mobilant_host_headers ${PROJECT_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${_mobilant_host_headers})
foreach(library stb)
    if(EXISTS /usr/include/${library} AND NOT EXISTS ${_mobilant_host_headers}/${library})
        file(CREATE_LINK /usr/include/${library} ${_mobilant_host_headers}/${library} SYMBOLIC)
    endif()
endforeach()
include_directories(SYSTEM ${_mobilant_host_headers})

set(MOBILANT_GOOGLETEST_SOURCE /usr/src/googletest/googletest CACHE PATH
    "GoogleTest sources, built with the Windows toolchain")

# Makes GTest::gtest and GTest::gtest_main from Debian's GoogleTest sources.
function(mobilant_windows_googletest)
    if(NOT EXISTS ${MOBILANT_GOOGLETEST_SOURCE}/CMakeLists.txt)
        message(FATAL_ERROR "GoogleTest sources not found in ${MOBILANT_GOOGLETEST_SOURCE}: "
                            "install Debian's googletest (tools/setup.sh base)")
    endif()
    add_subdirectory(${MOBILANT_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest
                     EXCLUDE_FROM_ALL SYSTEM)
    # GoogleTest brings its own warning flags; ours (with -Werror) are for our code.
    set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS "")
endfunction()

# All build-system targets of a directory and its subdirectories.
function(_mobilant_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub ${subdirs})
        _mobilant_targets_below(${sub} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Adds the target check-imports (part of every build): each program and plug-in,
# once linked, is read with objdump -p and the build fails if it imports a DLL
# outside MOBILANT_WINDOWS_ALLOWED_DLLS.
function(_mobilant_add_import_check)
    if(NOT CMAKE_OBJDUMP)
        message(FATAL_ERROR "No objdump for the Windows target (binutils-mingw-w64-*)")
    endif()
    _mobilant_targets_below(${PROJECT_SOURCE_DIR} targets)
    set(stamps)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        get_target_property(excluded ${target} EXCLUDE_FROM_ALL)
        if(NOT type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$" OR excluded)
            continue()
        endif()
        set(stamp ${PROJECT_BINARY_DIR}/imports/${target}.checked)
        add_custom_command(OUTPUT ${stamp}
            COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:${target}>
                    "-DALLOWED=${MOBILANT_WINDOWS_ALLOWED_DLLS}" -DSTAMP=${stamp}
                    -P ${PROJECT_SOURCE_DIR}/cmake/CheckImports.cmake
            DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/CheckImports.cmake
            COMMENT "Checking the DLLs ${target} imports"
            VERBATIM)
        list(APPEND stamps ${stamp})
    endforeach()
    add_custom_target(check-imports ALL DEPENDS ${stamps})
endfunction()

# Runs once every directory has made its targets.
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _mobilant_add_import_check)
