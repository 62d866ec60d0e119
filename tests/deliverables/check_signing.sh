#!/bin/sh
# A signed release, with a throwaway certificate authority and code-signing certificate made
# here by openssl: both DLLs in the zip verify against that authority (osslsigncode verify)
# and match SHA256SUMS; removing the signature gives back the built DLL byte for byte; a
# signed DLL with one byte changed fails verification; the password is taken from a file or
# from the environment alike, and a wrong one signs nothing; signed twice at one signing time
# without a timestamp server, the release is the same bytes. The signed DLLs and the
# authority's certificate are left in BUILD_DIR/signed for the emulated machines' tests.
# usage: check_signing.sh SOURCE_DIR BUILD_DIR VERSION
. "$(dirname "$0")/release_check_start.sh"
cd "$scratch"

# The authority, and a code-signing certificate it issued, in a PKCS#12 file with its chain.
make_certificates() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 2 -subj "/CN=vantrel test CA" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
    openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=vantrel test signer"
    printf '%s\n' "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature" "extendedKeyUsage=codeSigning" \
        > signer.ext
    openssl x509 -req -in signer.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 -extfile signer.ext -out signer.crt
    printf 'throwaway password\n' > password.txt
    openssl pkcs12 -export -inkey signer.key -in signer.crt -certfile ca.crt -out signer.p12 -passout file:password.txt
}
make_certificates >certificates.log 2>&1 || { cat certificates.log; exit 1; }

# Signed now, so that the certificates made above are valid at the signing time.
now=$(date +%s)
release() {
    VANTREL_RELEASE_BUILT=1 VANTREL_RELEASE_BUILD="$build" SOURCE_DATE_EPOCH=$now VANTREL_SIGN_PKCS12=signer.p12 \
        "$source/scripts/release" "$1"
}
VANTREL_SIGN_PASSWORD_FILE=password.txt release first >first.out 2>&1 || { cat first.out; exit 1; }
VANTREL_SIGN_PASSWORD="throwaway password" release second >second.out 2>&1 || { cat second.out; exit 1; }
if VANTREL_SIGN_PASSWORD="wrong password" release wrong >wrong.out 2>&1; then
    fail "a wrong password signed a release"
fi
[ ! -e "wrong/vantrel-$version.zip" ] || fail "a wrong password left a zip"

zip=vantrel-$version.zip
mkdir unpacked
unzip -q "first/$zip" -d unpacked
(cd unpacked && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the signed files"
cmp -s "first/$zip" "second/$zip" || fail "signed twice at one time, the zips differ"
mkdir verify-standin removed-standin changed-standin  # beside each signed program in standin/
for dll in vantrel.dll driver.dll hostsim.exe vantrel_msi.dll standin/vantrel_standin.dll standin/driver_standin.dll \
    standin/visa_standin.dll; do
    built=$(sha256sum < "$build/bin/$dll" | cut -d' ' -f1)
    signed=$(sha256sum < "unpacked/$dll" | cut -d' ' -f1)
    echo "$dll  unsigned $built  signed $signed"
    grep -q "^$built  $dll\$" first.out || fail "the release does not print $dll's unsigned hash"
    [ "$built" != "$signed" ] || fail "$dll in the zip carries no signature"
    if osslsigncode verify -CAfile ca.crt -in "unpacked/$dll" >"verify-$dll.log" 2>&1; then
        grep -E "^(Message digest algorithm|Signing time|Signature verification)" "verify-$dll.log" | sed "s/^/  /"
    else
        cat "verify-$dll.log"
        fail "$dll does not verify against the test authority"
    fi
    osslsigncode verify -CAfile /dev/null -in "unpacked/$dll" >/dev/null 2>&1 &&
        fail "$dll verifies without the authority that issued its certificate"
    grep -q "Message digest algorithm *: SHA256" "verify-$dll.log" || fail "$dll is not signed with SHA-256"
    osslsigncode remove-signature -in "unpacked/$dll" -out "removed-$dll" >/dev/null
    cmp -s "removed-$dll" "$build/bin/$dll" || fail "$dll without its signature is not the built $dll"
    # One byte of code changed, well inside the image and away from the checksum field.
    cp "unpacked/$dll" "changed-$dll"
    byte=$(od -An -tu1 -j 4096 -N 1 "changed-$dll" | tr -d ' ')
    printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of="changed-$dll" bs=1 seek=4096 conv=notrunc 2>/dev/null
    cmp -s "changed-$dll" "unpacked/$dll" && fail "the byte of $dll was not changed"
    osslsigncode verify -CAfile ca.crt -in "changed-$dll" >/dev/null 2>&1 && fail "$dll with a changed byte still verifies"
done

# For the emulated machines: the signed DLLs load and answer as the unsigned ones do.
mkdir -p "$build/signed"
cp unpacked/vantrel.dll unpacked/driver.dll ca.crt "$build/signed/"

[ "$failures" -eq 0 ] || exit 1
echo "ok   signed release: the three DLLs, hostsim.exe and the stand-ins verify, SHA256SUMS matches, signature removed gives the built bytes," \
    "a changed byte fails, the same zip twice"
