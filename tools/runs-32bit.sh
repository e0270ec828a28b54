#!/usr/bin/env bash
# Says whether this machine runs 32-bit x86 programs natively, which 32-bit Wine
# needs: some kernels are built without IA-32 emulation or boot with it off, and
# then every i386 program fails with "Exec format error".
#
#   tools/runs-32bit.sh [SCRATCH_DIR]
#
# Exits with 0 when it does and 1 when it does not, printing the reason in one
# line either way. It runs a tiny i386 program of its own (an exit system call)
# and looks for a binfmt_misc entry that would have handed that program to an
# emulator such as qemu-i386: emulated 32-bit Wine is far too slow for tests.
# MOBILANT_BINFMT_DIR replaces /proc/sys/fs/binfmt_misc (for the tests).
set -uo pipefail

scratch=$(mktemp -d "${1:-${TMPDIR:-/tmp}}/runs-32bit.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT
probe=$scratch/probe

# A static i386 ELF executable of 93 bytes: the ELF header, one loadable segment
# that maps the whole file at 0x08048000, and the code at its end, which calls
# exit(42) through int 0x80.
hex=(
    7f 45 4c 46 01 01 01 00  00 00 00 00 00 00 00 00  # identification: 32-bit, little-endian
    02 00 03 00 01 00 00 00                           # executable, Intel 80386, version 1
    54 80 04 08 34 00 00 00  00 00 00 00 00 00 00 00  # entry, program headers at 52, no sections
    34 00 20 00 01 00 00 00  00 00 00 00              # header sizes, one program header
    01 00 00 00 00 00 00 00  00 80 04 08 00 80 04 08  # PT_LOAD of the file from offset 0
    5d 00 00 00 5d 00 00 00  05 00 00 00 00 10 00 00  # 93 bytes, read and execute
    b8 01 00 00 00 bb 2a 00  00 00 cd 80              # mov eax, 1; mov ebx, 42; int 0x80
)
printf '%b' "$(printf '\\x%s' "${hex[@]}")" >"$probe" && chmod +x "$probe" || exit 1

# The binfmt_misc entry, if any, whose magic the probe matches: the kernel would
# start that entry's interpreter instead of the program itself.
emulator() {
    local dir=${MOBILANT_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}
    [ -r "$dir/status" ] && [ "$(cat "$dir/status")" = enabled ] || return 1
    local bytes entry
    bytes=$(od -An -v -tx1 "$probe" | tr -d ' \n')
    for entry in "$dir"/*; do
        case "${entry##*/}" in status|register) continue ;; esac
        local state="" interpreter="" offset=0 magic="" mask="" key value
        while read -r key value; do
            case "$key" in
                enabled|disabled) state=$key ;;
                interpreter) interpreter=$value ;;
                offset) offset=$value ;;
                magic) magic=$value ;;
                mask) mask=$value ;;
            esac
        done <"$entry"
        [ "$state" = enabled ] && [ -n "$magic" ] || continue
        local i matched=1
        for ((i = 0; i < ${#magic} / 2; i++)); do
            local have=${bytes:2*(offset+i):2}   # the kernel reads zeros past the end
            local want=$((16#${magic:2*i:2}))
            have=$((16#${have:-00}))
            local bits=255
            [ -z "$mask" ] || bits=$((16#${mask:2*i:2}))
            if (((want & bits) != (have & bits))); then matched=0; break; fi
        done
        if [ $matched = 1 ]; then
            echo "$interpreter (binfmt_misc entry ${entry##*/})"
            return 0
        fi
    done
    return 1
}

if interpreter=$(emulator); then
    echo "no: 32-bit programs run here only through an emulator, $interpreter"
    exit 1
fi
"$probe" 2>/dev/null
status=$?
if [ $status -eq 42 ]; then
    echo "yes: the kernel runs 32-bit x86 programs"
    exit 0
fi
echo "no: the kernel does not run 32-bit x86 programs (a probe program exited with $status)"
exit 1
