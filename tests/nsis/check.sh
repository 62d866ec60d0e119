#!/bin/sh
# Runs the NSIS installers built from examples/sample.nsi and tests/nsis/hostile.nsi, one
# pair per NSIS target, and compares their answers with hostsim's on the same machine: the
# sample installer's with the sample script's, the hostile one's with hostile.expected and
# with hostsim on registry_view.script. Run from the repository's folder, with the sample
# machine in the registry and the VISA stand-in installed, as the sample script needs.
#   usage: tests/nsis/check.sh WINE HOSTSIM FOLDER TARGET...
# WINE runs a Windows program here; HOSTSIM is hostsim.exe; FOLDER/TARGET/ holds sample.exe
# and hostile.exe, and receives their answers. Ends with "nsis: N passed, M failed".
set -u
wine=$1 hostsim=$2 folder=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
passed=0 failed=0

# What hostsim answered, a line a call, as the installers write their answers.
answers_of() {
    $wine "$hostsim" --script "$1" 2>&1 | tr -d '\r' | sed -n 's/^ *\(.* returned .*\)$/\1/p'
}
answers_of examples/sample_install.script >"$scratch/sample.expected"
cp "$here/hostile.expected" "$scratch/hostile.expected"
answers_of "$here/registry_view.script" >>"$scratch/hostile.expected"

# Runs one installer silently and compares what it wrote with what hostsim answered.
check() {
    target=$1 installer=$2
    rm -f "$folder/$target/$installer-answers.txt"
    $wine "$folder/$target/$installer.exe" /S
    if tr -d '\r' <"$folder/$target/$installer-answers.txt" 2>/dev/null | diff -u "$scratch/$installer.expected" - \
        >"$scratch/difference"; then
        echo "nsis $target: $installer.exe answered as hostsim does"
        passed=$((passed + 1))
    else
        echo "nsis $target: FAILED $installer.exe:"
        cat "$scratch/difference"
        failed=$((failed + 1))
    fi
}

for target in "$@"; do
    check "$target" sample
    check "$target" hostile
done
rm -rf "$scratch"
echo "nsis: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
