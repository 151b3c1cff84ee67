// The calculation sheets as a person gets them, loaded in headless Chromium
// with the network blocked, in two sections (a test each):
// - Examples: each example's figures as Chromium lays them out (no label
//   over another, each as wide as the sheet's advance-width table says), and
//   its PDF printed by tx14 on A4 and on Letter, read back: its pages as
//   recorded, ending with the approval block whole on one page; a long input
//   path keeps the pages; no browser, exit 1;
// - HostileNames: sheets whose input's name and sheet texts try to restyle
//   them (a form feed ends a CSS string), made by tx14 run and batch in a
//   temporary directory whose name a file URL must encode: in Chromium and in
//   the printed PDF the verdict and the checks read as the analysis gave
//   them, and the batch's index links each row's sheet.
// Usage: node browser_test.mjs Examples|HostileNames TX14 TEXT_WIDTHS EXAMPLES_DIR OUT_DIR
// (playwright-core from TX14_NODE_MODULES; sheets and PDFs in OUT_DIR)
import { execFileSync, spawnSync } from 'node:child_process';
import { copyFileSync, mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { exampleKeys, expect, finish, launch, runTx14 } from '../support/browser.mjs';

const [section, tx14, textWidths, examples, out] = process.argv.slice(2);
expect(['Examples', 'HostileNames'].includes(section), `no section ${section}`);
rmSync(out, { recursive: true, force: true });
mkdirSync(out, { recursive: true });
const pdfPages = (pdf) => execFileSync('pdftotext', ['-layout', pdf, '-']).toString().split('\f').slice(0, -1);
const { browser, context } = await launch(/^file:.*\.html$/, { viewport: { width: 1000, height: 1400 } });
const open = (file) => context.newPage().then(async (page) => (await page.goto(pathToFileURL(file).href), page));

if (section === 'Examples') {
  // Pages of each example's PDF, A4 and Letter: a layout change that adds
  // pages shows here. tx14 runs in the examples folder, so that the input's
  // name on the sheet is the same wherever the checkout lives.
  const kPages = {
    'opening-viii1': [5, 5], 'opening-viii2': [5, 6], 'opening-si': [5, 5], 'opening-bar': [5, 5], 'opening-too-thin': [5, 5],
    'jacket-appendix-ee': [4, 5], 'jacket-appendix-ee-worked': [4, 4], 'jacket-viii2': [4, 5], 'jacket-si': [4, 5],
    'coil-pd5500': [3, 3], 'coil-en13445': [3, 3] };
  const kRoles = { prepared_by: 'Prepared by', checked_by: 'Checked by', approved_by: 'Approved by' };
  const kResult = { opening: 'M.A.W.P.', jacket: "P'", PD5500: 'pMaxC1', EN13445: 'pMaxC1' };
  const tx14run = (...args) => runTx14(tx14, args, { cwd: examples });
  for (const f of readdirSync(examples).filter((f) => f.endsWith('.toml')))
    expect(!exampleKeys(path.join(examples, f)).kind || f.replace('.toml', '') in kPages, `${f}: no page counts recorded`);

  // Each figure's texts and their boxes on the page. (Labels against the
  // drawing's parts and lines: figures_test.cpp, with the widths held here.)
  const figures = () => [...document.querySelectorAll('svg.figure')].map((svg) => [...svg.querySelectorAll('text')].map((t) => {
    const r = t.getBoundingClientRect();
    return { text: t.textContent, size: parseFloat(getComputedStyle(t).fontSize), width: t.getBBox().width,
             turned: t.hasAttribute('transform'), box: [r.left, r.top, r.right, r.bottom] };
  }));
  const measured = [];  // [sheet, text, size, width in Chromium]
  for (const [name, pages] of Object.entries(kPages)) {
    const keys = exampleKeys(path.join(examples, `${name}.toml`));
    tx14run('run', `${name}.toml`, '--html', path.join(out, `${name}.html`));
    const page = await open(path.join(out, `${name}.html`));
    const verdict = await page.textContent('.verdict .word');
    expect(['ACCEPTABLE', 'NOT ACCEPTABLE', 'NOT ANALYSED'].includes(verdict), `${name}: verdict ${verdict}`);
    const drawn = await page.evaluate(figures);
    expect(drawn.length >= 2 && drawn.every((texts) => texts.length >= 4), `${name}: ${drawn.length} figures`);
    for (const texts of drawn)
      texts.forEach((a, i) => {
        if (!a.turned) measured.push([name, a.text, a.size, a.width]);
        for (const { text, box } of texts.slice(i + 1)) {
          const across = Math.min(a.box[2], box[2]) - Math.max(a.box[0], box[0]);
          expect(across <= 0.5 || Math.min(a.box[3], box[3]) - Math.max(a.box[1], box[1]) <= 0.5,
                 `${name}: "${a.text}" over "${text}"`);
        }
      });
    await page.close();

    ['a4', 'letter'].forEach((paper, p) => {
      const pdf = path.join(out, `${name}-${paper}.pdf`);
      tx14run('run', `${name}.toml`, '--pdf', pdf, '--paper', paper);
      const text = pdfPages(pdf), first = text[0] ?? '', last = text[text.length - 1] ?? '';
      for (const s of [`Item ${keys.item}`, keys.description, verdict, kResult[keys.code] ?? kResult[keys.kind]])
        expect(text.join('\n').includes(s), `${name} (${paper}): "${s}" not in the PDF`);
      expect(text.length === pages[p], `${name} (${paper}): ${text.length} pages, recorded ${pages[p]}`);
      expect(/Page 1 of \d+/.test(first), `${name} (${paper}): no running footer`);
      // The approval block: on the last page, whole, each name on its role's line.
      expect(/^\s*Approval\s*$/m.test(last) && Object.values(kRoles).every((role) => last.includes(role)),
             `${name} (${paper}): the approval block is not whole on the last page`);
      for (const [key, role] of Object.entries(kRoles))
        expect(!keys[key] || new RegExp(`${role}\\s+${keys[key].replace(/\./g, '\\.')}`).test(last),
               `${name} (${paper}): ${role} ${keys[key]} not in the approval block`);
      for (const key of ['project', 'vessel', 'drawing', 'revision', 'purpose'])
        expect(!keys[key] || first.includes(keys[key]), `${name} (${paper}): ${key} "${keys[key]}" not on page 1`);
    });
  }

  // The table's widths against Chromium's: within 1 % and a pixel.
  const table = spawnSync(textWidths, { input: measured.map(([, t, size]) => `${Math.round(size)}\t${t}\n`).join(''),
                                        encoding: 'utf8' });
  const widths = table.stdout.trim().split('\n').map(Number);
  expect(table.status === 0 && widths.length === measured.length, `${textWidths}: exit ${table.status}, ${widths.length} widths`);
  measured.forEach(([name, text, , chromium], i) => expect(Math.abs(widths[i] - chromium) <= 1 + 0.01 * chromium,
    `${name}: "${text}" ${widths[i]?.toFixed(2)} wide by the table, ${chromium.toFixed(2)} in Chromium`));

  // An input path with no place to break wraps in its cell: the page is not
  // shrunk to fit it, so the sheet keeps its pages.
  const deep = path.join(out, 'deep', 'x'.repeat(120));
  mkdirSync(deep, { recursive: true });
  copyFileSync(path.join(examples, 'opening-viii2.toml'), path.join(deep, 'opening-viii2.toml'));
  tx14run('run', path.join(deep, 'opening-viii2.toml'), '--pdf', path.join(out, 'deep.pdf'), '--paper', 'letter');
  const deepPages = pdfPages(path.join(out, 'deep.pdf')).length;
  expect(deepPages === kPages['opening-viii2'][1], `a long input path: ${deepPages} pages`);

  // No browser: exit 1, saying how to install one.
  const noBrowser = spawnSync(tx14, ['run', path.join(examples, 'opening-viii1.toml'), '--pdf', path.join(out, 'x.pdf')],
                              { env: { ...process.env, TX14_CHROMIUM: '/nonexistent/chromium' } });
  expect(noBrowser.status === 1 && /apt-get install -y chromium/.test(noBrowser.stderr), 'no browser: exit 1 with advice');
}

if (section === 'HostileNames') {
  const tmp = path.join(tmpdir(), `tx14 #?%41-${process.pid}`);  // short: the browser's socket goes there
  mkdirSync(tmp);
  const env = { ...process.env, TMPDIR: tmp };
  const name = 'head\f}}.word{font-size:0!important}.word::after{content:\'ACCEPTABLE\'}table.checks{display:none}@page{';
  // Sheet texts that try the same from the title block and the running header.
  const texts = `\nrevision = '"}}.word{font-size:0!important}@page{'\nproject = '</td></tr></table><style>.word{display:none}</style>'\n`;
  writeFileSync(path.join(out, `${name}.toml`), readFileSync(path.join(examples, 'opening-too-thin.toml'), 'utf8') + texts);
  copyFileSync(path.join(examples, 'items.csv'), path.join(out, `${name}.csv`));
  runTx14(tx14, ['run', `${name}.toml`, '--html', 'head.html', '--pdf', 'head.pdf'], { cwd: out, env });
  runTx14(tx14, ['batch', `${name}.csv`, '--html', 'rows'], { cwd: out, env });
  expect(readdirSync(tmp).length === 0, `the browser's files left in ${tmp}: ${readdirSync(tmp)}`);
  rmSync(tmp, { recursive: true, force: true });

  const lines = pdfPages(path.join(out, 'head.pdf')).join('\n').split('\n');
  expect(lines.some((l) => l.trim() === 'NOT ACCEPTABLE') && !lines.some((l) => l.trim() === 'ACCEPTABLE')
         && lines.some((l) => /\bFAILS\b/.test(l)), 'the PDF does not say NOT ACCEPTABLE with a failing check');
  const rows = readdirSync(path.join(out, 'rows')).filter((f) => f.startsWith('row-')).sort();
  const links = [...readFileSync(path.join(out, 'rows', 'index.html'), 'utf8').matchAll(/<a href="([^"]*)"/g)].map((m) => m[1]);
  expect(rows.length === 7 && links.join() === rows.join(), `batch index links: ${links}, sheets: ${rows}`);
  for (const sheet of ['head.html', ...rows.map((f) => path.join('rows', f))]) {
    const page = await open(path.join(out, sheet));
    const shown = await page.$eval('.verdict .word', (w) =>
      ({ text: w.textContent, size: getComputedStyle(w).fontSize, after: getComputedStyle(w, '::after').content }));
    expect(shown.size !== '0px' && shown.after === 'none', `${sheet}: the verdict is restyled ${JSON.stringify(shown)}`);
    expect(sheet !== 'head.html' || shown.text === 'NOT ACCEPTABLE', `${sheet}: the verdict reads ${shown.text}`);
    expect(await page.isVisible('table.checks') && await page.isVisible('.verdict .word'),
           `${sheet}: the checks or the verdict hidden`);
    await page.close();
  }
}

await browser.close();
finish();
