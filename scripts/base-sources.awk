# The base suite of this machine's own apt sources, as one deb822 sources file: every
# binary ("deb") entry that serves SUITE, with SUITE as its only suite. Update suites
# (-updates, -security, -backports) change daily and can be inconsistent for hours; the
# base suite changes only at a point release. Reads one-line .list files and deb822
# .sources files; a comment, a disabled entry (Enabled: no), a source entry (deb-src) and a
# source without SUITE give nothing. Exits 1, printing nothing, when no entry is left.
#   usage: awk -v suite=SUITE -f base-sources.awk FILE...
# The format of each file is told by its name, as apt tells it.

function trim(text) {
    sub(/^[[:space:]]+/, "", text)
    sub(/[[:space:]]+$/, "", text)
    return text
}

# A word list ("a b c") holds word.
function holds(list, word,    words, count, i) {
    count = split(list, words, /[[:space:]]+/)
    for (i = 1; i <= count; i++) if (words[i] == word) return 1
    return 0
}

function emit(types, uris, components, options) {
    printf "%sTypes: deb\nURIs: %s\nSuites: %s\nComponents: %s\n%s", \
        (emitted++ ? "\n" : ""), uris, suite, components, options
}

# One-line option names and the deb822 fields they become.
function deb822_field(name) {
    if (name == "arch") return "Architectures"
    if (name == "lang") return "Languages"
    if (name == "target") return "Targets"
    if (name == "signed-by") return "Signed-By"
    if (name == "trusted") return "Trusted"
    if (name == "check-valid-until") return "Check-Valid-Until"
    return name
}

# "deb [opt=v opt=v] URI SUITE COMPONENT..." with any comment after a "#" dropped.
function one_line_entry(line,    options, inside, words, count, i, field, uri) {
    sub(/#.*/, "", line)
    options = ""
    if (match(line, /\[[^]]*\]/)) {
        inside = substr(line, RSTART + 1, RLENGTH - 2)
        line = substr(line, 1, RSTART - 1) " " substr(line, RSTART + RLENGTH)
        count = split(trim(inside), words, /[[:space:]]+/)
        for (i = 1; i <= count; i++) {
            field = words[i]
            sub(/=.*/, "", field)
            options = options deb822_field(field) ": " substr(words[i], length(field) + 2) "\n"
        }
    }
    count = split(trim(line), words, /[[:space:]]+/)
    if (count < 4 || words[1] != "deb" || words[3] != suite) return
    uri = words[2]
    line = ""
    for (i = 4; i <= count; i++) line = line (i > 4 ? " " : "") words[i]
    emit("deb", uri, line, options)
}

# A deb822 stanza, gathered field by field in stanza[] (names lower-cased) with the other
# fields' lines, continuations included, in order in rest.
function stanza_end() {
    if (stanza_open && tolower(stanza["enabled"]) != "no" && holds(stanza["types"], "deb") &&
        holds(stanza["suites"], suite))
        emit("deb", stanza["uris"], stanza["components"], rest)
    split("", stanza)
    rest = ""
    stanza_open = 0
    last = ""
}

FNR == 1 {
    if (deb822) stanza_end()
    deb822 = FILENAME ~ /\.sources$/
}

!deb822 {
    if ($0 !~ /^[[:space:]]*(#|$)/) one_line_entry($0)
    next
}

/^[[:space:]]*#/ { next }
/^[[:space:]]*$/ { stanza_end(); next }
/^[[:space:]]/ {
    # A continuation line belongs to the field before it.
    if (last == "other") rest = rest $0 "\n"
    else if (last != "") stanza[last] = stanza[last] " " trim($0)
    next
}
{
    stanza_open = 1
    name = tolower(trim(substr($0, 1, index($0, ":") - 1)))
    value = trim(substr($0, index($0, ":") + 1))
    if (name ~ /^(types|uris|suites|components|enabled)$/) { stanza[name] = value; last = name }
    else { rest = rest $0 "\n"; last = "other" }
}

END {
    if (deb822) stanza_end()
    exit emitted ? 0 : 1
}
