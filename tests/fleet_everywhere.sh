#!/bin/sh
# One fleet that every build shows in the same table, byte for byte: the example fleet, the
# snapshots the emulated machines took of themselves (tests/data/snapshots.tar.xz), and
# machines that cannot run to the end (tests/data/fleets/everywhere: a .reg file without its
# header, a description that contradicts its export, a machine whose run crashes), each
# asked tests/data/fleet_everywhere.script. The native build's tables are kept in
# tests/data/fleet_tables/everywhere.txt and .tsv.
#   tests/fleet_everywhere.sh assemble SOURCE WORK
#       lays the fleet out in WORK (WORK/fleet, WORK/everywhere.script);
#   tests/fleet_everywhere.sh compare SOURCE WORK OUT FORMATS HOSTSIM_COMMAND...
#       runs the hostsim command given in WORK (which may be read-only) once for each of
#       FORMATS ("text tsv", or one of them), writes what it printed into OUT and compares
#       each table with the native one. Nothing may be said on stderr: every line of every
#       export is read;
#   tests/fleet_everywhere.sh SOURCE WORK HOSTSIM_COMMAND...
#       both, in both formats, OUT being WORK.
set -eu

assemble() {
    rm -rf "$2"
    mkdir -p "$2/fleet"
    cp -RL "$1/examples/fleet/." "$1/tests/data/fleets/everywhere/." "$2/fleet/"
    tar -C "$2" -xJf "$1/tests/data/snapshots.tar.xz" machines
    cp -R "$2/machines/." "$2/fleet/"
    rm -rf "$2/machines"
    cp "$1/tests/data/fleet_everywhere.script" "$2/everywhere.script"
}

compare() {
    source=$(cd "$1" && pwd)
    mkdir -p "$3"
    out=$(cd "$3" && pwd)
    formats=$4
    cd "$2"
    shift 4
    shown=QUENDRIX_VERSION,STROVANE_VERSION,PELLWARD_VERSION,QUENDRIX_64,DRIVER_VERSION,INSTALLED_DRIVER
    shown=$shown,REGISTRY_KEYS,PICKED,NLS_SUBKEY,INSTRUMENTS
    failed=0
    for format in $formats; do
        status=0
        "$@" --script everywhere.script --fleet fleet --show "$shown" --format "$format" >"$out/table.$format" \
            2>"$out/errors.$format" || status=$?
        expected=$source/tests/data/fleet_tables/everywhere.$(echo "$format" | sed 's/^text$/txt/')
        if [ "$status" = 1 ] && cmp -s "$expected" "$out/table.$format" && [ ! -s "$out/errors.$format" ]; then
            echo "ok   the fleet's $format table is the native one ($(wc -l <"$out/table.$format") lines)"
        else
            echo "FAIL the fleet's $format table (exit status $status) differs from $expected, or stderr is not empty:"
            diff "$expected" "$out/table.$format" || true
            cat "$out/errors.$format"
            failed=1
        fi
    done
    return $failed
}

case $1 in
    assemble) assemble "$2" "$3" ;;
    compare) shift; compare "$@" ;;
    *) assemble "$1" "$2"; source=$1 work=$2; shift 2; compare "$source" "$work" "$work" "text tsv" "$@" ;;
esac
