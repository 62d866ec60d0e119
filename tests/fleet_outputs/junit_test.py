#!/usr/bin/python3
"""The JUnit results as a CI server reads them, through Debian's junitparser: for each run of
the table, every machine's testsuite, testcases, failures, skips and errors must agree with
the TSV table the same run printed, and each testcase is named by its script line. The
same run's HTML report must hold the same machines, described where they are.

usage: junit_test.py HOSTSIM SOURCE_FOLDER BUILD_FOLDER VISA_FOLDER WORK_FOLDER [LAUNCHER]
With a LAUNCHER (scripts/wine-run, for hostsim.exe) only the runs on Windows, where
hostsim.exe answers for the computer it runs on; without one, only the others.
"""
import csv
import io
import json
import os
import re
import subprocess
import sys

from junitparser import Error, Failure, JUnitXml, Skipped

HOSTSIM, SOURCE, BUILD, VISA, WORK = sys.argv[1:6]
LAUNCHER = sys.argv[6:7]
SAMPLE = ['--script', 'examples/sample_install.script']
DATA = os.path.join(SOURCE, 'tests', 'data')

# The names a snapshot's description holds, as the report shows this computer's (whatever its name).
THIS_COMPUTER = {'*': ['windows', 'code-page', 'windows-version', 'computer', 'taken', 'hostsim']}

# A row per run: its name, the folder it runs in, its arguments, its script, failure messages
# that must be there word for word by machine and line, the names of the descriptions the
# report shows by machine ('*' any machine; one not named: none), and whether it runs on Windows.
RUNS = [
    ('example fleet', SOURCE, SAMPLE + ['--fleet', 'examples/fleet'], 'examples/sample_install.script',
     {('clean.reg', 8): 'expected QUENDRIX_VERSION = "6.0", found ""',
      ('old', 21): 'expected GreaterEqual to return 1, it returned 0'}, {}, False),
    ('broken machines among a good one', SOURCE, SAMPLE + ['--fleet', 'tests/data/fleets/mixed'],
     'examples/sample_install.script', {}, {}, False),
    ('a machine that crashes, one that hangs', BUILD,
     ['--script', os.path.join(DATA, 'fleet_misbehaving.script'), '--fleet', os.path.join(DATA, 'fleets', 'misbehaving'),
      '--jobs', '2', '--time-limit', '2'], os.path.join(DATA, 'fleet_misbehaving.script'), {}, {}, False),
    ('a step that cannot run', SOURCE, ['--script', 'tests/data/fleet_stops.script', '--fleet', 'tests/data/fleets/all_met'],
     'tests/data/fleet_stops.script', {}, {}, False),
    ('described machines', SOURCE, ['--script', 'tests/data/sixty_four_bit_machine.script', '--fleet',
     'tests/data/fleets/described', '--machine', '64'], 'tests/data/sixty_four_bit_machine.script', {},
     {'a-stated-64': ['windows', 'code-page'], 'b-stated-32': ['windows', 'something-else'],
      'c-contradicted': ['windows']}, False),
    ('one machine', SOURCE, SAMPLE + ['--registry', 'examples/sample_machine.reg'], 'examples/sample_install.script',
     {('sample_machine.reg', 74): 'expected INSTRUMENTS = "GPIB0::22::INSTR\\r\\nASRL1::INSTR", found ""'}, {}, False),
    ('this computer', SOURCE, SAMPLE, 'examples/sample_install.script', {}, THIS_COMPUTER, True),
]


def script_lines(path):
    with open(os.path.join(SOURCE, path), encoding='utf-8') as script:
        return {number: line.strip() for number, line in enumerate(script, 1)}


def report_data(path):
    """The results the HTML report holds, as its page's script reads them."""
    with open(path, encoding='utf-8') as page:
        found = re.search(r'<script id="report-data" type="application/json">(.*?)</script>', page.read(), re.S)
    return json.loads(found.group(1)) if found else {'machines': []}


def check_run(name, folder, arguments, script, messages, described, failures):
    def expect(what, actual, wanted):
        if actual != wanted:
            failures.append(f'{name}: {what}: {actual!r}, expected {wanted!r}')

    results = os.path.join(WORK, name.replace(' ', '-').replace(',', '') + '.xml')
    report = results[:-len('.xml')] + '.html'
    # VISA on the loader's path except for the one machine, which must miss its instruments.
    visa = VISA if '--fleet' in arguments else ''
    run = subprocess.run([*LAUNCHER, HOSTSIM, *arguments, '--format', 'tsv', '--junit', results, '--report', report],
                         cwd=folder, env=dict(os.environ, LD_LIBRARY_PATH=visa), capture_output=True, text=True)
    table = list(csv.reader(io.StringIO(run.stdout), delimiter='\t', quoting=csv.QUOTE_NONE))
    if run.returncode != 1 or len(table) < 2:
        failures.append(f'{name}: hostsim exited {run.returncode}: {run.stderr}')
        return
    header, rows = table[0], table[1:]
    lines = [int(column[len('line '):]) for column in header if column.startswith('line ')]
    first_line_column = header.index(f'line {lines[0]}')
    texts = script_lines(script)
    xml = JUnitXml.fromfile(results)
    suites = list(xml)
    expect('testsuites', [suite.name for suite in suites], [row[0] for row in rows])
    totals = {'tests': 0, 'failures': 0, 'errors': 0, 'skipped': 0}
    for suite, row in zip(suites, rows):
        outcomes = row[first_line_column:first_line_column + len(lines)]
        verdict = row[-1]
        cases = list(suite)
        names = [f'line {line}: {texts[line]}' for line in lines]
        if verdict.startswith('error: '):
            names.append('the script runs to its end')
        expect(f'{suite.name}: testcases', [case.name for case in cases], names)
        for case, outcome, line in zip(cases, outcomes, lines):
            kinds = [type(result) for result in case.result]
            wanted = {'met': [], 'missed': [Failure], 'not reached': [Skipped]}[outcome]
            expect(f'{suite.name} line {line}: results', kinds, wanted)
            if (suite.name, line) in messages:
                expect(f'{suite.name} line {line}: message', [result.message for result in case.result],
                       [messages[(suite.name, line)]])
        errors = [result.message for case in cases[len(lines):] for result in case.result if isinstance(result, Error)]
        expect(f'{suite.name}: errors', errors, [verdict[len('error: '):]] if verdict.startswith('error: ') else [])
        counts = {'tests': len(names), 'failures': outcomes.count('missed'), 'errors': len(errors),
                  'skipped': outcomes.count('not reached')}
        expect(f'{suite.name}: counts', {key: getattr(suite, key) for key in counts}, counts)
        for key in totals:
            totals[key] += counts[key]
    expect('totals', {key: getattr(xml, key) for key in totals}, totals)
    machines = report_data(report)['machines']
    expect('machines in the report', [machine['name'] for machine in machines], [row[0] for row in rows])
    for machine in machines:
        wanted = described.get(machine['name'], described.get('*', []))
        expect(f'{machine["name"]}: described', [line[0] for line in machine['description']], wanted)


def main():
    os.makedirs(WORK, exist_ok=True)
    failures = []
    for *run, on_windows in RUNS:
        if on_windows == bool(LAUNCHER):
            check_run(*run, failures)
            print(f'{run[0]}: checked')
    for failure in failures:
        print('FAILED', failure)
    sys.exit(1 if failures else 0)


main()
