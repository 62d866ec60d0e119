#!/bin/sh
# The x64 Windows Installer packages of the win64 build under 64-bit Wine, in a Wine prefix
# of their own: the sample machine imported and the VISA stand-in in the system folder, as
# the sample script needs; then check.sh.
#   usage: tests/msi/under_wine.sh SOURCE_DIR BINARY_DIR
set -eu
source=$1 binary=$2
export VANTREL_WINEPREFIX="$binary/msi-prefix"
export VISA_STANDIN_RESOURCES='GPIB0::22::INSTR|ASRL1::INSTR'
cd "$source"
scripts/wine-run regedit /S examples/sample_machine.reg
visa=$VANTREL_WINEPREFIX/drive_c/windows/system32/visa32.dll
cp "$binary/bin/visa/full/visa32.dll" "$visa"
exec tests/msi/check.sh "$source/scripts/wine-run" "$binary/bin/hostsim.exe" "$binary/msi" "$visa" x64
