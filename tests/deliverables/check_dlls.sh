#!/bin/sh
# Static checks of the 32-bit deliverables, which nothing on a Linux machine can run:
# exactly the intended exports, undecorated but for _GetZelk@4; nothing imported beyond
# KERNEL32, ADVAPI32 and msvcrt (the C++ runtime is linked in); a 32-bit x86 image that
# Windows may relocate (dynamic base) and keep data non-executable (NX).
# usage: check_dlls.sh OBJDUMP DIR
set -eu
objdump=$1
dir=$2
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
    dll=$dir/$1; shift
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
    echo "ok   $(basename "$dll"): pei-i386, DYNAMIC_BASE, NX_COMPAT, $(wc -c < "$dll") bytes"
}

check_dll vantrel.dll GetQuendrix GetWexo _GetZelk@4 GreaterEqual GetDriverVer GetRegKey MapRegKeys GetRegKeys
check_dll driver.dll GetHW

[ "$failures" -eq 0 ] || { echo "$failures deliverable check(s) failed"; exit 1; }
