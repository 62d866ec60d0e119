// The report's page. Its script builds the tables from the JSON in the element report-data,
// putting every text there with textContent (or as a title), never as markup; the policy
// in its head lets the page load nothing and run nothing but its own inline script.
#include "hostsim/html_report_page.h"

namespace hostsim {

const char* const report_page_before_data = R"page(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>hostsim report</title>
<style>
body { font: 14px/1.4 system-ui, sans-serif; margin: 1em 2em; color: #1b1b1b; background: #fff; }
h1 { font-size: 1.3em; margin: 0 0 .4em; }
h2 { font-size: 1.1em; margin: 1.2em 0 .4em; }
a { color: #0b57d0; }
.n { font-weight: bold; }
#controls { display: flex; flex-wrap: wrap; gap: .6em 1.6em; align-items: center; margin: .8em 0; }
[hidden] { display: none !important; }
table { border-collapse: collapse; }
th, td { border: 1px solid #d6d6d6; padding: 2px 6px; text-align: left; vertical-align: top; }
thead th { background: #f1f1f1; position: sticky; top: 0; }
/* The fleet is a grid of fixed columns, a row a block: a row out of sight is not laid out
   (content-visibility), which keeps a fleet of thousands quick to open. */
#fleet { display: inline-block; border-top: 1px solid #d6d6d6; border-left: 1px solid #d6d6d6; }
#fleet .row { display: grid; grid-template-columns: var(--columns); }
#fleet .row > * { border-right: 1px solid #d6d6d6; border-bottom: 1px solid #d6d6d6; padding: 2px 6px;
                  overflow-wrap: break-word; min-width: 0; }
#fleet-rows .row > * { overflow-wrap: anywhere; }
#fleet-head { position: sticky; top: 0; z-index: 1; background: #f1f1f1; font-weight: bold; }
#fleet-head .line { writing-mode: vertical-rl; transform: rotate(180deg); font: 11px monospace; padding: 4px 1px; }
#fleet-rows .row { content-visibility: auto; contain-intrinsic-size: auto 2.6em; }
#fleet .o { padding: 0; text-align: center; font: 12px/1.7 monospace; }
.o-met { background: #c8e6c9; color: #1b5e20; }
.o-missed { background: #ef9a9a; color: #7f0000; font-weight: bold; }
.o-none { background: #e6e6e6; color: #777; }
.v-met { background: #c8e6c9; }
.v-missed { background: #ffcdd2; }
.v-error { background: #e1bee7; }
.counts span[class^="v-"] { padding: 0 .3em; border-radius: 3px; }
#fleet .value, #steps td, #machine-facts td { font-family: monospace; white-space: pre-wrap; overflow-wrap: break-word; }
#steps tr.s-ran td { color: #444; }
#steps tr.s-none td { color: #999; }
#steps td.outcome { font-family: system-ui, sans-serif; }
</style>
</head>
<body>
<div id="fleet-view">
<h1 id="title"></h1>
<p class="counts"><span class="n" id="count-machines">0</span> machines:
<span class="v-met"><span class="n" id="count-met">0</span> met every expectation</span>,
<span class="v-missed"><span class="n" id="count-missed">0</span> missed</span>,
<span class="v-error"><span class="n" id="count-error">0</span> could not run</span></p>
<div id="controls">
<label>Show <select id="filter">
<option value="all">every machine</option>
<option value="missed">machines that missed</option>
<option value="error">machines that could not run</option>
<option value="met">machines that met every expectation</option>
</select></label>
<label>Sort by <select id="sort">
<option value="name">name</option>
<option value="verdict">verdict, worst first</option>
</select></label>
<label>Find <input id="search" type="search" placeholder="machine name" autocomplete="off"></label>
<span id="showing"></span>
</div>
<div id="fleet" role="table"><div id="fleet-head" class="row" role="row"></div><div id="fleet-rows" role="rowgroup"></div></div>
</div>
<div id="machine-view" hidden>
<p><a href="#fleet" id="back">&larr; every machine</a></p>
<h1 id="machine-name"></h1>
<p><span id="machine-verdict"></span></p>
<table id="machine-facts"><tbody></tbody></table>
<h2>Every step the script ran</h2>
<table id="steps"><thead><tr><th>Line</th><th>Outcome</th><th>Step</th><th>Library</th><th>Export</th><th>Variables read</th><th>Returned</th><th>Answer</th><th>Expected</th><th>Came back</th></tr></thead>
<tbody></tbody></table>
</div>
<script id="report-data" type="application/json">)page";

const char* const report_page_after_data = R"page(</script>
<script>
(function () {
  'use strict';
  var data = JSON.parse(document.getElementById('report-data').textContent);
  var MARKS = { '+': ['met', 'o-met'], 'x': ['missed', 'o-missed'], '-': ['not reached', 'o-none'] };
  // How a step ended (StepEnd's order): its word, its row's class and its outcome cell's.
  var STEP_ENDS = [['ran', 's-ran', ''], ['met', 's-met', 'o-met'], ['missed', 's-missed', 'o-missed'],
                   ['could not run', 's-failed', 'v-error']];
  var NOT_REACHED = ['not reached', 's-none', 'o-none'];
  var VERDICT_RANK = { error: 0, missed: 1, met: 2 };

  function byId(id) { return document.getElementById(id); }

  // Every text goes in through here: as text, never as markup.
  function add(parent, tag, text, className) {
    var element = document.createElement(tag);
    if (text !== undefined) element.textContent = text;
    if (className) element.className = className;
    parent.appendChild(element);
    return element;
  }

  function quoted(value) { return '"' + value + '"'; }

  var stepsByLine = {};
  data.steps.forEach(function (step) { stepsByLine[step[0]] = step; });
  var expectationTitles = data.expectations.map(function (line) {
    return 'line ' + line + ': ' + stepsByLine[line][2];
  });

  document.title = data.title;
  byId('title').textContent = data.title;

  function cell(row, role, text, className) {
    var element = add(row, 'div', text, className);
    element.setAttribute('role', role);
    return element;
  }

  // Fixed widths, the same in every row: the name, the kind, the code page, an expectation
  // each, a shown variable each, the verdict.
  function columnWidths() {
    var widths = '13em 6.5em 6.5em';
    if (data.expectations.length > 0) widths += ' repeat(' + data.expectations.length + ', 1.5em)';
    if (data.shown.length > 0) widths += ' repeat(' + data.shown.length + ', 13em)';
    return widths + ' 16em';
  }

  function buildHead() {
    var row = byId('fleet-head');
    cell(row, 'columnheader', 'Machine');
    cell(row, 'columnheader', 'Windows');
    cell(row, 'columnheader', 'Code page');
    data.expectations.forEach(function (line, i) {
      cell(row, 'columnheader', String(line), 'line').title = expectationTitles[i];
    });
    data.shown.forEach(function (name) { cell(row, 'columnheader', name); });
    cell(row, 'columnheader', 'Verdict');
  }

  function buildRow(machine, index) {
    var row = document.createElement('div');
    row.className = 'row';
    row.setAttribute('role', 'row');
    var link = add(cell(row, 'cell'), 'a', machine.name);
    link.href = '#machine-' + index;
    cell(row, 'cell', machine.kind);
    cell(row, 'cell', machine.codePage);
    for (var i = 0; i < machine.outcomes.length; ++i) {
      var mark = MARKS[machine.outcomes[i]];
      cell(row, 'cell', machine.outcomes[i], 'o ' + mark[1]).title = expectationTitles[i] + ' \u2014 ' + mark[0];
    }
    data.shown.forEach(function (name, i) {
      cell(row, 'cell', i < machine.values.length ? quoted(machine.values[i]) : '', 'value');
    });
    cell(row, 'cell', machine.verdictText, 'verdict v-' + machine.verdict);
    var missed = machine.outcomes.split('x').length - 1;
    return { element: row, index: index, machine: machine, name: machine.name.toLowerCase(),
             rank: VERDICT_RANK[machine.verdict] * 1e6 - missed };
  }

  byId('fleet').style.setProperty('--columns', columnWidths());
  buildHead();
  var rows = data.machines.map(buildRow);
  var counts = { met: 0, missed: 0, error: 0 };
  data.machines.forEach(function (machine) { counts[machine.verdict] += 1; });
  byId('count-machines').textContent = data.machines.length;
  ['met', 'missed', 'error'].forEach(function (verdict) {
    byId('count-' + verdict).textContent = counts[verdict];
  });

  function byName(a, b) { return a.index - b.index; }
  function byVerdict(a, b) { return a.rank - b.rank || a.index - b.index; }

  // The rows in the order asked for, those the filter and the search leave out hidden.
  function arrange() {
    var filter = byId('filter').value;
    var search = byId('search').value.trim().toLowerCase();
    var order = rows.slice().sort(byId('sort').value === 'verdict' ? byVerdict : byName);
    var body = byId('fleet-rows');
    var fragment = document.createDocumentFragment();
    var showing = 0;
    order.forEach(function (row) {
      var visible = (filter === 'all' || row.machine.verdict === filter) &&
                    (search === '' || row.name.indexOf(search) !== -1);
      row.element.hidden = !visible;
      if (visible) showing += 1;
      fragment.appendChild(row.element);
    });
    body.appendChild(fragment);
    byId('showing').textContent = 'showing ' + showing + ' of ' + rows.length;
  }

  ['filter', 'sort'].forEach(function (id) { byId(id).addEventListener('change', arrange); });
  byId('search').addEventListener('input', arrange);

  function addFact(body, name, value) {
    var row = add(body, 'tr');
    add(row, 'th', name);
    add(row, 'td', value);
  }

  function showMachine(machine) {
    byId('machine-name').textContent = machine.name;
    var verdict = byId('machine-verdict');
    verdict.textContent = machine.verdictText;
    verdict.className = 'v-' + machine.verdict;
    var facts = byId('machine-facts').tBodies[0];
    facts.textContent = '';
    addFact(facts, 'Windows', machine.kind);
    addFact(facts, 'Code page', machine.codePage);
    machine.description.forEach(function (entry) { addFact(facts, entry[0], entry[1]); });
    var traceByLine = {};
    machine.trace.forEach(function (step) { traceByLine[step[0]] = step; });
    var body = byId('steps').tBodies[0];
    body.textContent = '';
    data.steps.forEach(function (step) { addStep(body, step, traceByLine[step[0]]); });
    document.title = machine.name + ' \u2014 ' + data.title;
  }

  // A script step and what it did: [line, end, reads, returned, answer name, answer,
  // expected, found, error]; no trace when the run ended before it.
  function addStep(body, step, trace) {
    var isCall = step[1] === 'call';
    var end = trace ? STEP_ENDS[trace[1]] : NOT_REACHED;
    var row = add(body, 'tr', undefined, end[1]);
    add(row, 'td', String(step[0]));
    var outcome = end[0] + (trace && trace[1] === 3 ? ': ' + trace[8] : '');
    add(row, 'td', outcome, 'outcome ' + end[2]);
    add(row, 'td', step[2]);
    add(row, 'td', step[3]);
    add(row, 'td', step[4]);
    var reads = trace ? trace[2].map(function (read) {
      return read[2] ? read[0] + ' = ' + quoted(read[1]) : read[0] + ' (not set)';
    }) : [];
    add(row, 'td', reads.join('\n'));
    add(row, 'td', trace && isCall ? trace[3] : '');
    add(row, 'td', trace && isCall && trace[4] ? trace[4] + ' = ' + quoted(trace[5]) : '');
    add(row, 'td', trace && trace[6] ? (isCall ? 'returns ' : '') + trace[6] : '');
    add(row, 'td', trace && trace[7] ? (isCall ? 'returned ' : '') + trace[7] : '');
  }

  // #machine-N opens machine N; anything else shows the fleet (one machine alone: opened).
  function route() {
    var match = /^#machine-(\d+)$/.exec(location.hash);
    var index = match ? Number(match[1]) : (location.hash === '' && data.machines.length === 1 ? 0 : -1);
    var machine = index >= 0 && index < data.machines.length ? data.machines[index] : null;
    byId('fleet-view').hidden = machine !== null;
    byId('machine-view').hidden = machine === null;
    if (machine) {
      showMachine(machine);
      window.scrollTo(0, 0);
    } else {
      document.title = data.title;
    }
  }

  arrange();
  window.addEventListener('hashchange', route);
  route();
  document.body.setAttribute('data-ready', 'true');
})();
</script>
</body>
</html>
)page";

}  // namespace hostsim
