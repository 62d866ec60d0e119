#!/bin/sh
# The sample installer script on the Japanese example machine (examples/fleet/japanese, code
# page 932) under Wine in a Japanese locale: its export imported where an installer of the
# DLLs' kind puts its keys, the VISA stand-in in that system folder, the script run in the
# machine's folder, where its driver header is. The script's expectations are the sample
# machine's, so it passes only when every answer is the one the stand-in gives natively.
#   usage: tests/code_pages/japanese_machine.sh WINE BIN BITS
# WINE runs a Windows program (wine, or scripts/wine-run); BIN holds hostsim.exe and
# visa/full/visa32.dll, of BITS (32 or 64); WINEPREFIX (or VANTREL_WINEPREFIX for
# scripts/wine-run) names the prefix.
set -eu
wine=$1 bin=$2 bits=$3
source=$(cd "$(dirname "$0")/../.." && pwd)
prefix=${VANTREL_WINEPREFIX:-${WINEPREFIX:?}}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export VISA_STANDIN_RESOURCES='GPIB0::22::INSTR|ASRL1::INSTR'
"$wine" wineboot >/dev/null 2>&1 || true  # creates the prefix on first use
# A 32-bit program on 64-bit Windows reads the 32-bit view and loads from SysWOW64.
system=system32 regedit=regedit
if [ "$bits" = 32 ] && [ -d "$prefix/drive_c/windows/syswow64" ]; then
    system=syswow64 regedit='C:\windows\syswow64\regedit.exe'
fi
cp "$bin/visa/full/visa32.dll" "$prefix/drive_c/windows/$system/visa32.dll"
cd "$source/examples/fleet/japanese"
"$wine" "$regedit" /S registry.reg
# Through a file: on the console Wine would draw on the terminal.
out=${TMPDIR:-/tmp}/japanese-machine.$$.out
status=0
"$wine" "$bin/hostsim.exe" --script ../../sample_install.script >"$out" 2>&1 || status=$?
tr -d '\r' <"$out"
rm -f "$out"
exit $status
