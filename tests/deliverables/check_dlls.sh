#!/bin/sh
# Static checks of the 32-bit deliverables and of the Windows Installer custom-action DLL,
# read from the files without running them (the emulated machines run them,
# scripts/guest-test):
# exactly the intended exports, undecorated but for _GetZelk@4; nothing imported beyond
# KERNEL32, ADVAPI32 and msvcrt (the C++ runtime is linked in), and msi.dll for the custom
# actions, which read and write the package's properties through it; a 32-bit x86 image that
# Windows may relocate (dynamic base) and keep data non-executable (NX), with no section
# both writable and executable; and, from the link maps, none of the C++ library's
# streams or locales linked in (they would bring the locale machinery into the installer).
# The same of the stand-in libraries beside hostsim.exe (standin/), which must never reach a
# deliverable, and never be taken for one: their names and descriptions say what they are.
# Release grade: a version resource holding the project's version; no link time stamped
# in; structured exceptions declared as a binary analyzer expects of a DLL in an elevated
# process (NO_SEH, and nothing in the code that registers a handler); and the stack
# protector linked in statically and used by the project's own code.
# usage: check_dlls.sh OBJDUMP DIR MAPDIR VERSION
set -eu
objdump=$1
dir=$2
mapdir=${3:-$2}
version=${4:-}
failures=0

nm=$(echo "$objdump" | sed 's/objdump$/nm/')
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

exports_of() {
    "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort
}

imports_of() {
    "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr 'a-z' 'A-Z' | sort
}

# What a DLL may import beyond KERNEL32, ADVAPI32 and msvcrt, and the suffix of the functions
# its .def exports under the exports' names; set for the custom-action DLL.
more_imports=""
function_suffix=""

check_dll() {
    name=$1
    check_image "$@" || return 0
    shift
    headers=$("$objdump" -p "$dir/$name")
    check_runtime_pieces "$name"
    check_release_grade "$name" "$headers"
    check_stdcall "$@"
}

# Exactly the exports given, the imports allowed, and the PE flags; false when not built.
check_image() {
    name=$1; dll=$dir/$1; shift
    if [ ! -f "$dll" ]; then fail "$dll was not built"; return 1; fi
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
            *) case " $more_imports " in
                   *" $import "*) ;;
                   *) fail "$(basename "$dll") imports $import" ;;
               esac ;;
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
}

check_release_grade() {
    name=$1; dll=$dir/$1; headers=$2
    before=$failures
    strings=$(echo "$objdump" | sed 's/objdump$/strings/')
    resource=$("$strings" -e l "$dll")
    for field in FileVersion ProductVersion FileDescription OriginalFilename InternalName ProductName LegalCopyright; do
        echo "$resource" | grep -qx "$field" || fail "$name: no $field in its version resource"
    done
    [ -z "$version" ] || echo "$resource" | grep -qx "$version" || fail "$name: version $version not in its resource"
    echo "$headers" | grep -q '^Time/Date[[:space:]]*Thu Jan  1 00:00:00 1970' || fail "$name: a link time is stamped in"
    echo "$headers" | grep -q "^[[:space:]]*NO_SEH\$" || fail "$name is not marked NO_SEH"
    # A handler is registered by writing the head of the chain at fs:0; nothing may.
    registrations=$("$objdump" -d "$dll" | grep -cE '%fs:0x0([^0-9a-fx]|$)' || true)
    [ "$registrations" -eq 0 ] || fail "$name touches the exception handler chain at fs:0 ($registrations places)"
    map=$mapdir/${name%.dll}.map
    # The guard comes from the DLL's own code, seeded from KERNEL32 alone; the toolchain's
    # runtime, which seeds it through the CryptoAPI while the DLL loads, is not linked.
    ! grep -q 'libssp\.a(ssp\.o)' "$map" || fail "$name: the toolchain's stack protector runtime is linked in"
    grep -qE 'stack_guard\.cpp\.obj.*_imp__QueryPerformanceCounter' "$map" ||
        fail "$name: the stack protector's guard is not seeded by the DLL's own code"
    ! "$objdump" -p "$dll" | grep -q 'Crypt' || fail "$name imports a CryptoAPI function"
    objects=$(own_objects "$map")
    protected=$(for object in $objects; do "$nm" -u "$object" | grep -l '__stack_chk_fail$' || true; done | wc -l)
    [ "$protected" -gt 0 ] || fail "$name: none of the project's code calls the stack protector's check"
    [ "$failures" -ne "$before" ] ||
        echo "ok   $name: version resource ($version), no time stamp, NO_SEH and no handler registered," \
             "stack protector with its own guard, checked in $protected of its $(echo "$objects" | wc -w) objects"
}

# The project's object files linked into a DLL, as its link map names them.
own_objects() {
    grep -oE 'CMakeFiles/[^ ()]*\.obj|lib[a-z_]*\.a\([^)]*\.cpp\.obj\)' "$1" | sort -u | while read -r entry; do
        case $entry in
            CMakeFiles/*) echo "$mapdir/$entry" ;;
            *) library=${entry%%.a(*}; member=${entry#*(}; member=${member%)}
               find "$mapdir/CMakeFiles/${library#lib}.dir" -name "$member" ;;
        esac
    done
}

# The .def names the functions undecorated and the linker's stdcall fix-up finds them, so
# a function that lost its stdcall would still link and export; only its compiled name
# tells: a stdcall function of one 4-byte argument is "_Name@4".
check_stdcall() {
    before=$failures
    symbols=$(find "$mapdir/CMakeFiles" -name '*.obj' -exec "$nm" -g --defined-only {} + | awk '{print $3}')
    for export in "$@"; do
        function=$(echo "$export" | sed 's/^_\(.*\)@4$/\1/')$function_suffix
        echo "$symbols" | grep -qx "_$function@4" || fail "$export is not a stdcall function of one argument"
    done
    [ "$failures" -ne "$before" ] || echo "ok   stdcall, one argument: $*${function_suffix:+ (as NAME$function_suffix)}"
}

check_runtime_pieces() {
    map=$mapdir/${1%.dll}.map
    if [ ! -f "$map" ]; then fail "no link map $map"; return; fi
    pieces=$(grep -o 'libstdc++\.a([^)]*)' "$map" | sort -u | sed 's/.*(\(.*\))/\1/' | tr '\n' ' ')
    streams=$(echo "$pieces" | tr ' ' '\n' | grep -iE 'ios|locale|stream|basic_file' || true)
    [ -z "$streams" ] || fail "$1 links the C++ library's streams or locales: $streams"
    echo "ok   $1 links from libstdc++: ${pieces:-nothing}"
}

# The stand-in code is hostsim.exe's alone (its fleet): none of its objects is linked into a
# deliverable, and none of the variables through which it is shown a machine is named there.
check_no_standin() {
    name=$1; dll=$dir/$1
    before=$failures
    standin_objects=$(own_objects "$mapdir/${name%.dll}.map" | grep -E 'standin|regfile' || true)
    [ -z "$standin_objects" ] || fail "$name links stand-in code: $standin_objects"
    ! "$strings_tool" -a "$dll" | grep -qE 'VANTREL_(REGISTRY|CODE_PAGE)|VISA_STANDIN' ||
        fail "$name names a variable of the stand-ins"
    [ "$failures" -ne "$before" ] || echo "ok   $name: no stand-in code linked in, no stand-in variable named"
}
strings_tool=$(echo "$objdump" | sed 's/objdump$/strings/')

check_dll vantrel.dll GetQuendrix GetWexo _GetZelk@4 GreaterEqual GetDriverVer GetRegKey MapRegKeys GetRegKeys
check_dll driver.dll GetHW
# The custom actions, one per export under its name; each is a function NameAction.
more_imports="MSI.DLL"
function_suffix=Action
check_dll vantrel_msi.dll GetQuendrix GetWexo _GetZelk@4 GreaterEqual GetDriverVer GetRegKey MapRegKeys GetRegKeys GetHW
for dll in vantrel.dll driver.dll vantrel_msi.dll; do check_no_standin "$dll"; done

# The stand-in libraries that ship beside hostsim.exe (standin/): the deliverables' exports
# (the VISA stand-in's: VISA's four), the same imports, PE flags and release grade, their own
# names and a description that says what they are.
more_imports=""
function_suffix=""
dir=$dir/standin
check_dll vantrel_standin.dll GetQuendrix GetWexo _GetZelk@4 GreaterEqual GetDriverVer GetRegKey MapRegKeys GetRegKeys
check_dll driver_standin.dll GetHW
# The VISA stand-in they load: VISA's four functions; none of them carries a test hook.
if check_image visa_standin.dll viClose viFindNext viFindRsrc viOpenDefaultRM; then
    "$objdump" -p "$dir/visa_standin.dll" | grep -q '^Time/Date[[:space:]]*Thu Jan  1 00:00:00 1970' ||
        fail "visa_standin.dll: a link time is stamped in"
fi
before=$failures
for standin in vantrel_standin.dll driver_standin.dll visa_standin.dll; do
    "$strings_tool" -a "$dir/$standin" | grep -qE 'VANTREL_REGISTRY_(FAIL|CHANGE)|VISA_STANDIN_(FAIL|LOG|GENERATED)' &&
        fail "$standin reads a test hook's variable"
    resource=$("$strings_tool" -e l "$dir/$standin")
    echo "$resource" | grep -qx "Stand-in for [A-Za-z.]*: .*never for an installer" &&
        echo "$resource" | grep -qx "${standin%.dll}" && echo "$resource" | grep -qx "$version" ||
        fail "$standin: no version resource ($version) naming it and describing it as a stand-in"
done
[ "$failures" -ne "$before" ] ||
    echo "ok   the stand-ins' version resources ($version) name them and describe them as stand-ins"

[ "$failures" -eq 0 ] || { echo "$failures deliverable check(s) failed"; exit 1; }
