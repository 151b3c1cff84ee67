// The figures of every example's sheet and of 600 generated items' sheets
// (a fixed seed, run through `tx14 batch --html`) as Chromium lays them
// out: no label over another or over a part, and each label as wide as the
// sheet's advance-width table says, within a small tolerance.
// Usage: node figures_in_chromium.mjs TX14 TEXT_WIDTHS EXAMPLES_DIR OUT_DIR
// (playwright-core from TX14_NODE_MODULES)
import { spawnSync } from 'node:child_process';
import { mkdirSync, readdirSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { expect, finish, launch, runTx14 } from '../support/browser.mjs';

const [tx14, textWidths, examples, out] = process.argv.slice(2);
mkdirSync(out, { recursive: true });

// ---- 200 items of each kind from a fixed seed ---------------------------------

let seed = 20260529;
function random() {  // mulberry32
  seed = (seed + 0x6d2b79f5) | 0;
  let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
  t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
  return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
}
const uniform = (lo, hi) => lo + (hi - lo) * random();
const logUniform = (lo, hi) => Math.exp(uniform(Math.log(lo), Math.log(hi)));
const typed = (v) => Number(v.toPrecision(3));

const columns = ['kind', 'code', 'units', 'item', 'P', 't', 'Bn', 'A', 'g0s', 'g1s', 'hs', 'ca', 'Sho', 'Shg', 'g0n',
                 'g1n', 'hn', 'D', 'ts', 'S', 'E', 'NPS', 'r', 'Tj', 'Pj', 'Sj', 'caj', 'L'];
// Lengths in inches and stresses in psi, written in mm and MPa one time in three.
function item(kind, code, n, lengths, stresses) {
  const si = random() < 1 / 3, row = { kind, code, units: si ? 'SI' : 'US', item: n };
  for (const [k, v] of Object.entries(lengths)) if (v > 0) row[k] = typed(si ? v * 25.4 : v);
  for (const [k, v] of Object.entries(stresses)) row[k] = typed(si ? v * 0.00689476 : v);
  return row;
}
function head(n) {
  const A = logUniform(8, 240), g0s = A * logUniform(0.002, 0.05), g1s = g0s * uniform(1, 3);
  const nozzle = random() < 0.5, g0n = nozzle ? A * logUniform(0.002, 0.04) : 0, g1n = g0n * uniform(1, 3);
  return item('opening', random() < 0.5 ? 'VIII-1' : 'VIII-2', n,
              { A, Bn: A * uniform(0.05, 0.8), t: A * logUniform(0.01, 0.3), g0s, g1s, hs: g1s * uniform(0.5, 6),
                g0n, g1n, hn: g1n * uniform(0.5, 6), ca: random() < 0.5 ? 0.125 : 0 },
              { P: logUniform(10, 1500), Sho: 20000, Shg: 20000 });
}
function jacket(n, coil) {
  const code = coil ? (random() < 0.5 ? 'PD5500' : 'EN13445') : (random() < 0.5 ? 'VIII-1' : 'VIII-2');
  const formed = random() < 0.2;
  const row = item('jacket', code, n,
                   { D: logUniform(12, 240), ts: logUniform(0.1, 3), Tj: logUniform(0.06, 0.6),
                     r: formed ? uniform(1, 6) : 0, ca: random() < 0.5 ? 0.125 : 0,
                     caj: random() < 0.5 ? 0.0625 : 0, L: coil ? 12 : 0 },
                   { P: logUniform(10, 300), Pj: logUniform(15, 600), S: 20000, Sj: 15000 });
  row.E = 1;
  if (!formed) row.NPS = (code === 'VIII-2' ? [2, 3, 4] : [2, 3, 4, 2.5, 3.5])[Math.floor(random() * (code === 'VIII-2' ? 3 : 5))];
  return row;
}
const rows = [];
for (let i = 0; i < 200; ++i) rows.push(head(rows.length + 1));
for (let i = 0; i < 200; ++i) rows.push(jacket(rows.length + 1, false));
for (let i = 0; i < 200; ++i) rows.push(jacket(rows.length + 1, true));
const csv = path.join(out, 'generated.csv');
writeFileSync(csv, [columns.join(','), ...rows.map((r) => columns.map((c) => r[c] ?? '').join(','))].join('\n') + '\n');
const generated = path.join(out, 'generated');
runTx14(tx14, ['batch', csv, '--html', generated]);

// ---- The sheets in Chromium ---------------------------------------------------------

const sheets = [];
for (const f of readdirSync(examples)) {
  if (!f.endsWith('.toml') || f === 'units-bar.toml') continue;
  const html = path.join(out, f.replace('.toml', '.html'));
  runTx14(tx14, ['run', path.join(examples, f), '--html', html]);
  sheets.push(html);
}
const rowSheets = readdirSync(generated).filter((f) => /^row-\d+\.html$/.test(f));
expect(rowSheets.length >= 500, `only ${rowSheets.length} of ${rows.length} generated items have a sheet`);
sheets.push(...rowSheets.map((f) => path.join(generated, f)));

// Each figure's texts: their boxes on the page, in the figure's units, and
// whether a part of the drawing lies under them.
function figures() {
  return [...document.querySelectorAll('svg.figure')].map((svg) => {
    const parts = [...svg.querySelectorAll('.part, .weld')];
    return [...svg.querySelectorAll('text')].map((t) => {
      const b = t.getBBox(), r = t.getBoundingClientRect();
      const turned = t.hasAttribute('transform');
      let covers = false;
      for (let i = 1; i < 8 && !turned; ++i)
        for (let j = 1; j < 4; ++j) {
          const p = new DOMPoint(b.x + (b.width * i) / 8, b.y + (b.height * j) / 4);
          if (parts.some((part) => part.isPointInFill(p))) covers = true;
        }
      return { text: t.textContent, size: parseFloat(getComputedStyle(t).fontSize),
               width: b.width, turned, covers, box: [r.left, r.top, r.right, r.bottom] };
    });
  });
}

const measured = [];  // [sheet, text, size, width]
const { browser, context } = await launch(/^file:.*\.html$/, { viewport: { width: 1000, height: 1400 } });
try {
  const page = await context.newPage();
  for (const sheet of sheets) {
    await page.goto(pathToFileURL(sheet).href);
    const name = path.relative(out, sheet);
    for (const texts of await page.evaluate(figures)) {
      for (let i = 0; i < texts.length; ++i) {
        const a = texts[i];
        expect(!a.covers, `${name}: "${a.text}" over a part of the drawing`);
        if (!a.turned) measured.push([name, a.text, a.size, a.width]);
        for (let j = i + 1; j < texts.length; ++j) {
          const b = texts[j].box;
          const across = Math.min(a.box[2], b[2]) - Math.max(a.box[0], b[0]);
          const down = Math.min(a.box[3], b[3]) - Math.max(a.box[1], b[1]);
          expect(across <= 0.5 || down <= 0.5, `${name}: "${a.text}" over "${texts[j].text}"`);
        }
      }
    }
  }
} finally {
  await browser.close();
}

// The table's widths against Chromium's: within 1 % and a pixel.
const sized = measured.map(([, text, size]) => `${Math.round(size)}\t${text}`);
const table = spawnSync(textWidths, { input: sized.join('\n') + '\n', encoding: 'utf8' });
expect(table.status === 0, `${textWidths}: exit ${table.status}`);
const widths = table.stdout.trim().split('\n').map(Number);
expect(widths.length === measured.length, `${widths.length} widths for ${measured.length} texts`);
let worst = 0;
measured.forEach(([name, text, , chromium], i) => {
  const off = Math.abs(widths[i] - chromium);
  worst = Math.max(worst, off);
  expect(off <= 1 + 0.01 * chromium, `${name}: "${text}" ${widths[i].toFixed(2)} wide by the table, ${chromium.toFixed(2)} in Chromium`);
});
console.log(`${sheets.length} sheets, ${measured.length} texts; widest difference ${worst.toFixed(2)}`);
finish();
