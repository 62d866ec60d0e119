#!/usr/bin/python3
"""The HTML report as people meet it: opened from disk in Debian's Chromium, driven by
Selenium. One row per report: the example fleet, and a fleet whose names and values carry
markup and script. For each: the rows and the counts, the filter, the sort and the search,
opening a machine, no console error, every hostile text shown as the characters it is and
nothing it carries run.

usage: browser_test.py HOSTSIM SOURCE_FOLDER VISA_FOLDER WORK_FOLDER
"""
import os
import shutil
import subprocess
import sys
import tempfile

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

sys.dont_write_bytecode = True  # nothing written into the source tree
from chromium import start_chromium  # noqa: E402

HOSTSIM, SOURCE, VISA, WORK = sys.argv[1:5]

# Each payload, run, would set window.hostileRan to its number.
IMG = '<img src=x onerror="window.hostileRan=1">'
SCRIPT_CLOSE = '</script><script>window.hostileRan=2</script>'
COMMENT = '<!--<script>'
SVG = '<svg onload="window.hostileRan=4">'
DESCRIBED = '<img src=y onerror="window.hostileRan=5">'
INSTRUMENT = '<script>window.hostileRan=6</script>::INSTR'
EXPECTED = '<b onmouseover=window.hostileRan=7>6.0</b>'

HOSTILE_SCRIPT = f"""\
# A script whose answers, expectation and machines carry markup.
set REGISTRY_KEY=SOFTWARE\\\\Hostile
set REGISTRY_ITER=0
call vantrel GetRegKey into SUBKEY expect 1
expect SUBKEY={EXPECTED}
call driver GetHW into INSTRUMENTS expect 1
"""


def registry(subkey):
    return ('Windows Registry Editor Version 5.00\r\n\r\n'
            f'[HKEY_LOCAL_MACHINE\\SOFTWARE\\Hostile\\{subkey}]\r\n"Path"="{subkey}"\r\n')


def make_hostile_fleet(folder):
    """Machines named with markup, answering with it, described with it, failing with it."""
    def write(path, text):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'w', encoding='utf-8') as file:
            file.write(text)
    write(os.path.join(folder, IMG + '.reg'), registry(SCRIPT_CLOSE))
    described = os.path.join(folder, COMMENT)
    write(os.path.join(described, 'registry.reg'), registry(COMMENT))
    write(os.path.join(described, 'description'), f'windows=32-bit\nwindows-version={DESCRIBED}\n')
    write(os.path.join(described, 'instruments'), INSTRUMENT + '\n')
    os.makedirs(os.path.join(folder, SVG))  # no registry.reg: an error naming the folder


def run_hostsim(folder, report, *arguments):
    environment = dict(os.environ, LD_LIBRARY_PATH=VISA)
    run = subprocess.run([HOSTSIM, *arguments, '--report', report], cwd=folder, env=environment,
                         capture_output=True, text=True)
    if run.returncode not in (0, 1) or not os.path.exists(report):
        sys.exit(f'hostsim {" ".join(arguments)} failed ({run.returncode}):\n{run.stderr}')


def visible_names(driver):
    rows = driver.find_elements(By.CSS_SELECTOR, '#fleet-rows .row')
    return [row.find_element(By.CSS_SELECTOR, 'a').get_attribute('textContent')
            for row in rows if row.is_displayed()]


def shown(driver, view):
    """Waits for the view a link or the back button opens: the page changes it on hashchange,
    which comes after the click returns."""
    WebDriverWait(driver, 10).until(lambda _: driver.find_element(By.ID, view).is_displayed())


def choose(driver, select_id, value):
    Select(driver.find_element(By.ID, select_id)).select_by_value(value)


def search(driver, text):
    """Typed as a person types, so that the page sees each change (clear() fires no event)."""
    box = driver.find_element(By.ID, 'search')
    box.send_keys(Keys.CONTROL, 'a')
    box.send_keys(Keys.DELETE)
    if text:
        box.send_keys(text)


# A row per report: the fleet, its script and options, then what the page must show.
CASES = [
    {
        'name': 'example fleet',
        'folder': SOURCE,
        'arguments': ['--script', 'examples/sample_install.script', '--fleet', 'examples/fleet',
                      '--show', 'QUENDRIX_VERSION'],
        'machines': ['clean.reg', 'japanese', 'minimum', 'newer', 'old', 'sample', 'sample-64'],
        'counts': {'machines': '7', 'met': '3', 'missed': '4', 'error': '0'},
        'expectation_columns': 34,
        'missed': ['clean.reg', 'minimum', 'newer', 'old'],
        'worst_first': ['clean.reg', 'old', 'newer', 'minimum', 'japanese', 'sample', 'sample-64'],
        'search': ('SAMPLE', ['sample', 'sample-64']),
        'kinds': {'japanese': ['32-bit', '932'], 'sample-64': ['64-bit', '1252']},
        'open': 'old',
        # Cells of the opened machine's step table that must be there, whole.
        # Steps of the opened machine by line: cells by column, whole.
        'lines': {
            14: {'Outcome': 'ran', 'Variables read': ''},
            15: {'Outcome': 'met', 'Library': 'vantrel', 'Export': '_GetZelk@4', 'Variables read': 'REGISTRY_VIEW (not set)',
                 'Returned': '1', 'Answer': 'PELLWARD_VERSION = "3.10"', 'Expected': 'returns 1', 'Came back': 'returned 1'},
            16: {'Outcome': 'missed', 'Step': 'expect PELLWARD_VERSION=3.2', 'Expected': 'PELLWARD_VERSION = "3.2"',
                 'Came back': 'PELLWARD_VERSION = "3.10"'},
            21: {'Outcome': 'missed', 'Variables read': 'STRING_1 = "5.0"\nSTRING_2 = "5.5"', 'Returned': '0'},
            26: {'Outcome': 'met', 'Expected': 'returns 0', 'Came back': 'returned 0'},
            30: {'Outcome': 'met', 'Variables read': 'DRIVER_PATH = "examples/sample_driver.h"'},
            38: {'Step': 'call vantrel GetRegKeys into REGISTRY_KEYS expect 1',
                 'Variables read': 'REGISTRY_KEY = "SOFTWARE\\\\Korvalis\\\\Runtime"\nREGISTRY_MIN = "5.0"\n'
                                   'REGISTRY_CRT = "Path"\nREGISTRY_VIEW (not set)'},
            43: {'Variables read': 'REGISTRY_KEYS = "5.0\\r"\nREGISTRY_SEL = "AC"'},
            73: {'Export': 'GetHW', 'Variables read': ''},
        },
        'facts': [],
        'hostile': [],
    },
    {
        'name': 'hostile fleet',
        'folder': WORK,
        'arguments': ['--script', 'hostile.script', '--fleet', 'hostile-fleet', '--show', 'SUBKEY,INSTRUMENTS'],
        'machines': [COMMENT, IMG + '.reg', SVG],
        'counts': {'machines': '3', 'met': '0', 'missed': '2', 'error': '1'},
        'expectation_columns': 3,
        'missed': [COMMENT, IMG + '.reg'],
        'worst_first': [SVG, COMMENT, IMG + '.reg'],
        'search': ('svg', [SVG]),
        'kinds': {COMMENT: ['32-bit', '1252'], SVG: ['', '']},
        'open': COMMENT,
        'lines': {
            3: {'Outcome': 'ran'},
            4: {'Outcome': 'met', 'Variables read': 'REGISTRY_KEY = "SOFTWARE\\\\Hostile"\nREGISTRY_ITER = "0"\n'
                                                    'REGISTRY_VIEW (not set)', 'Answer': f'SUBKEY = "{COMMENT}"'},
            5: {'Outcome': 'missed', 'Step': f'expect SUBKEY={EXPECTED}', 'Expected': f'SUBKEY = "{EXPECTED}"',
                'Came back': f'SUBKEY = "{COMMENT}"'},
            6: {'Answer': f'INSTRUMENTS = "{INSTRUMENT}"'},
        },
        'facts': [DESCRIBED],
        'hostile': [IMG + '.reg', COMMENT, SVG, f'"{SCRIPT_CLOSE}"', f'"{INSTRUMENT}"'],
    },
]


def check(driver, case, report, failures):
    def expect(what, actual, wanted):
        if actual != wanted:
            failures.append(f'{case["name"]}: {what}: {actual!r}, expected {wanted!r}')

    def fleet_at_a_glance():
        expect('page ready', driver.find_element(By.TAG_NAME, 'body').get_attribute('data-ready'), 'true')
        expect('rows', visible_names(driver), case['machines'])
        for count, wanted in case['counts'].items():
            expect(f'count of {count}', driver.find_element(By.ID, f'count-{count}').text, wanted)
        cells = driver.find_element(By.CSS_SELECTOR, '#fleet-rows .row').find_elements(By.CSS_SELECTOR, '.o')
        expect('expectation cells', len(cells), case['expectation_columns'])
        expect('cells titled with their script line',
               all(cell.get_attribute('title').startswith('line ') for cell in cells), True)
        for name, wanted in case['kinds'].items():
            row = next(row for row in driver.find_elements(By.CSS_SELECTOR, '#fleet-rows .row')
                       if row.find_element(By.CSS_SELECTOR, 'a').get_attribute('textContent') == name)
            cells = row.find_elements(By.CSS_SELECTOR, '[role=cell]')
            expect(f'{name}: kind and code page', [cell.get_attribute('textContent') for cell in cells[1:3]], wanted)
        page_text = driver.find_element(By.ID, 'fleet').get_attribute('textContent')
        for text in case['hostile']:
            expect(f'shown as text: {text}', text in page_text, True)

    def filter_sort_and_search():
        choose(driver, 'filter', 'missed')
        expect('filtered to the machines that missed', visible_names(driver), case['missed'])
        choose(driver, 'filter', 'all')
        choose(driver, 'sort', 'verdict')
        expect('sorted by verdict', visible_names(driver), case['worst_first'])
        choose(driver, 'sort', 'name')
        expect('sorted by name', visible_names(driver), case['machines'])
        term, found = case['search']
        search(driver, term)
        expect(f'search for {term}', visible_names(driver), found)
        search(driver, '')

    def machine_opened():
        links = [a for a in driver.find_elements(By.CSS_SELECTOR, '#fleet-rows a')
                 if a.get_attribute('textContent') == case['open']]
        expect(f'a link to {case["open"]}', len(links), 1)
        links[0].click()
        shown(driver, 'machine-view')
        expect('machine opened', driver.find_element(By.ID, 'machine-name').get_attribute('textContent'),
               case['open'])
        columns = [cell.get_attribute('textContent') for cell in driver.find_elements(By.CSS_SELECTOR, '#steps th')]
        steps = {}
        for row in driver.find_elements(By.CSS_SELECTOR, '#steps tbody tr'):
            cells = dict(zip(columns, (cell.get_attribute('textContent') for cell in row.find_elements(By.TAG_NAME, 'td'))))
            steps[int(cells['Line'])] = cells
        for line, wanted in case['lines'].items():
            shown_cells = {column: steps.get(line, {}).get(column) for column in wanted}
            expect(f'line {line}', shown_cells, wanted)
        facts = [cell.get_attribute('textContent')
                 for cell in driver.find_elements(By.CSS_SELECTOR, '#machine-facts td')]
        for wanted in case['facts']:
            expect(f'described as {wanted!r}', wanted in facts, True)
        driver.save_screenshot(os.path.join(WORK, case['name'].replace(' ', '-') + '-machine.png'))
        driver.back()
        shown(driver, 'fleet-view')
        driver.save_screenshot(os.path.join(WORK, case['name'].replace(' ', '-') + '.png'))

    def nothing_ran():
        expect('markup that ran', driver.execute_script('return window.hostileRan'), None)
        expect('elements made from data', driver.execute_script(
            "return document.querySelectorAll('img, svg, b, script:not(#report-data)').length"), 1)
        errors = [entry['message'] for entry in driver.get_log('browser') if entry['level'] == 'SEVERE']
        expect('console errors', errors, [])

    driver.get('file://' + report)
    for part in (fleet_at_a_glance, filter_sort_and_search, machine_opened, nothing_ran):
        try:
            part()
        except Exception as error:  # a missing element is a failed check, and the rest still run
            failures.append(f'{case["name"]}: {part.__name__}: {type(error).__name__}: {str(error).splitlines()[0:1]}')


def main():
    if os.path.isdir(WORK):
        shutil.rmtree(WORK)
    make_hostile_fleet(os.path.join(WORK, 'hostile-fleet'))
    with open(os.path.join(WORK, 'hostile.script'), 'w', encoding='utf-8') as script:
        script.write(HOSTILE_SCRIPT)
    failures = []
    with tempfile.TemporaryDirectory() as profile:
        driver = start_chromium(profile)
        try:
            for case in CASES:
                report = os.path.join(WORK, case['name'].replace(' ', '-') + '.html')
                run_hostsim(case['folder'], report, *case['arguments'])
                check(driver, case, report, failures)
                print(f'{case["name"]}: checked')
        finally:
            driver.quit()
    for failure in failures:
        print('FAILED', failure)
    sys.exit(1 if failures else 0)


main()
