#!/usr/bin/env python3
"""Plants single-point faults in the product code, one at a time, and runs the native tests
against each: a comparison flipped, a constant off by one, && for || and back, a statement
deleted, a condition or a truth value negated. Reports per file and in total how many the
tests kill, how many survive and how many time out, and every survivor not listed, with its
reason, in tests/mutation/equivalent.txt.

The mutants are a fixed, deterministic selection spread over every file (the same code gives
the same mutants), built in build/mutate from a copy of the sources, so the working tree is
never touched; each mutant rebuilds only the file it changes and what links it.
"""
import argparse
import os
import re
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FOLDERS = ["hostcall", "vantrel", "driver"]
# The character classes are a header, but a small one that only the files reading text include.
SHARED_FILES = ["text/characters.h"]
PLATFORM_FILES = ["platform/standin/registry.cpp", "standin_registry/registry_cache.cpp",
                  "standin_registry/wow64_redirection.cpp",
                  "platform/standin/file.cpp", "platform/standin/loader.cpp",
                  "platform/standin/text.cpp"]
# hostsim's index cache is met through hostsim alone: its files' mutants are chosen apart
# (the others' choice stays as it was), and these files' mutants also run the cache's table.
CACHE_FILES = ["standin_registry/index_cache.cpp", "standin_registry/stored_index.cpp"]
CACHE_MUTANTS = 24
CACHE_TABLE = os.path.join(HERE, "tests", "index_cache", "rules.sh")
CACHE_ROWS = ["unchanged_export", "rewritten_in_place", "replaced_by_rename", "truncated_index", "damaged_index", "other_version",
              "other_exports_index", "two_fleets_at_once", "unwritable_cache", "least_recently_used_removed"]
CACHE_TESTED = CACHE_FILES + ["standin_registry/registry_cache.cpp"]
EQUIVALENT_LIST = os.path.join(HERE, "tests", "mutation", "equivalent.txt")

RELATIONAL = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
DECLARATION = re.compile(r"^(const |constexpr |static |auto |bool |int |char |unsigned |std::[\w:]+(<[^;]*>)? +[\w&*]|float |double |"
                         r"using |struct |class |enum |template|namespace |typename |platform::\w+ |visa::\w+ |"
                         r"[A-Z]\w* [a-z_]\w*[ ;=({\[])")


def product_files():
    files = []
    for folder in FOLDERS:
        for name in sorted(os.listdir(os.path.join(HERE, folder))):
            # Headers are left out: a change there rebuilds every test.
            if name.endswith(".cpp"):
                files.append(f"{folder}/{name}")
    return files + [f for f in SHARED_FILES + PLATFORM_FILES if os.path.exists(os.path.join(HERE, f))]


def code_spans(line):
    """The parts of a line that are code: string and character literals and comments left out
    (character literals are kept apart, as constants to shift)."""
    spans, chars = [], []
    i, start = 0, 0
    while i < len(line):
        c = line[i]
        if line.startswith("//", i):
            break
        if c == '"':
            spans.append((start, i))
            j = i + 1
            while j < len(line) and line[j] != '"':
                j += 2 if line[j] == "\\" else 1
            i = start = j + 1
            continue
        if c == "'" and (i == 0 or not line[i - 1].isalnum()):
            spans.append((start, i))
            j = i + 1
            while j < len(line) and line[j] != "'":
                j += 2 if line[j] == "\\" else 1
            chars.append((i, j + 1))
            i = start = j + 1
            continue
        i += 1
    spans.append((start, i))
    return spans, chars


def line_mutations(line):
    """(column, length, replacement, description) for every mutation the line offers."""
    stripped = line.strip()
    if not stripped or stripped.startswith("#") or stripped.startswith("//") or stripped.startswith("*"):
        return []
    if "static_assert" in stripped or stripped.startswith("template") or "operator" in stripped:
        return []
    found = []
    spans, chars = code_spans(line)
    for begin, end in spans:
        code = line[begin:end]
        for m in re.finditer(r"&&|\|\|", code):
            found.append((begin + m.start(), 2, "||" if m.group() == "&&" else "&&", f"'{m.group()}' -> "
                          f"'{'||' if m.group() == '&&' else '&&'}'"))
        for m in re.finditer(r"(?<![<>=!&|+\-*/%^-])(<=|>=|==|!=|<|>)(?![<>=])", code):
            op = m.group()
            before = code[:m.start()].rstrip()
            after = code[m.end():]
            if op in "<>" and (re.search(r"(array|vector|map|cast|ptr|span|min|max|numeric_limits|template|"
                                         r"function|pair|optional|Function|atomic|string_view|lock_guard)\s*$",
                                         before) or op == ">" and before.endswith("-")):
                continue
            if op == ">" and re.match(r"\s*(\(|::|\w+\s*>|&|\*|;|\)|,)", after) and "<" in code[:m.start()]:
                continue
            if op == "<" and re.match(r"[\w:]+\s*(>|,)", after.strip()) and not re.search(r"[\w\)\]]\s*$", before):
                continue
            found.append((begin + m.start(), len(op), RELATIONAL[op], f"'{op}' -> '{RELATIONAL[op]}'"))
        for m in re.finditer(r"(?<![\w.])(\d+)(u|U|ul|UL|ull|ULL)?(?![\w.])", code):
            if re.search(r"(array|int\d+_t)\s*<\s*[^>]*$", code[:m.start()]) and False:
                continue
            value = int(m.group(1))
            new = value + 1 if value % 2 == 0 else value - 1
            found.append((begin + m.start(1), len(m.group(1)), str(new), f"{value} -> {new}"))
        m = re.match(r"(\s*)(if|while) \((.*)\)( \{| return| continue| break|.*;)?\s*", code)
        if m and code.count("(") == code.count(")"):
            pass
    for begin, end in chars:
        literal = line[begin:end]
        if len(literal) == 3 and literal[1] not in "\\'":
            new = chr(ord(literal[1]) + 1)
            if new not in "\\'":
                found.append((begin, 3, f"'{new}'", f"{literal} -> '{new}'"))
    m = re.match(r"(\s*)(if|while) \(", line)
    if m:
        open_at = m.end() - 1
        depth, j = 0, open_at
        while j < len(line):
            depth += {"(": 1, ")": -1}.get(line[j], 0)
            if depth == 0:
                break
            j += 1
        if depth == 0:
            condition = line[open_at + 1:j]
            found.append((open_at, j - open_at + 1, f"(!({condition}))", "condition negated"))
    if re.search(r"\breturn (true|false);", line):
        word = "true" if "return true;" in line else "false"
        found.append((line.index(f"return {word};") + 7, len(word), "false" if word == "true" else "true",
                      f"return {word} negated"))
    if (stripped.endswith(";") and not DECLARATION.match(stripped) and not stripped.startswith("return")
            and not stripped.startswith("}") and "=" not in stripped.split("(")[0].replace("==", "")[:0]
            and not stripped.startswith("case ") and not stripped.startswith("using ")
            and not re.match(r"^[\w:<>,\s*&]+\s[\w_]+(\[.*\])?(\{.*\})?;$", stripped)):
        indent = len(line) - len(line.lstrip())
        found.append((indent, len(line.rstrip("\n")) - indent, ";", "statement deleted"))
    return found


class Mutant:
    def __init__(self, path, number, column, length, replacement, description, text, alike=""):
        self.path, self.number, self.column = path, number, column
        self.length, self.replacement, self.description = length, replacement, description
        self.line_text = text.strip()
        # A line written alike elsewhere in the file is told apart by its place among them.
        self.key = f"{path}: {self.line_text}{alike} :: {description}"

    def apply(self, lines):
        line = lines[self.number]
        changed = line[:self.column] + self.replacement + line[self.column + self.length:]
        return lines[:self.number] + [changed] + lines[self.number + 1:]


def inside_function(lines):
    """Line numbers inside function bodies (brace depth above the namespace level), where
    statements and conditions live; a crude count of braces is enough for this code."""
    inside, depth = set(), 0
    namespaces = 0
    for number, line in enumerate(lines):
        stripped = line.strip()
        code = "".join(line[b:e] for b, e in code_spans(line)[0])
        if re.match(r"^(namespace|extern \"C\")\b.*\{", stripped):
            namespaces += 1
        if depth > namespaces:
            inside.add(number)
        depth += code.count("{") - code.count("}")
        if depth < namespaces:
            namespaces = depth
    return inside


def all_mutants(path):
    with open(os.path.join(HERE, path)) as source:
        lines = source.readlines()
    body = inside_function(lines)
    mutants = []
    counts, places = {}, {}
    for line in lines:
        counts[line.strip()] = counts.get(line.strip(), 0) + 1
    for number, line in enumerate(lines):
        places[line.strip()] = places.get(line.strip(), 0) + 1
        total = counts[line.strip()]
        alike = f" (#{places[line.strip()]} of {total} alike)" if total > 1 else ""
        seen = {}
        for column, length, replacement, description in line_mutations(line):
            seen[description] = seen.get(description, 0) + 1
            if seen[description] > 1:
                description = f"{description} (#{seen[description]})"
            if number not in body and description in ("statement deleted", "condition negated"):
                continue
            if number not in body and not line.strip().startswith("constexpr") and "->" not in description:
                continue
            mutants.append(Mutant(path, number, column, length, replacement, description, line, alike))
    return mutants


def select(mutants_by_file, total):
    """An evenly spaced, fixed selection: each file's share in proportion to its sites, at
    least a few per file."""
    count = sum(len(m) for m in mutants_by_file.values())
    chosen = []
    for path, mutants in mutants_by_file.items():
        share = max(min(len(mutants), 4), round(total * len(mutants) / max(count, 1)))
        share = min(share, len(mutants))
        step = len(mutants) / share if share else 1
        chosen += [mutants[int(i * step)] for i in range(share)]
    return chosen


def run(command, cwd, timeout):
    try:
        return subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return None


def copy_sources(destination):
    tracked = subprocess.run(["git", "ls-files", "-z"], cwd=HERE, stdout=subprocess.PIPE, check=True).stdout
    for name in tracked.decode().split("\0"):
        if not name:
            continue
        source, target = os.path.join(HERE, name), os.path.join(destination, name)
        if not os.path.isfile(source):
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(source, "rb") as a:
            data = a.read()
        if not os.path.exists(target) or open(target, "rb").read() != data:
            with open(target, "wb") as b:
                b.write(data)
    return destination


def load_equivalent():
    known = {}
    if os.path.exists(EQUIVALENT_LIST):
        for line in open(EQUIVALENT_LIST):
            if line.strip() and not line.startswith("#") and " | " in line:
                key, reason = line.rstrip("\n").rsplit(" | ", 1)
                known[key] = reason
    return known


def main():
    # Stopped from outside, the run still puts the mutated file back.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--mutants", type=int, default=100, help="about how many mutants (default 100)")
    parser.add_argument("--timeout", type=int, default=60, help="seconds per mutant's test run")
    parser.add_argument("--list", action="store_true", help="only list the mutants")
    parser.add_argument("--only", default="", help="only mutants whose file contains this text")
    options = parser.parse_args()

    by_file = {path: all_mutants(path) for path in product_files()}
    cache_by_file = {path: all_mutants(path) for path in CACHE_FILES}
    chosen = select(by_file, options.mutants) + select(cache_by_file, CACHE_MUTANTS)
    mutants = [m for m in chosen if options.only in m.path]
    if options.list:
        for m in mutants:
            print(f"{m.path}:{m.number + 1}: {m.description}: {m.line_text}")
        print(f"{len(mutants)} mutants of {sum(len(v) for v in by_file.values())} sites")
        return 0

    work = os.path.join(HERE, "build", "mutate")
    source = copy_sources(os.path.join(work, "src"))
    build = os.path.join(work, "build")
    if not os.path.exists(os.path.join(build, "build.ninja")):
        if run(["cmake", "-G", "Ninja", "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=Debug",
                "-DCMAKE_CXX_FLAGS_DEBUG=-O0"], HERE, None) != 0:
            print("mutate: configuring build/mutate failed", file=sys.stderr)
            return 2
    ninja = ["cmake", "--build", build, "-j", "2", "--target", "unit_tests", "hostsim"]
    if run(ninja, HERE, None) != 0:
        print("mutate: the unmutated code does not build", file=sys.stderr)
        return 2
    environment = dict(os.environ, LD_LIBRARY_PATH=os.path.join(build, "visa-search-path"))
    tests = [os.path.join(build, "bin", "unit_tests"), "--gtest_fail_fast", "--gtest_brief=1"]

    def tests_pass(path=""):
        commands = [tests]
        if path in CACHE_TESTED:
            hostsim = os.path.join(build, "bin", "hostsim")
            commands += [[CACHE_TABLE, row, hostsim, os.path.join(work, "cache-rules")] for row in CACHE_ROWS]
        try:
            for command in commands:
                if subprocess.run(command, cwd=build, env=environment, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=options.timeout).returncode != 0:
                    return False
            return True
        except subprocess.TimeoutExpired:
            return None

    if tests_pass() is not True:
        print("mutate: the tests fail on the unmutated code", file=sys.stderr)
        return 2

    equivalent = load_equivalent()
    results = {}
    report_path = os.path.join(work, "report.txt")
    report = open(report_path, "w")
    started = time.time()
    for index, mutant in enumerate(mutants, 1):
        target = os.path.join(source, mutant.path)
        original = open(target).readlines()
        with open(target, "w") as out:
            out.writelines(mutant.apply(original))
        try:
            if run(ninja, HERE, 600) != 0:
                outcome = "not built"
            else:
                passed = tests_pass(mutant.path)
                outcome = "timed out" if passed is None else "survived" if passed else "killed"
        finally:
            with open(target, "w") as out:
                out.writelines(original)
        if outcome == "survived" and mutant.key in equivalent:
            outcome = "equivalent"
        results.setdefault(mutant.path, []).append((mutant, outcome))
        line = f"[{index}/{len(mutants)}] {outcome:10} {mutant.path}:{mutant.number + 1}: {mutant.description}: {mutant.line_text}"
        print(line, flush=True)
        report.write(line + "\n")

    run(ninja, HERE, None)  # leave the build as the sources are
    totals = {"killed": 0, "timed out": 0, "survived": 0, "equivalent": 0, "not built": 0}
    print("\nper file:       killed  timed-out  survived  equivalent  not-built")
    for path, outcomes in results.items():
        counts = {k: sum(1 for _, o in outcomes if o == k) for k in totals}
        for k in totals:
            totals[k] += counts[k]
        print(f"  {path:38} {counts['killed']:4} {counts['timed out']:6} {counts['survived']:9} "
              f"{counts['equivalent']:9} {counts['not built']:9}")
    caught = totals["killed"] + totals["timed out"]
    counted = caught + totals["survived"] + totals["equivalent"]
    unexplained = [m for outcomes in results.values() for m, o in outcomes if o == "survived"]
    summary = (f"mutate: {counted} mutants built: {totals['killed']} killed, {totals['timed out']} timed out, "
               f"{totals['survived'] + totals['equivalent']} survived ({totals['equivalent']} listed as "
               f"equivalent); score {100.0 * caught / max(counted, 1):.1f}%, "
               f"{100.0 * caught / max(counted - totals['equivalent'], 1):.1f}% of the non-equivalent; "
               f"{totals['not built']} did not build; {time.time() - started:.0f} s")
    print(summary)
    report.write(summary + "\n")
    if unexplained:
        print("survivors not in tests/mutation/equivalent.txt:")
        for m in unexplained:
            print(f"  {m.key}")
            report.write(f"unexplained: {m.key}\n")
    print(f"report: {report_path}")
    return 1 if unexplained else 0


if __name__ == "__main__":
    sys.exit(main())
