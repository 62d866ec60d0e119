#!/usr/bin/python3
"""Progress of a fleet's run: on a terminal, stderr shows the machines done out of all and
the time so far; stdout's table is the same byte for byte, and a stderr that goes to a pipe
gets no progress. The terminal is a pseudo-terminal given to stderr alone.

usage: progress_test.py HOSTSIM SOURCE_FOLDER VISA_FOLDER
"""
import os
import pty
import re
import subprocess
import sys

HOSTSIM, SOURCE, VISA = sys.argv[1:4]
TABLES = os.path.join(SOURCE, 'tests', 'data', 'fleet_tables')
FLEET = ['--script', 'examples/sample_install.script', '--fleet', 'examples/fleet',
         '--show', 'QUENDRIX_VERSION,STROVANE_VERSION,PELLWARD_VERSION,DRIVER_VERSION,INSTRUMENTS']
PROGRESS = re.compile(r'hostsim: 7 of 7 machines done, 0:\d\d so far')

# A row per run: its name, extra arguments, whether stderr is a terminal, the table on stdout.
CASES = [
    ('text table, stderr a terminal', [], True, 'example.txt'),
    ('tsv, stderr a terminal', ['--format', 'tsv', '--jobs', '1'], True, 'example.tsv'),
    ('text table, stderr a pipe', [], False, 'example.txt'),
]


def read_terminal(descriptor):
    text = b''
    while True:
        try:
            chunk = os.read(descriptor, 4096)
        except OSError:  # the terminal's other end closed
            break
        if not chunk:
            break
        text += chunk
    return text.decode('utf-8', 'replace')


def run(arguments, on_terminal):
    environment = dict(os.environ, LD_LIBRARY_PATH=VISA)
    if not on_terminal:
        done = subprocess.run([HOSTSIM, *arguments], cwd=SOURCE, env=environment, capture_output=True)
        return done.returncode, done.stdout, done.stderr.decode('utf-8', 'replace')
    terminal, stderr = pty.openpty()
    process = subprocess.Popen([HOSTSIM, *arguments], cwd=SOURCE, env=environment, stdout=subprocess.PIPE,
                               stderr=stderr)
    os.close(stderr)
    stdout = process.communicate()[0]
    shown = read_terminal(terminal)
    os.close(terminal)
    return process.returncode, stdout, shown


def main():
    failures = []
    for name, extra, on_terminal, table in CASES:
        status, stdout, stderr = run(FLEET + extra, on_terminal)
        with open(os.path.join(TABLES, table), 'rb') as expected:
            if stdout != expected.read():
                failures.append(f'{name}: stdout differs from {table}')
        if status != 1:
            failures.append(f'{name}: exit status {status}, expected 1')
        if on_terminal and not PROGRESS.search(stderr):
            failures.append(f'{name}: no progress on the terminal: {stderr!r}')
        if not on_terminal and stderr:
            failures.append(f'{name}: stderr not empty: {stderr!r}')
        print(f'{name}: checked')
    for failure in failures:
        print('FAILED', failure)
    sys.exit(1 if failures else 0)


main()
