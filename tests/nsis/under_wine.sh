#!/bin/sh
# The NSIS installers of the win64 build under 64-bit Wine, in a Wine prefix of their own
# (the unit tests write their fixtures into the project's prefix meanwhile): the sample
# machine imported and the VISA stand-in in the system folder, as the sample script needs;
# then check.sh.
#   usage: tests/nsis/under_wine.sh SOURCE_DIR BINARY_DIR
set -eu
source=$1 binary=$2
export VANTREL_WINEPREFIX="$binary/nsis-prefix"
export VISA_STANDIN_RESOURCES='GPIB0::22::INSTR|ASRL1::INSTR'
cd "$source"
scripts/wine-run regedit /S examples/sample_machine.reg
cp "$binary/bin/visa/full/visa32.dll" "$VANTREL_WINEPREFIX/drive_c/windows/system32/visa32.dll"
exec tests/nsis/check.sh "$source/scripts/wine-run" "$binary/bin/hostsim.exe" "$binary/nsis" amd64-unicode
