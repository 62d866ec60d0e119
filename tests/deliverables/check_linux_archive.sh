#!/bin/sh
# The Linux archive (scripts/release-linux), unpacked into a fresh folder: its files match
# SHA256SUMS, nothing in it carries a sanitizer or a test hook, and with a clean environment
# (no LD_LIBRARY_PATH) its hostsim runs the sample script on the sample machine, the VISA
# stand-in found beside it, and prints the example fleet's table as the test build does.
# usage: check_linux_archive.sh SOURCE_DIR
set -eu
source=$(cd "$1" && pwd)
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-linux-archive.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

"$source/scripts/release-linux" "$scratch/dist" >"$scratch/release.log" 2>&1 || { cat "$scratch/release.log"; exit 1; }
archive=$(ls "$scratch"/dist/vantrel-hostsim-*.tar.gz)
mkdir "$scratch/elsewhere"
tar -C "$scratch/elsewhere" -xzf "$archive"
unpacked=$(ls -d "$scratch"/elsewhere/vantrel-hostsim-*)
(cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
for file in "$unpacked"/*.so "$unpacked/hostsim"; do
    ! nm -D "$file" | grep -qE '__asan|__ubsan' || fail "$(basename "$file") is built with a sanitizer"
    ! strings -a "$file" | grep -qE 'VANTREL_REGISTRY_(FAIL|CHANGED)|VISA_STANDIN_(FAIL|LOG)' ||
        fail "$(basename "$file") carries a test hook"
done

clean() { env -i PATH=/usr/bin:/bin "$@"; }
cd "$source"
clean VISA_STANDIN_RESOURCES='GPIB0::22::INSTR|ASRL1::INSTR' "$unpacked/hostsim" --registry examples/sample_machine.reg \
    --script examples/sample_install.script >"$scratch/sample.out" 2>&1 ||
    { cat "$scratch/sample.out"; fail "the sample script failed on the sample machine"; }
status=0
clean "$unpacked/hostsim" --script examples/sample_install.script --fleet examples/fleet \
    --show QUENDRIX_VERSION,STROVANE_VERSION,PELLWARD_VERSION,DRIVER_VERSION,INSTRUMENTS >"$scratch/fleet.txt" 2>&1 ||
    status=$?
[ "$status" = 1 ] && cmp -s "$scratch/fleet.txt" tests/data/fleet_tables/example.txt ||
    { diff tests/data/fleet_tables/example.txt "$scratch/fleet.txt"; fail "the example fleet's table differs"; }
[ "$failures" -eq 0 ] || exit 1
echo "ok   $(basename "$archive"), unpacked elsewhere: $(ls "$unpacked" | tr '\n' ' ')runs the sample script" \
    "($(grep -c ' returned ' "$scratch/sample.out") answers) and the example fleet's table, nothing set"
