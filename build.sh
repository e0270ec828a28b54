#!/usr/bin/env bash
# One entry point for a fresh Debian machine.
#
#   ./build.sh run    build the headless host, then play the bundled scene (out/demo.*)
#   ./build.sh test   build and run every test: a normal build, an ASan+UBSan
#                     build with the fuzzers, and the 32-bit Windows build with its
#                     tests under Wine (see windows_tests)
set -euo pipefail
cd "$(dirname "$0")"

jobs=$(nproc 2>/dev/null || echo 2)

configure() {   # configure <build dir> <cmake args...>
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -Wno-dev "$@" >/dev/null
}

stage_results=()
stage_note=""   # what a stage adds to its summary line
stage() {       # stage <name> <function>
    local name=$1 start=$SECONDS
    echo "==> $name"
    stage_note=""
    if "$2"; then
        stage_results+=("$name: passed in $((SECONDS - start)) s${stage_note:+ ($stage_note)}")
    else
        stage_results+=("$name: FAILED after $((SECONDS - start)) s${stage_note:+ ($stage_note)}")
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

# The shipped target is 32-bit Windows: the stage always builds it (build-win32),
# with the checks its build makes (only what ships and checks it, when its tests
# cannot run here). Its tests run under Wine, in a fresh prefix,
# with an X display of their own (Xvfb) for the tests that open windows or a
# Direct3D device: the i686 build's own tests under 32-bit Wine when this machine
# runs 32-bit programs; otherwise (a kernel without IA-32 emulation) the same tree
# built for 64-bit Windows (build-win64) under 64-bit Wine, where tests of facts
# only true of the 32-bit target skip, saying why.
windows_tests() {
    local start=$SECONDS
    tools/setup.sh windows && mkdir -p build-win32 || return 1

    # The one place that chooses the architecture the Windows tests run on.
    local why test_dir i686_targets=()
    if why=$(tools/runs-32bit.sh build-win32); then
        test_dir=build-win32
        stage_note="tests ran on the i686 build under 32-bit Wine: this machine runs 32-bit programs"
    else
        test_dir=build-win64
        stage_note="tests ran on the x86_64 build under 64-bit Wine, as this machine cannot run"
        stage_note+=" the i686 ones (${why#no: })"
        # Test programs that cannot run here are not built: only what ships and what checks
        # it, the module with its import and export checks, the stand-in MMFS2.dll, the
        # Windows host, and the portability tests, whose 32-bit layout facts are checked as
        # they compile.
        i686_targets=(check-module check-mmfs2-standin mobilant-host test-portability)
    fi
    build_windows build-win32 i686-w64-mingw32 "${i686_targets[@]}" || return 1
    echo "windows: i686 build and its checks in $((SECONDS - start)) s"
    echo "windows: $stage_note"
    if [ $test_dir = build-win64 ]; then
        start=$SECONDS
        tools/setup.sh windows64 &&
            build_windows build-win64 x86_64-w64-mingw32 || return 1
        echo "windows: x86_64 build in $((SECONDS - start)) s"
    fi
    start=$SECONDS
    run_windows_tests $test_dir || return 1
    echo "windows: tests under Wine in $((SECONDS - start)) s"
}

build_windows() {   # build_windows <build dir> <triplet> [<target>...]: all targets by default
    local dir=$1 triplet=$2
    shift 2
    configure "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/$triplet.cmake" -DCMAKE_BUILD_TYPE=Release &&
        cmake --build "$dir" -j "$jobs" ${1:+--target "$@"}
}

run_windows_tests() {   # run_windows_tests <build dir>
    local dir=$1
    "$dir"/wine-run --new-prefix || return 1

    local helpers=() status=0 display_file=$dir/xvfb-display
    rm -f "$display_file"
    trap '"$dir"/wine-run --stop; kill "${helpers[@]}" 2>/dev/null' EXIT
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
    helpers+=($!)
    "$dir"/wine-run --server &
    helpers+=($!)
    for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
    if [ -s "$display_file" ]; then
        # A test that opens a modal window by mistake would wait for a click for ever.
        DISPLAY=":$(cat "$display_file")" ctest --test-dir "$dir" -j "$jobs" \
            --output-on-failure --timeout 300 || status=1
        # How closely the plug-in's frames under Wine agree with the Linux host's, per scene.
        grep -h '^scene .*pixels within' "$dir"/Testing/Temporary/LastTest*.log 2>/dev/null |
            sed 's/^/windows: /' || true
    else
        echo "windows: Xvfb did not start" >&2
        status=1
    fi
    "$dir"/wine-run --stop
    kill "${helpers[@]}" 2>/dev/null
    wait "${helpers[@]}" 2>/dev/null
    trap - EXIT
    return $status
}

# The main job builds only what it runs, not the tests and benchmarks.
run_main_job() {
    configure build -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j "$jobs" --target mobilant-host
    mkdir -p out
    ./build/bin/mobilant-host scenes/demo.scene
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
        stage "windows (mingw i686, tests under Wine)" windows_tests
        summary
        ;;
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
