#!/bin/sh
# Static checks of the 32-bit deliverables, which nothing on a Linux machine can run:
# exactly the intended exports, undecorated but for _GetZelk@4; nothing imported beyond
# KERNEL32, ADVAPI32 and msvcrt (the C++ runtime is linked in); a 32-bit x86 image that
# Windows may relocate (dynamic base) and keep data non-executable (NX), with no section
# both writable and executable; and, from the link maps, none of the C++ library's
# streams or locales linked in (they would bring the locale machinery into the installer).
# usage: check_dlls.sh OBJDUMP DIR MAPDIR
set -eu
objdump=$1
dir=$2
mapdir=${3:-$2}
failures=0

fail() { echo "FAIL $*"; failures=$((failures + 1)); }

exports_of() {
    "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort
}

imports_of() {
    "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr 'a-z' 'A-Z' | sort
}

check_dll() {
    name=$1; dll=$dir/$1; shift
    if [ ! -f "$dll" ]; then fail "$dll was not built"; return; fi
    expected=$(printf '%s\n' "$@" | sort)
    actual=$(exports_of "$dll")
    if [ "$expected" = "$actual" ]; then
        echo "ok   $(basename "$dll") exports: $(echo "$actual" | tr '\n' ' ')"
    else
        fail "$(basename "$dll") exports: $(echo "$actual" | tr '\n' ' '), expected: $(echo "$expected" | tr '\n' ' ')"
    fi
    for import in $(imports_of "$dll"); do
        case $import in
            KERNEL32.DLL|ADVAPI32.DLL|MSVCRT.DLL) ;;
            *) fail "$(basename "$dll") imports $import" ;;
        esac
    done
    echo "ok   $(basename "$dll") imports: $(imports_of "$dll" | tr '\n' ' ')"
    headers=$("$objdump" -p "$dll")
    echo "$headers" | grep -q 'file format pei-i386' || fail "$(basename "$dll") is not a 32-bit x86 image"
    for flag in DYNAMIC_BASE NX_COMPAT; do
        echo "$headers" | grep -q "^[[:space:]]*$flag\$" || fail "$(basename "$dll") lacks $flag"
    done
    writable_code=$("$objdump" -h "$dll" | awk '/^ *[0-9]+ /{name=$2; next} /CODE/ && !/READONLY/ {print name}')
    [ -z "$writable_code" ] || fail "$(basename "$dll") has writable code sections: $writable_code"
    echo "ok   $(basename "$dll"): pei-i386, DYNAMIC_BASE, NX_COMPAT, no writable code, $(wc -c < "$dll") bytes"
    check_runtime_pieces "$name"
    check_stdcall "$@"
}

# The .def names the functions undecorated and the linker's stdcall fix-up finds them, so
# a function that lost its stdcall would still link and export; only its compiled name
# tells: a stdcall function of one 4-byte argument is "_Name@4".
check_stdcall() {
    nm=$(echo "$objdump" | sed 's/objdump$/nm/')
    before=$failures
    symbols=$(find "$mapdir/CMakeFiles" -name '*.obj' -exec "$nm" -g --defined-only {} + | awk '{print $3}')
    for export in "$@"; do
        function=$(echo "$export" | sed 's/^_\(.*\)@4$/\1/')
        echo "$symbols" | grep -qx "_$function@4" || fail "$export is not a stdcall function of one argument"
    done
    [ "$failures" -ne "$before" ] || echo "ok   stdcall, one argument: $*"
}

check_runtime_pieces() {
    map=$mapdir/${1%.dll}.map
    if [ ! -f "$map" ]; then fail "no link map $map"; return; fi
    pieces=$(grep -o 'libstdc++\.a([^)]*)' "$map" | sort -u | sed 's/.*(\(.*\))/\1/' | tr '\n' ' ')
    streams=$(echo "$pieces" | tr ' ' '\n' | grep -iE 'ios|locale|stream|basic_file' || true)
    [ -z "$streams" ] || fail "$1 links the C++ library's streams or locales: $streams"
    echo "ok   $1 links from libstdc++: ${pieces:-nothing}"
}

check_dll vantrel.dll GetQuendrix GetWexo _GetZelk@4 GreaterEqual GetDriverVer GetRegKey MapRegKeys GetRegKeys
check_dll driver.dll GetHW

[ "$failures" -eq 0 ] || { echo "$failures deliverable check(s) failed"; exit 1; }
