#!/bin/sh
# The release zip: named for the version, holding exactly the two DLLs and hostsim.exe of
# this build with the stand-in libraries of its fleet in standin/, the installer authors'
# reference, the NSIS header, the custom-action DLL with its WiX include and SHA256SUMS that
# match them; and made twice, some seconds apart, the same bytes.
# usage: check_release.sh SOURCE_DIR BUILD_DIR VERSION
. "$(dirname "$0")/release_check_start.sh"
release() { VANTREL_RELEASE_BUILT=1 VANTREL_RELEASE_BUILD="$build" "$source/scripts/release" "$1" >/dev/null; }
release "$scratch/first"
sleep 2  # a zip time stamp counts in two-second steps
release "$scratch/second"

zip=vantrel-$version.zip
[ -f "$scratch/first/$zip" ] || { echo "FAIL no $zip: $(ls "$scratch/first")"; exit 1; }
entries=$(unzip -Z1 "$scratch/first/$zip" | tr '\n' ' ')
standins="standin/vantrel_standin.dll standin/driver_standin.dll standin/visa_standin.dll"
[ "$entries" = "vantrel.dll driver.dll hostsim.exe vantrel_msi.dll $standins reference.md vantrel.nsh vantrel_msi.wxi SHA256SUMS " ] ||
    fail "$zip holds: $entries"
mkdir "$scratch/unpacked"
unzip -q "$scratch/first/$zip" -d "$scratch/unpacked"
(cd "$scratch/unpacked" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
for dll in vantrel.dll driver.dll hostsim.exe vantrel_msi.dll $standins; do
    cmp -s "$scratch/unpacked/$dll" "$build/bin/$dll" || fail "$dll in the zip is not the built one"
done
cmp -s "$scratch/unpacked/reference.md" "$source/docs/reference.md" || fail "reference.md is not docs/reference.md"
cmp -s "$scratch/unpacked/vantrel.nsh" "$source/integrations/nsis/vantrel.nsh" || fail "vantrel.nsh is not the NSIS header"
cmp -s "$scratch/unpacked/vantrel_msi.wxi" "$source/integrations/msi/vantrel_msi.wxi" ||
    fail "vantrel_msi.wxi is not the WiX include"
first=$(sha256sum < "$scratch/first/$zip" | cut -d' ' -f1)
second=$(sha256sum < "$scratch/second/$zip" | cut -d' ' -f1)
[ "$first" = "$second" ] || fail "two runs give different zips: $first, $second"
[ "$failures" -eq 0 ] || exit 1
echo "ok   $zip: $entries; SHA256SUMS matches; the same zip twice ($first)"
