#!/bin/sh
# The index cache's rules, a case a row: an export is read once with a cache, so that its
# index is kept; then the export or the kept index changes as the row says, and hostsim must
# answer with the cache exactly as without one (output and exit status). Where the kept index
# was damaged, the export is read instead and the index written again: the entry is the one
# first written, byte for byte.
#   usage: tests/index_cache/rules.sh ROW HOSTSIM FOLDER
#   rows: unchanged_export rewritten_in_place replaced_by_rename truncated_index damaged_index
#         other_version other_exports_index two_fleets_at_once unwritable_cache
#         least_recently_used_removed
set -u
row=$1
hostsim=$2
work=$3/$row
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
export XDG_CACHE_HOME="$work/cache"
entries=$XDG_CACHE_HOME/vantrel

fail() {
    echo "index cache $row: FAILED: $*"
    exit 1
}

# A machine's export holding the Quendrix versions named, each with its folder.
write_export() {
    file=$1
    shift
    printf 'REGEDIT4\r\n\r\n' >"$file"
    for version in "$@"; do
        printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\%s]\r\n"Path"="C:\\\\Korvalis\\\\%s"\r\n\r\n' \
            "$version" "$version" >>"$file"
    done
}

# What hostsim answers on the export, and how it ends, with the cache and then without.
ask() {
    "$hostsim" "$@" --registry "$export" vantrel GetRegKeys 'REGISTRY_KEY=SOFTWARE\\Korvalis\\Quendrix' \
        REGISTRY_CRT=Path 2>&1
    echo "exit status $?"
}

answers_as_without_cache() {
    ask >with-cache.out
    ask --no-cache >without-cache.out
    cmp -s with-cache.out without-cache.out || fail "with the cache: $(cat with-cache.out); without: $(cat without-cache.out)"
    grep -q "$1" without-cache.out || fail "the answer is not $1: $(cat without-cache.out)"
}

# An index is kept only of a file left alone a while.
settle() {
    sleep 2.2
}

# The export is read once, and its index kept.
keep_first_index() {
    ask >/dev/null
    set -- "$entries"/*.index
    [ -f "$1" ] || fail "no index was kept"
    entry=$1
    cp "$entry" first.index
}

entry_written_again() {
    cmp -s "$entry" first.index || fail "the index was not written again"
}

export=$work/machine.reg
case $row in
unchanged_export)
    # Read again from its index, which stays as it was written (not written again), the
    # line it skips named as before.
    write_export "$export" 5.5 6.2
    printf '"Bad"=dword:123456789\r\n' >>"$export"
    settle
    export VANTREL_CACHE_SIZE=1K  # room for this one index
    keep_first_index
    written=$(stat -c %i "$entry")
    answers_as_without_cache '6.2'
    grep -q 'machine.reg:9: .*line skipped' with-cache.out || fail "the skipped line is not named: $(cat with-cache.out)"
    [ "$(stat -c %i "$entry")" = "$written" ] || fail "the index was not read: it was written again"
    ;;
rewritten_in_place)
    write_export "$export" 5.5 6.2
    settle
    keep_first_index
    # The same size, a new time: the stale index would still name 6.2. Left alone a while,
    # so that the libraries too are served the index hostsim reads.
    write_export rewritten.reg 5.5 6.3
    cat rewritten.reg >"$export"
    settle
    answers_as_without_cache '6.3'
    ;;
replaced_by_rename)
    write_export "$export" 5.5 6.2
    settle
    keep_first_index
    # Another file of the same size and time renamed over it, as a snapshot is written.
    write_export replacement.reg 5.5 6.3
    touch -r "$export" replacement.reg
    mv replacement.reg "$export"
    settle
    answers_as_without_cache '6.3'
    ;;
truncated_index)
    write_export "$export" 5.5 6.2
    settle
    keep_first_index
    head -c "$(($(wc -c <"$entry") / 2))" first.index >"$entry"
    answers_as_without_cache '6.2'
    entry_written_again
    ;;
damaged_index)
    write_export "$export" 5.5 6.2
    settle
    keep_first_index
    # One byte changed inside, as a disk may change it: the index would name 6.9.
    python3 -c 'import sys; data = open(sys.argv[1], "rb").read(); at = data.rindex(b"6.2")
open(sys.argv[1], "wb").write(data[:at] + b"6.9" + data[at + 3:])' "$entry"
    answers_as_without_cache '6.2'
    entry_written_again
    ;;
other_version)
    write_export "$export" 5.5 6.2
    settle
    keep_first_index
    # The same index but for the hostsim that wrote it, its checksum whole.
    python3 -c 'import re, sys; data = open(sys.argv[1], "rb").read()
open(sys.argv[1], "wb").write(re.sub(rb"hostsim [0-9.]+,", b"hostsim 0.0.0,", data, count=1))' "$entry"
    cmp -s "$entry" first.index && fail "the version was not changed"
    answers_as_without_cache '6.2'
    entry_written_again
    ;;
other_exports_index)
    write_export other.reg 7.1
    write_export "$export" 5.5 6.2
    settle
    machine=$export
    export=$work/other.reg
    keep_first_index
    mv "$entry" other.index
    export=$machine
    keep_first_index
    cp other.index "$entry"
    answers_as_without_cache '6.2'
    entry_written_again
    ;;
two_fleets_at_once)
    mkdir fleet
    for machine in 1 2 3 4 5 6 7 8; do write_export "fleet/m$machine.reg" 5.5 "6.$machine"; done
    # Larger exports, so that the fleets read and write at the same time.
    awk 'BEGIN { printf "REGEDIT4\r\n"; for (i = 0; i < 20000; i++) printf "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\K%05d]\r\n\"V\"=dword:%08x\r\n", i, i }' \
        >fleet/large.reg
    settle
    export VANTREL_CACHE_SIZE=1G
    printf 'call vantrel GetQuendrix into Q\nexpect Q=6.8\n' >fleet.script
    fleet() { "$hostsim" --script fleet.script --fleet fleet --show Q --format tsv "$@"; echo "exit status $?"; }
    fleet --no-cache >without-cache.out 2>&1
    fleet --jobs 2 >first.out 2>&1 &
    fleet --jobs 2 >second.out 2>&1
    wait
    fleet >again.out 2>&1
    for run in first second again; do
        cmp -s $run.out without-cache.out || fail "the $run run's table differs: $(cat $run.out)"
    done
    [ "$(ls "$entries"/*.index | wc -l)" -eq 9 ] || fail "not one index a machine: $(ls "$entries")"
    ;;
unwritable_cache)
    write_export "$export" 5.5 6.2
    settle
    # A cache folder that cannot be made, even by root: a file stands where it should go.
    echo >"$work/a-file"
    export XDG_CACHE_HOME="$work/a-file/cache"
    ask >with-cache.out
    ask --no-cache >without-cache.out
    grep -v '^hostsim: cannot keep export indexes in ' with-cache.out >answers.out
    cmp -s answers.out without-cache.out || fail "with the cache: $(cat with-cache.out); without: $(cat without-cache.out)"
    [ "$(grep -c 'cannot keep export indexes' with-cache.out)" -eq 1 ] || fail "not one line said why: $(cat with-cache.out)"
    # A fleet says it once, not once a machine: where the folder cannot be written, and
    # where each index cannot be put in place (a folder stands at its name).
    mkdir fleet
    cp "$export" fleet/a.reg
    cp "$export" fleet/b.reg
    settle
    printf 'call vantrel GetQuendrix into Q\nexpect Q=6.2\n' >fleet.script
    "$hostsim" --script fleet.script --fleet fleet >fleet.out 2>fleet.errors || fail "the fleet failed: $(cat fleet.out)"
    export XDG_CACHE_HOME="$work/cache"
    "$hostsim" --script fleet.script --fleet fleet >/dev/null 2>&1
    for entry in "$entries"/*.index; do rm "$entry" && mkdir "$entry"; done
    "$hostsim" --script fleet.script --fleet fleet >fleet-again.out 2>>fleet.errors || fail "the fleet failed: $(cat fleet-again.out)"
    cmp -s fleet.out fleet-again.out || fail "the tables differ"
    [ "$(wc -l <fleet.errors)" -eq 2 ] && [ "$(grep -c 'cannot keep export indexes' fleet.errors)" -eq 1 ] &&
        [ "$(grep -c "cannot keep an export's index" fleet.errors)" -eq 1 ] || fail "the fleets did not say why once each: $(cat fleet.errors)"
    # A disk that fills while an index is written: files are limited to 512 bytes, the
    # signal that limit sends ignored, so that writing past it fails as on a full disk.
    write_export "$work/larger.reg" 5.5 6.2 6.3 6.4 6.5 6.6 6.7 6.8
    export=$work/larger.reg
    rm -rf "$work/cache"
    settle
    (trap '' XFSZ; ulimit -f 1; ask) >full-disk.out
    ask --no-cache >without-cache.out
    grep -v "^hostsim: cannot keep an export's index in " full-disk.out >answers.out
    cmp -s answers.out without-cache.out && [ "$(grep -c "cannot keep an export's index" full-disk.out)" -eq 1 ] ||
        fail "with a full disk: $(cat full-disk.out)"
    [ -z "$(ls "$entries")" ] || fail "part of an index was kept: $(ls "$entries")"
    ;;
least_recently_used_removed)
    # Room for two indexes of these exports: a, b, a again, then c leaves a and c.
    for machine in a b c; do write_export "$machine.reg" 5.5 6.2; done
    settle
    export VANTREL_CACHE_SIZE=1000
    for machine in a b a c; do
        export=$work/$machine.reg
        answers_as_without_cache '6.2'
        [ -f "$machine.entry" ] || ls -t "$entries" | head -1 >"$machine.entry"
    done
    for machine in a c; do [ -f "$entries/$(cat $machine.entry)" ] || fail "the index of $machine.reg was removed"; done
    [ ! -f "$entries/$(cat b.entry)" ] || fail "the index used least recently was kept"
    ;;
*)
    fail "no such row"
    ;;
esac
echo "index cache $row: the same answers as without a cache"
