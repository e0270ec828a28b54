#!/usr/bin/env bash
# One entry point for a fresh Debian machine.
#
#   ./build.sh run    build, then run the model inspector on the bundled sample
#   ./build.sh test   build and run every test: a normal build, an ASan+UBSan
#                     build with the fuzzers, and the 32-bit Windows build under Wine
set -euo pipefail
cd "$(dirname "$0")"

jobs=$(nproc 2>/dev/null || echo 2)

configure() {   # configure <build dir> <cmake args...>
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -Wno-dev "$@" >/dev/null
}

stage_results=()
stage() {       # stage <name> <function>
    local name=$1 start=$SECONDS
    echo "==> $name"
    if "$2"; then
        stage_results+=("$name: passed in $((SECONDS - start)) s")
    else
        stage_results+=("$name: FAILED after $((SECONDS - start)) s")
        summary
        exit 1
    fi
}

summary() {
    echo
    printf '%s\n' "${stage_results[@]}"
}

build_main() {
    configure build -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j "$jobs"
}

linux_tests() {
    build_main && ctest --test-dir build -j "$jobs" --output-on-failure
}

sanitizer_tests() {
    configure build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DMOBILANT_SANITIZE=ON -DMOBILANT_FUZZ=ON -DMOBILANT_BENCH=OFF
    cmake --build build-asan -j "$jobs" &&
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build-asan -j "$jobs" --output-on-failure
}

# The shipped target: 32-bit Windows programs built with MinGW-w64 and run under
# Wine, in a fresh prefix, with an X display of their own (Xvfb) for the tests
# that open windows or a Direct3D device.
windows_tests() {
    tools/setup.sh windows &&
        configure build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
            -DCMAKE_BUILD_TYPE=Release &&
        cmake --build build-win32 -j "$jobs" &&
        build-win32/wine-run --new-prefix || return 1

    local helpers=() status=0 display_file=build-win32/xvfb-display
    rm -f "$display_file"
    trap 'build-win32/wine-run --stop; kill "${helpers[@]}" 2>/dev/null' EXIT
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
    helpers+=($!)
    build-win32/wine-run --server &
    helpers+=($!)
    for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
    if [ -s "$display_file" ]; then
        # A test that opens a modal window by mistake would wait for a click for ever.
        DISPLAY=":$(cat "$display_file")" ctest --test-dir build-win32 -j "$jobs" \
            --output-on-failure --timeout 300 || status=1
    else
        echo "windows: Xvfb did not start" >&2
        status=1
    fi
    build-win32/wine-run --stop
    kill "${helpers[@]}" 2>/dev/null
    wait "${helpers[@]}" 2>/dev/null
    trap - EXIT
    return $status
}

run_main_job() {
    build_main
    mkdir -p out
    ./build/bin/mobilant-inspect samples/character.json --svg out/character-walk.svg --clip walk
}

case "${1:-}" in
    run)
        tools/setup.sh base
        run_main_job
        ;;
    test)
        tools/setup.sh base
        stage "linux (gcc, release)" linux_tests
        stage "sanitizers (clang, ASan+UBSan, fuzzers)" sanitizer_tests
        stage "windows (mingw i686, under Wine)" windows_tests
        summary
        ;;
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
