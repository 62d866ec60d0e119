#!/usr/bin/python3
"""How long the HTML report of a large fleet takes to open in the test browser (Debian's
Chromium, headless, driven by Selenium as the report's test drives it). Makes a fleet of N
machines from the example fleet's seven (links to their folders, round and round), runs the
sample script over it with --report, then opens the report from disk several times and
prints, for each opening, the browser's own time from navigation to the end of the load
event (the page's script has built the table by then) and the time until its layout is done,
as the test program sees it. Run from the repository's folder:

    benchmarks/report_benchmark.py [--machines 2000] [--openings 5] [--hostsim build/native/bin/hostsim]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'fleet_outputs'))
from chromium import start_chromium  # noqa: E402 (the test's own browser, found beside the test)

EXAMPLES = os.path.join('examples', 'fleet')
SHOWN = 'QUENDRIX_VERSION,STROVANE_VERSION,PELLWARD_VERSION,DRIVER_VERSION,INSTRUMENTS'


def make_fleet(folder, machines):
    examples = sorted(os.listdir(EXAMPLES))
    for i in range(machines):
        example = examples[i % len(examples)]
        os.symlink(os.path.abspath(os.path.join(EXAMPLES, example)), os.path.join(folder, f'm{i:05d}-{example}'))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--machines', type=int, default=2000)
    parser.add_argument('--openings', type=int, default=5)
    parser.add_argument('--hostsim', default='build/native/bin/hostsim')
    arguments = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        fleet = os.path.join(work, 'fleet')
        os.mkdir(fleet)
        make_fleet(fleet, arguments.machines)
        report = os.path.join(work, 'report.html')
        visa = os.path.abspath(os.path.join(os.path.dirname(arguments.hostsim), 'visa', 'full'))
        started = time.monotonic()
        subprocess.run([arguments.hostsim, '--script', 'examples/sample_install.script', '--fleet', fleet,
                        '--show', SHOWN, '--report', report], env=dict(os.environ, LD_LIBRARY_PATH=visa),
                       stdout=subprocess.DEVNULL, check=False)
        print(f'fleet of {arguments.machines} machines run in {time.monotonic() - started:.0f} s; '
              f'report {os.path.getsize(report) / 1e6:.1f} MB')
        loads, layouts = [], []
        with tempfile.TemporaryDirectory() as profile:
            driver = start_chromium(profile)
            try:
                for _ in range(arguments.openings):
                    driver.get('about:blank')
                    started = time.monotonic()
                    driver.get('file://' + report)
                    rows = driver.execute_script(
                        "document.body.offsetHeight; return document.querySelectorAll('#fleet-rows .row').length")
                    layouts.append(time.monotonic() - started)
                    loads.append(driver.execute_script(
                        "return performance.getEntriesByType('navigation')[0].loadEventEnd") / 1000)
                    if rows != arguments.machines:
                        sys.exit(f'the report shows {rows} rows, not {arguments.machines}')
            finally:
                driver.quit()
        print('navigation to load event (s): ' + ' '.join(f'{t:.2f}' for t in loads) +
              f'; median {statistics.median(loads):.2f}')
        print('until laid out, seen by the test program (s): ' + ' '.join(f'{t:.2f}' for t in layouts) +
              f'; median {statistics.median(layouts):.2f}')


main()
