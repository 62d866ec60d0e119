#!/bin/sh
# The emulated machines' apt sources as scripts/guest-build derives them from this
# machine's: a table of apt folders (each row's files, then the sources file expected, or
# the error) run through `scripts/guest-build --print-sources`. Ends with "N passed, M failed".
#   usage: tests/guest/sources_test.sh
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0 failed=0

# row NAME MACHINE: the files written since the last row form the apt folder; expected
# holds what --print-sources must print, or "error: TEXT" for a refusal naming TEXT.
row() {
    output=$(VANTREL_APT_DIR=$scratch/apt "$here/scripts/guest-build" --print-sources "$2" 2>"$scratch/err")
    status=$?
    case $(cat "$scratch/expected") in
        "error: "*)
            want=$(sed 's/^error: //' "$scratch/expected")
            if [ $status -ne 0 ] && [ -z "$output" ] && grep -qF "$want" "$scratch/err"; then verdict=passed
            else verdict=failed; fi ;;
        *)
            if [ $status -eq 0 ] && [ "$output" = "$(cat "$scratch/expected")" ]; then verdict=passed
            else verdict=failed; fi ;;
    esac
    echo "$verdict $1"
    if [ $verdict = failed ]; then
        failed=$((failed + 1))
        echo "  status $status; printed:"; printf '%s\n' "$output" | sed 's/^/  | /'
        sed 's/^/  stderr: /' "$scratch/err"
    else
        passed=$((passed + 1))
    fi
    rm -rf "$scratch/apt" "$scratch/expected"
    mkdir -p "$scratch/apt/sources.list.d"
}
mkdir -p "$scratch/apt/sources.list.d"
file() { cat >"$scratch/apt/$1"; }
expect() { cat >"$scratch/expected"; }

file sources.list.d/debian.sources <<'EOF'
Types: deb deb-src
URIs: http://archive.example/main
Suites: bookworm bookworm-updates bookworm-backports
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://archive.example/security
Suites: bookworm-security
Components: main
EOF
expect <<'EOF'
Types: deb
URIs: http://archive.example/main
Suites: bookworm
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
row deb822_several_suites_in_one_stanza amd64

file sources.list <<'EOF'
# The main archive
deb [arch=amd64,i386 signed-by=/k.gpg] http://archive.example/main bookworm main non-free  # trailing comment
deb http://archive.example/main bookworm-updates main
deb-src http://archive.example/main bookworm main
#deb http://archive.example/old bookworm main

deb http://archive.example/security bookworm-security main
EOF
expect <<'EOF'
Types: deb
URIs: http://archive.example/main
Suites: bookworm
Components: main non-free
Architectures: amd64,i386
Signed-By: /k.gpg
EOF
row one_line_entries_options_comments i386

file sources.list.d/local.sources <<'EOF'
# A disabled stanza, then a comment inside one
Types: deb
URIs: http://archive.example/disabled
Suites: bookworm
Components: main
Enabled: no

Types: deb
# only the base suite is wanted
URIs: http://archive.example/main
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEAC
 -----END PGP PUBLIC KEY BLOCK-----
EOF
file sources.list.d/more.list <<'EOF'
deb http://archive.example/mirror bookworm main
EOF
expect <<'EOF'
Types: deb
URIs: http://archive.example/main
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEAC
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb
URIs: http://archive.example/mirror
Suites: bookworm
Components: main
EOF
row disabled_stanza_inline_key_and_both_forms amd64

file sources.list.d/vendor.sources <<'EOF'
Types: deb
URIs: http://archive.example/vendor
Suites: nodistro
Components: main
EOF
file sources.list.d/security.list <<'EOF'
deb http://archive.example/security bookworm-security main
EOF
expect <<'EOF'
error: no apt source of this machine serves bookworm
EOF
row no_source_serves_the_base_suite amd64

expect <<'EOF'
error: no apt source of this machine serves bookworm
EOF
row no_sources_at_all i386

file sources.list.d/disabled.list.disabled <<'EOF'
deb http://archive.example/main bookworm main
EOF
expect <<'EOF'
error: no apt source of this machine serves bookworm
EOF
row a_file_apt_does_not_read i386

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
