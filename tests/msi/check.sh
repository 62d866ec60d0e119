#!/bin/sh
# Runs the Windows Installer packages built from examples/sample.wxs and tests/msi/hostile.wxs,
# one pair per architecture, with msiexec silently and a verbose log, and compares the
# answers the log's Property(S) lines show with hostsim's on the same machine: the sample
# package's with the sample script's, the hostile one's with hostsim on hostile.script and
# then with hostile.expected. Run from the repository's folder, with the sample machine in
# the registry and the VISA stand-in installed, as the sample script needs.
#   usage: tests/msi/check.sh WINE HOSTSIM FOLDER VISA ARCH...
# WINE runs a Windows program here (msiexec among them); HOSTSIM is hostsim.exe of the
# packages' kind; FOLDER/ARCH/ holds sample.msi and hostile.msi, and receives their logs and
# answers; VISA is the installed visa32.dll, moved aside while the hostile package runs.
# The hostile package runs in a folder of its own holding the VISA stand-in someone could
# plant (visa/planted/visa32.dll beside HOSTSIM), which GetHW must not load from there.
# Ends with "msi: N passed, M failed".
set -u
wine=$1 hostsim=$2 folder=$(cd "$3" && pwd) visa=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
passed=0 failed=0

# What hostsim answered, a line a call.
answers_of() {
    $wine "$hostsim" --script "$1" 2>&1 | tr -d '\r' | sed -n 's/^ *\(.* returned .*\)$/\1/p'
}
answers_of examples/sample_install.script >"$scratch/sample.expected"
answers_of "$here/hostile.script" >"$scratch/hostile.expected"
cat "$here/hostile.expected" >>"$scratch/hostile.expected"

# A path here as Windows programs under Wine name it.
windows_path() {
    printf 'Z:%s' "$1" | tr / '\\'
}

# The answers a package left in its log, a line a call as hostsim prints them: ANSWER_nn,
# then VALUE_nn quoted and escaped as hostsim escapes it. The log lists every property at
# its end, "Property(S): NAME = value", and a value holding a line feed runs on over the
# following lines, up to the next property or the log's own lines after the list.
answers_in_log() {
    awk '
        function keep() { if (name != "") value[name] = text; name = "" }
        function escape(s,   out, i, c) {
            out = ""
            for (i = 1; i <= length(s); i++) {
                c = substr(s, i, 1)
                if (c == "\\") c = "\\\\"
                else if (c == "\"") c = "\\\""
                else if (c == "\r") c = "\\r"
                else if (c == "\n") c = "\\n"
                else if (c == "\t") c = "\\t"
                out = out c
            }
            return out
        }
        /^Property\(S\): / {
            keep()
            line = substr($0, 14)
            at = index(line, " = ")
            name = substr(line, 1, at - 1)
            text = substr(line, at + 3)
            next
        }
        /^(Property\(|MSI \(|=== |Action |[0-9]+: )/ { keep(); next }
        name != "" { text = text "\n" $0 }
        END {
            keep()
            for (n = 1; ("ANSWER_" sprintf("%02d", n)) in value; n++) {
                answer = value["ANSWER_" sprintf("%02d", n)]
                if (answer ~ /=[ ]*$/) {
                    sub(/[ ]*$/, "", answer)
                    print answer " \"" escape(value["VALUE_" sprintf("%02d", n)]) "\""
                } else {
                    print answer
                }
            }
        }' "$1"
}

# Runs one package silently, in the folder given, and compares its answers with what
# hostsim answered.
check() {
    arch=$1 package=$2 current=$3
    log=$folder/$arch/$package.log
    rm -f "$log" "$folder/$arch/$package-answers.txt"
    (cd "$current" && $wine msiexec /i "$(windows_path "$folder/$arch/$package.msi")" /qn /l*v "$(windows_path "$log")")
    status=$?
    answers_in_log "$log" >"$folder/$arch/$package-answers.txt" 2>/dev/null
    if [ "$status" -eq 0 ] && diff -u "$scratch/$package.expected" "$folder/$arch/$package-answers.txt" \
        >"$scratch/difference"; then
        echo "msi $arch: $package.msi answered as hostsim does"
        passed=$((passed + 1))
    else
        echo "msi $arch: FAILED $package.msi (msiexec exit status $status):"
        cat "$scratch/difference"
        failed=$((failed + 1))
    fi
}

mkdir "$scratch/planted"
cp "$(dirname "$hostsim")/visa/planted/visa32.dll" "$scratch/planted/visa32.dll"
for arch in "$@"; do
    check "$arch" sample "$PWD"
    mv "$visa" "$visa.aside"
    check "$arch" hostile "$scratch/planted"
    mv "$visa.aside" "$visa"
done
rm -rf "$scratch"
echo "msi: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
