#!/bin/sh
# The snapshot check's second half, on this machine: runs every script of CHECK/scripts with
# the native hostsim --fleet over the snapshots in CHECK/machines and compares each machine's
# row with the row the machine itself gave (CHECK/answers/MACHINE.SCRIPT.tsv), all but the
# name: they must be the same bytes, and the fleet must read every line of the exports. Prints
# a line per row, "snapshot MACHINE SCRIPT: ..." (the same, or FAILED and both rows); without
# MACHINE every machine's rows and then each fleet table. Fails on any difference.
#   usage: tests/guest/compare-snapshots.sh CHECK HOSTSIM [MACHINE]
set -u
check=$(cd "$1" && pwd)
hostsim=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
only=${3:-}
# The VISA stand-in lists each machine's instruments file.
export LD_LIBRARY_PATH="$(dirname "$hostsim")/visa/full"
# The variables a script's rows show: its own list (scripts/NAME.shown), where it has one.
shown_by() {
    if [ -f "$check/scripts/$1.shown" ]; then cat "$check/scripts/$1.shown"; else cat "$check/shown"; fi
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for script in "$check"/scripts/*.script; do
    name=$(basename "$script" .script)
    fleet=$scratch/fleet.$name.tsv
    (cd "$check" && "$hostsim" --script "scripts/$name.script" --fleet machines --show "$(shown_by "$name")" --format tsv) \
        >"$fleet" 2>"$fleet.errors"
    for answers in "$check"/answers/*."$name".tsv; do
        machine=$(basename "$answers" ".$name.tsv")
        [ -z "$only" ] || [ "$machine" = "$only" ] || continue
        here=$(sed -n 2p "$answers" | cut -f2-)
        there=$(awk -F '\t' -v machine="$machine" '$1 == machine' "$fleet" | cut -f2-)
        if [ "$(head -1 "$answers")" = "$(head -1 "$fleet")" ] && [ -n "$here" ] && [ "$here" = "$there" ] &&
            [ ! -s "$fleet.errors" ]; then
            echo "snapshot $machine $name: the fleet row is the machine's own"
        else
            echo "snapshot $machine $name: FAILED: the fleet row differs from the machine's own, or the fleet complained"
            printf '  machine: %s\n  fleet:   %s\n' "$here" "$there"
            cat "$fleet.errors"
            failed=1
        fi
    done
done
if [ -z "$only" ]; then
    for script in "$check"/scripts/*.script; do
        echo "== the fleet table of $(basename "$script") over the snapshots"
        (cd "$check" && "$hostsim" --script "scripts/$(basename "$script")" --fleet machines \
            --show "$(shown_by "$(basename "$script" .script)")")
    done
fi
exit $failed
