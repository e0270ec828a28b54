#!/usr/bin/env bash
# Runs32BitCheck.sh <tools/runs-32bit.sh> <scratch directory>
#
# The probe must tell a kernel that runs i386 programs from one that hands them to
# an emulator through binfmt_misc. Emulation is staged with binfmt_misc entries
# written here (MOBILANT_BINFMT_DIR), shaped as the kernel shows them; whether this
# machine's kernel runs the probe itself is whatever it is, so the cases without
# an emulator check only that the answer does not blame one.
set -uo pipefail
probe=$1 scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch" || exit 1
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# entry <name> <enabled|disabled> <offset> <magic> [mask]
entry() {
    {
        echo "$2"
        echo "interpreter /usr/bin/emulator-$1"
        echo "flags: F"
        echo "offset $3"
        echo "magic $4"
        [ -z "${5:-}" ] || echo "mask $5"
    } >"$binfmt/$1"
}

# expect <case> emulated|native: runs the probe on the entries written so far.
expect() {
    local output status
    output=$(MOBILANT_BINFMT_DIR=$binfmt bash "$probe" "$scratch/probe")
    status=$?
    case "$2" in
        emulated)
            [ $status -eq 1 ] && [[ "$output" == "no: "*"emulator, /usr/bin/emulator-"* ]] ||
                fail "$1: expected an emulator to be named, got status $status: $output" ;;
        native)
            if [[ "$output" == *emulator* ]]; then
                fail "$1: no entry matches the probe, yet: $output"
            elif ! { [ $status -eq 0 ] && [[ "$output" == "yes: "* ]]; } &&
                 ! { [ $status -eq 1 ] && [[ "$output" == "no: the kernel does not run"* ]]; }; then
                fail "$1: status $status does not go with: $output"
            fi ;;
    esac
    [ -z "$(ls -A "$scratch/probe")" ] || fail "$1: the probe left files behind"
}

binfmt=$scratch/binfmt
mkdir -p "$binfmt" "$scratch/probe"
: >"$binfmt/register"

# binfmt_misc absent or switched off as a whole.
expect "no binfmt_misc" native
echo enabled >"$binfmt/status"
expect "no entries" native

# Entries for other programs: a short magic without a mask (as Java's), another
# processor (ARM, 0x28 at offset 18), 64-bit ELF, and an extension-based entry.
entry jar enabled 0 504b0304
entry arm enabled 0 7f454c4601010100000000000000000002002800 fffffffffffefe00fffffffffffffffffeffffff
entry x86-64 enabled 0 7f454c4602010100000000000000000002003e00 fffffffffffefe00fffffffffffffffffeffffff
printf 'enabled\ninterpreter /usr/bin/emulator-ext\nflags: \nextension .i386\n' >"$binfmt/ext"
expect "entries for other programs" native

# qemu-user's entry for i386: the ABI byte is masked out, the executable type half-masked.
entry i386 enabled 0 7f454c4601010100000000000000000002000300 fffffffffffefe00fffffffffffffffffeffffff
expect "an emulator for i386" emulated
echo disabled >"$binfmt/status"
expect "binfmt_misc switched off" native
echo enabled >"$binfmt/status"
entry i386 disabled 0 7f454c4601010100000000000000000002000300 fffffffffffefe00fffffffffffffffffeffffff
expect "the i386 entry switched off" native
# A magic that differs from the probe only where the mask hides it (the ABI byte).
entry i386 enabled 0 7f454c4601010103000000000000000002000300 fffffffffffefe00fffffffffffffffffeffffff
expect "a difference the mask hides" emulated
entry i386 enabled 0 7f454c4601010103000000000000000002000300 ffffffffffffffffffffffffffffffffffffffff
expect "the same difference unmasked" native

# A magic at an offset: the machine field alone (0x0003 at 18), then the same with a
# processor the probe is not for.
rm "$binfmt/i386"
entry machine enabled 18 0300
expect "the machine field at offset 18" emulated
entry machine enabled 18 0600
expect "another machine at offset 18" native
# Past the probe's end the kernel reads zeros.
entry machine enabled 200 00ff
expect "a magic past the probe's end" native
entry machine enabled 200 0000
expect "zeros past the probe's end" emulated

[ $failures -eq 0 ] && echo "runs-32bit.sh: every case as expected"
exit $((failures > 0))
