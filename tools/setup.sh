#!/usr/bin/env bash
# Installs, from Debian's packages, what this machine lacks for the given
# profiles. Quiet and quick when everything is already there.
#
#   tools/setup.sh base [windows] [windows64] [browser]
set -euo pipefail

packages_for() {
    case "$1" in
        base) echo cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev googletest \
                   libbenchmark-dev rapidjson-dev libsimdjson-dev libstb-dev libwebp-dev ;;
        # Wine draws Direct3D 9 with OpenGL: 32-bit Mesa (llvmpipe) on Xvfb's display.
        windows) echo g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb \
                      libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 ;;
        # The 64-bit build whose tests run where 32-bit programs cannot: its compiler (the
        # posix-threads flavour), 64-bit Wine, and 64-bit Mesa for its Direct3D 9.
        windows64) echo g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb \
                        libgl1:amd64 libglx-mesa0:amd64 libgl1-mesa-dri:amd64 ;;
        browser) echo chromium ;;
        *) echo "setup: unknown profile '$1'" >&2; exit 2 ;;
    esac
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

missing=()
for profile in "${@:-base}"; do
    for pkg in $(packages_for "$profile"); do
        installed "$pkg" || missing+=("$pkg")
    done
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}"
for pkg in "${missing[@]}"; do
    if [[ "$pkg" == *:i386 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
    fi
done
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
