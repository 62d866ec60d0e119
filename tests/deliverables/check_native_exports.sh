#!/bin/sh
# The native libraries export exactly the deliverables' names (GetZelk standing for the
# decorated _GetZelk@4, which an ELF name cannot carry), and nothing else.
set -eu
dir=$1
status=0
check() {
    library=$1; shift
    expected=$(printf '%s\n' "$@" | sort)
    actual=$(nm -D --defined-only "$dir/$library" | awk '$2 == "T" { print $3 }' | sort)
    if [ "$expected" != "$actual" ]; then
        echo "$library exports differ:"; echo "expected: $expected" | tr '\n' ' '; echo
        echo "actual:   $actual" | tr '\n' ' '; echo
        status=1
    else
        echo "$library exports: $(echo "$actual" | tr '\n' ' ')"
    fi
}
check libvantrel.so GetQuendrix GetWexo GetZelk GreaterEqual GetDriverVer GetRegKey MapRegKeys GetRegKeys
check libdriver.so GetHW
exit $status
