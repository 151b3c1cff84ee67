// The calculation sheet of an analysed item as the page shows, saves and
// prints it: heading, verdict, checks, results, warnings and the report.
import { floatNumber } from './core.mjs';

const SHEET_STYLE = `
.sheet { font-family: "DejaVu Sans", Arial, sans-serif; color: #1a1a1a; }
.sheet h2 { font-size: 1.3em; margin: 0 0 0.2em; }
.sheet .meta { color: #555; margin: 0 0 1em; }
.sheet .verdict { font-weight: bold; padding: 0.6em 0.8em; border-left: 6px solid; margin: 0 0 1em; }
.sheet .verdict.acceptable { border-color: #1b6e2a; background: #e8f4ea; }
.sheet .verdict.not-acceptable { border-color: #b00020; background: #fbe9eb; }
.sheet .verdict.not-analysed { border-color: #777; background: #eee; }
.sheet .table { overflow-x: auto; }
.sheet table { border-collapse: collapse; margin: 0 0 1em; font-size: 0.9em; }
.sheet caption { text-align: left; font-weight: bold; padding: 0.2em 0; }
.sheet th, .sheet td { border: 1px solid #ccc; padding: 0.25em 0.5em; text-align: left; vertical-align: top; }
.sheet td.n { text-align: right; font-family: "DejaVu Sans Mono", monospace; white-space: nowrap; }
.sheet tr.fails td { color: #b00020; font-weight: bold; }
.sheet tr.governing td:first-child::before { content: "\\25B6  "; }
.sheet ul.warnings li { color: #8a4b00; }
.sheet pre.report { font-family: "DejaVu Sans Mono", "Courier New", monospace; font-size: 12px; line-height: 1.35;
  background: #f7f7f4; border: 1px solid #ddd; padding: 0.8em; overflow-x: auto; }
.sheet .title { font-weight: bold; color: #0b3d66; }
.sheet .headline { font-weight: bold; }
.sheet .underline { text-decoration: underline; }
.sheet .caption { color: #005f87; }
.sheet .result { color: #1b6e2a; font-weight: 600; }
.sheet .note { font-style: italic; color: #666; }
.sheet .warning { color: #b00020; font-weight: bold; }
@media print {
  .sheet pre.report { font-size: 9pt; overflow: visible; white-space: pre-wrap; border: none; background: none; }
  .sheet table, .sheet .verdict { break-inside: avoid; }
  .sheet .verdict { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}`;

// How the report's style codes show: code position, value (0: any but 0), class.
const LOOKS = [[0, 0, 'title'], [1, 0, 'underline'], [2, 0, 'headline'], [3, 0, 'note'], [4, 0, 'warning'],
  [5, 1, 'caption'], [5, 2, 'result']];

const escaped = (s) => String(s).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
// Five significant digits, as the report shows most numbers.
const shown = (v) => (v === null || !Number.isFinite(v) ? '–' : String(Number(floatNumber(v).toPrecision(5))));
const utilization = (u) => (Number.isFinite(u) ? u.toFixed(3) : '–');

// What the sheet shows, from the form and the outcome of the run.
export function sheetDocument(core, kind, state, form, outcome) {
  const checks = outcome.checks;
  const governing = checks.find((c) => c.key === outcome.governing);
  return {
    heading: form.saved.texts.description || `${kind.name} item`,
    meta: [kind.name, state.code, `units ${state.units}`, form.saved.item !== undefined ? `item ${form.saved.item}` : '',
      form.saved.texts.material ? `material ${form.saved.texts.material}` : ''].filter(Boolean).join(' · '),
    verdict: outcome.verdict, verdictClass: outcome.verdict.replace(/ /g, '-'), governing,
    fatal: outcome.fatal_errors, checks, warnings: form.warnings,
    results: outcome.results.map((r) => ({ name: r.key.replace(/_/g, ' '), value: r.value, unit: core.unitName(core.units[state.units], r.quantity) })),
    report: outcome.report, library: core.version,
  };
}

export function verdictBanner(doc) {
  const p = document.createElement('p');
  p.innerHTML = verdictText(doc);
  return p;
}

function verdictText(doc) {
  const words = doc.verdict.toUpperCase();
  if (doc.verdict === 'not analysed')
    return `${words}${doc.fatal ? ` — ${doc.fatal} fatal input error${doc.fatal > 1 ? 's' : ''}, see the report` : ''}`;
  const g = doc.governing;
  return g ? `${words} — governing: ${escaped(g.label)}, ${shown(g.value)} ${escaped(g.relation)} ${shown(g.limit)} ${escaped(g.unit)}`
    + ` (utilization ${utilization(g.utilization)})` : words;
}

function reportHtml(lines) {
  return lines.map(({ text, styles }) => {
    const classes = LOOKS.filter(([i, v]) => (v === 0 ? styles[i] !== 0 : styles[i] === v)).map(([, , c]) => c);
    return classes.length && text ? `<span class="${classes.join(' ')}">${escaped(text)}</span>` : escaped(text);
  }).join('\n');
}

// The sheet as a whole HTML document.
export function sheetHtml(doc) {
  const checks = doc.checks.map((c) => `<tr class="${c.passes ? 'passes' : 'fails'}${c === doc.governing ? ' governing' : ''}">`
    + `<td>${escaped(c.label)}</td><td class="n">${shown(c.value)}</td><td>${escaped(c.relation)}</td>`
    + `<td class="n">${shown(c.limit)}</td><td>${escaped(c.unit)}</td><td class="n">${utilization(c.utilization)}</td>`
    + `<td>${c.passes ? 'passes' : 'FAILS'}</td></tr>`).join('');
  const results = doc.results.map((r) => `<tr><th>${escaped(r.name)}</th><td class="n">${r.value === null ? 'not computed' : `${shown(r.value)} ${escaped(r.unit)}`}</td></tr>`).join('');
  const body = `<div class="sheet"><h2>${escaped(doc.heading)}</h2><p class="meta">${escaped(doc.meta)}</p>`
    + `<p class="verdict ${doc.verdictClass}">${verdictText(doc)}</p>`
    + (checks ? `<div class="table"><table class="checks"><caption>Checks</caption><thead><tr><th>check</th><th>value</th><th></th><th>limit</th>`
      + `<th>unit</th><th>utilization</th><th></th></tr></thead><tbody>${checks}</tbody></table></div>` : '')
    + `<div class="table"><table class="results"><caption>Results</caption><tbody>${results}`
    + `<tr><th>fatal input errors</th><td class="n">${doc.fatal}</td></tr></tbody></table></div>`
    + (doc.warnings.length ? `<ul class="warnings">${doc.warnings.map((w) => `<li>${escaped(w)}</li>`).join('')}</ul>` : '')
    + `<pre class="report">${reportHtml(doc.report)}</pre></div>`;
  return `<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n<meta name="viewport" content="width=device-width, initial-scale=1">\n`
    + `<title>${escaped(doc.heading)}</title>\n<style>body { margin: 1.5em auto; max-width: 60em; padding: 0 0.8em; }${SHEET_STYLE}</style>\n</head>\n<body>\n${body}\n</body>\n</html>\n`;
}
