#!/bin/sh
# Snapshots as the win64 hostsim.exe takes them under 64-bit Wine, in a prefix of their own
# under a Japanese locale (code page 932), a case each:
#   japanese_folder  a header in a folder and a file whose names end in the byte 5C (表 is
#                    95 5C, ソ 83 5C): the machine's row reads it and shows its path whole;
#                    the snapshot copies it where the fleet looks, and notes a missing one
#   two_at_once      two snapshots started at once into one folder, beside an old partial
#                    folder and a lock file that runs which ended left: exactly one
#                    succeeds, its folder whole, the other says why it stopped, and
#                    nothing else is left beside it
#   held_file        a file that is there but that another program holds: the part is
#                    named, the exit status is 1, and nothing is written
# Ends with "snapshots: N passed, M failed".
#   usage: tests/snapshots/under_wine.sh SOURCE_DIR BINARY_DIR
set -u
source=$1 binary=$2
here=$(cd "$(dirname "$0")" && pwd)
export VANTREL_WINEPREFIX="$binary/snapshot-prefix"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
wine="$source/scripts/wine-run"
hostsim="$binary/bin/hostsim.exe"
header="$source/examples/sample_driver.h"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0 failed=0
"$wine" wineboot >/dev/null 2>&1 || true  # creates the prefix on first use

# CASE, then the checks' outcome (0: every one held) and what to show when one did not.
report() {
    if [ "$2" = 0 ]; then
        echo "snapshot $1: as expected"
        passed=$((passed + 1))
    else
        echo "snapshot $1: FAILED"
        tr -d '\r' <"$3"
        failed=$((failed + 1))
    fi
}

# Runs hostsim.exe with the arguments given in the case's folder; its output and errors go
# to NAME.out and NAME.err there, with the carriage returns dropped; prints its exit status.
run() {
    name=$1
    shift
    status=0
    "$wine" "$hostsim" "$@" >"$name.raw" 2>"$name.errors" || status=$?
    tr -d '\r' <"$name.raw" >"$name.out"
    tr -d '\r' <"$name.errors" >"$name.err"
    echo $status
}

japanese_folder() {
    mkdir -p "$VANTREL_WINEPREFIX/drive_c/vantrel-snapshot/表"
    cp "$header" "$VANTREL_WINEPREFIX/drive_c/vantrel-snapshot/表/ソ.h"
    script="$here/japanese_folder.script"
    row_status=$(run row --script "$script" --show DRIVER_PATH,DRIVER_VERSION --format tsv)
    snapshot_status=$(run snapshot --snapshot japanese --script "$script")
    expected=$(printf '64-bit\t932\tmet\tmet\tmet\tmet\t%s\t2.014\tmet' 'C:\\vantrel-snapshot\\表\\ソ.h')
    [ "$row_status" = 0 ] && [ "$(sed -n 2p row.out | cut -f2-)" = "$expected" ] &&
        [ "$snapshot_status" = 0 ] && cmp -s japanese/drive_c/vantrel-snapshot/表/ソ.h "$header" &&
        grep -q '^code-page=932$' japanese/description &&
        grep -q 'missing.h is not on this machine; the folder holds none either' snapshot.err
}

two_at_once() {
    mkdir .two.1f2e.partial
    echo 'from a run that was stopped' >.two.1f2e.partial/registry.reg
    echo 'from a run that was stopped' >.two.lock
    run first --snapshot two >first.status &
    first=$!
    run second --snapshot two >second.status &
    second=$!
    wait $first $second
    winners=$(cat first.status second.status | grep -c '^0$')
    [ "$winners" = 1 ] && [ -f two/registry.reg ] && [ -f two/instruments ] && [ -f two/description ] &&
        cat first.err second.err | grep -Eq 'two: another snapshot is writing it now|two already exists' &&
        [ -z "$(ls -A | grep '^\.two\.')" ]
}

held_file() {
    cp "$header" held.h
    "$wine" "$binary/bin/hold_file.exe" held.h ready stop &
    holder=$!
    for second in $(seq 60); do [ -f ready ] && break; sleep 1; done
    status=$(run held --snapshot held --script "$here/held_file.script")
    touch stop
    wait $holder
    [ "$status" = 1 ] && grep -q '^hostsim: snapshot: file held.h: cannot copy it to ' held.err &&
        grep -q '^hostsim: snapshot: nothing written to held$' held.err && [ ! -e held ]
}

for case in japanese_folder two_at_once held_file; do
    mkdir "$scratch/$case"
    (cd "$scratch/$case" && $case) >"$scratch/$case.log" 2>&1
    outcome=$?
    (cd "$scratch/$case" && for f in *.out *.err; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done) >>"$scratch/$case.log"
    report $case $outcome "$scratch/$case.log"
done
echo "snapshots: $passed passed, $failed failed"
[ "$failed" = 0 ]
