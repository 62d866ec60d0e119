#!/bin/sh
# One fleet that every build shows in the same table, byte for byte: the example fleet, the
# snapshots the emulated machines took of themselves (tests/data/snapshots.tar.xz), and
# machines that cannot run to the end (tests/data/fleets/everywhere: a .reg file without its
# header, a description that contradicts its export, a machine whose run crashes), each
# asked tests/data/fleet_everywhere.script. Assembles that fleet in WORK, runs the hostsim
# command given from there, as a table and as TSV, and compares each with the native build's
# table kept in tests/data/fleet_tables/everywhere.txt and .tsv. Nothing may be said on
# stderr: every line of every export is read.
#   usage: tests/fleet_everywhere.sh SOURCE WORK HOSTSIM_COMMAND...
set -eu
source=$(cd "$1" && pwd)
work=$2
shift 2
rm -rf "$work"
mkdir -p "$work/fleet"
cp -R "$source/examples/fleet/." "$source/tests/data/fleets/everywhere/." "$work/fleet/"
tar -C "$work" -xJf "$source/tests/data/snapshots.tar.xz" machines
cp -R "$work/machines/." "$work/fleet/"
rm -rf "$work/machines"
cp "$source/tests/data/fleet_everywhere.script" "$work/everywhere.script"
cd "$work"
shown=QUENDRIX_VERSION,STROVANE_VERSION,PELLWARD_VERSION,QUENDRIX_64,DRIVER_VERSION,INSTALLED_DRIVER,REGISTRY_KEYS
shown=$shown,PICKED,NLS_SUBKEY,INSTRUMENTS
failed=0
for format in text tsv; do
    status=0
    "$@" --script everywhere.script --fleet fleet --show "$shown" --format "$format" >"table.$format" \
        2>"errors.$format" || status=$?
    expected=$source/tests/data/fleet_tables/everywhere.$(echo "$format" | sed 's/^text$/txt/')
    if [ "$status" = 1 ] && cmp -s "$expected" "table.$format" && [ ! -s "errors.$format" ]; then
        echo "ok   the fleet's $format table is the native one ($(wc -l <"table.$format") lines)"
    else
        echo "FAIL the fleet's $format table (exit status $status) differs from $expected, or stderr is not empty:"
        diff "$expected" "table.$format" || true
        cat "errors.$format"
        failed=1
    fi
done
exit $failed
