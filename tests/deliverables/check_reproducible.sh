#!/bin/sh
# The deliverables are reproducible: the same sources, copied to another folder and built
# there from scratch, give DLLs and a hostsim.exe identical to this build's, byte for byte.
# Only what the release ships (the two DLLs, the custom-action DLL, hostsim.exe and the
# stand-in libraries of its fleet) is built again, without the tests.
# usage: check_reproducible.sh SOURCE_DIR BUILD_DIR TOOLCHAIN_FILE (relative to SOURCE_DIR) BUILD_TYPE
set -eu
source=$1
build=$2
toolchain=$3
build_type=$4

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-second-build.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# The sources as they are now, without build outputs or the repository's history.
mkdir "$scratch/sources-elsewhere"
tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$scratch/sources-elsewhere" -xf -
cmake -G Ninja -S "$scratch/sources-elsewhere" -B "$scratch/second-build" \
    -DCMAKE_TOOLCHAIN_FILE="$scratch/sources-elsewhere/$toolchain" -DCMAKE_BUILD_TYPE="$build_type" \
    -DVANTREL_TESTS=OFF >"$scratch/configure.log" 2>&1 || { cat "$scratch/configure.log"; exit 1; }
cmake --build "$scratch/second-build" -j 2 --target vantrel driver vantrel_msi hostsim >"$scratch/build.log" 2>&1 ||
    { tail -30 "$scratch/build.log"; exit 1; }

failures=0
for dll in vantrel.dll driver.dll vantrel_msi.dll hostsim.exe standin/vantrel_standin.dll standin/driver_standin.dll \
    standin/visa_standin.dll; do
    first=$(sha256sum < "$build/bin/$dll" | cut -d' ' -f1)
    second=$(sha256sum < "$scratch/second-build/bin/$dll" | cut -d' ' -f1)
    echo "$dll  $build/bin: $first"
    echo "$dll  elsewhere: $second"
    if [ "$first" = "$second" ]; then
        echo "ok   $dll: the same bytes from both folders"
    else
        echo "FAIL $dll differs between the two builds; first differing bytes (offset, octal):"
        cmp -l "$build/bin/$dll" "$scratch/second-build/bin/$dll" | head -10 || true
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ]
