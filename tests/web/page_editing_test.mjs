// txappendix14.html in headless Chromium as an engineer edits an item: no
// answer stays on the screen beside a form it is not of, a valid item is
// analysed as it is typed, each kind keeps what was typed for it, the last
// item survives a reload (a stored value the page did not write does not
// break it), and the sheet texts reach the saved item and the sheet.
//
// node page_editing_test.mjs TX14 PAGE EXAMPLES_DIR OUT_DIR   (TX14_NODE_MODULES: playwright-core)
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { expect, failures, finish, launch, runTx14 } from '../support/browser.mjs';

const [tx14, pagePath, examplesDir, outDir] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });

const { browser, context } = await launch(/^(file|blob|data):/,
  { acceptDownloads: true, viewport: { width: 1100, height: 1400 } });
const page = await context.newPage();
let errors = [];  // the page's exceptions since the last look
page.on('pageerror', (e) => errors.push(e.message));
const noErrors = (what) => {
  expect(errors.length === 0, `${what}: page errors ${JSON.stringify(errors)}`);
  errors = [];
};
const open = async () => {
  await page.goto(`file://${pagePath}`);
  await page.waitForFunction(() => window.tx14Page);
};
await open();

const shows = (f, arg, timeout = 5000) => page.waitForFunction(f, arg, { timeout }).then(() => true, () => false);
const analysed = () => shows(() => document.querySelector('#result[data-ms]') && !document.querySelector('#result').hidden);
// The answer is off the screen: verdict and sheet hidden, Save sheet and Print not to be used.
const stale = () => page.evaluate(() => {
  const visible = (e) => !e.hidden && !e.closest('[hidden]') && e.getClientRects().length > 0;
  return !visible(document.querySelector('#verdict')) && !visible(document.querySelector('#sheet'))
    && ['#save-sheet', '#print'].every((s) => !visible(document.querySelector(s)) || document.querySelector(s).disabled)
    && window.tx14Page.last === null;
});
const value = (key) => page.inputValue(`input[name=${key}]`);

// ---- Stale answers: every kind of edit hides the answer at once ------------------
await page.selectOption('#example', 'opening-viii1.toml');
expect(await analysed(), 'an example is analysed without Analyse');
const edits = [
  ['a number made invalid', () => page.fill('input[name=P]', '1OO'), false],
  ['the number made valid again', () => page.fill('input[name=P]', '120'), true],
  ['a text', () => page.fill('input[name=description]', 'Bottom head'), true],
  ['a sheet text', () => page.fill('input[name=project]', 'P-7'), true],
  ['a required number cleared', () => page.fill('input[name=t]', ''), false],
  ['the number given again', () => page.fill('input[name=t]', '4.5'), true],
  ['the code', () => page.selectOption('#code', 'VIII-2'), true],
  ['the unit system', () => page.check('#units-SI'), true],
];
for (const [what, edit, valid] of edits) {
  await edit();
  expect(await stale(), `${what}: the last answer is still on the screen`);
  if (!valid) {
    await page.waitForTimeout(700);
    expect(await stale() && (await page.textContent('#summary')).includes('problem'),
      `${what}: an invalid item is not analysed (${await page.textContent('#summary')})`);
  } else expect(await analysed(), `${what}: the valid item is not analysed again`);
}
const [P, t, project, description] = await page.evaluate(() => ['P', 't', 'project', 'description'].map((k) => window.tx14Page.last?.item[k]));
expect(P?.unit === 'MPa' && Math.abs(t?.value - 114.3) < 1e-3 && project === 'P-7' && description === 'Bottom head',
  `the answer is of the last edit: ${JSON.stringify([P, t, project, description])}`);
await page.screenshot({ path: join(outDir, 'analysed-as-typed.png') });
await page.fill('input[name=P]', 'x');
await page.waitForTimeout(700);
await page.screenshot({ path: join(outDir, 'stale-hidden.png') });
noErrors('stale answers');

// ---- Kind and code switches keep what was typed ------------------------------------
await page.selectOption('#kind', 'jacket');
await page.fill('input[name=description]', 'My reactor');
await page.fill('input[name=D]', '72');
await page.selectOption('#code', 'PD5500');
expect(await value('D') === '72' && await value('description') === 'My reactor', 'a code switch keeps the values');
await page.selectOption('#kind', 'opening');
expect(await value('P') === 'x' && await value('description') === 'Bottom head', 'back to the opening as it was left');
expect(await value('project') === 'P-7', 'the sheet texts stay across kinds');
await page.selectOption('#kind', 'jacket');
expect(await value('D') === '72' && await value('description') === 'My reactor'
  && await page.inputValue('#code') === 'PD5500', 'back to the jacket as it was left');
noErrors('kind switches');

// ---- Local storage -------------------------------------------------------------------
await page.setInputFiles('#load-units', join(examplesDir, 'units-bar.toml'));
await page.locator('#numbers legend', { hasText: 'units-bar.toml' }).waitFor();
const typed = () => page.$$eval('.field input', (l) => l.map((i) => `${i.name}=${i.value}`).join(' '));
const before = await typed();
await open();
expect(await page.inputValue('#kind') === 'jacket' && await typed() === before
  && (await page.textContent('#numbers legend')).includes('units-bar.toml'), 'a reload keeps the item and its unit file');
await page.selectOption('#kind', 'opening');
expect(await value('description') === 'Bottom head', 'a reload keeps what was typed for the other kind');
noErrors('a reload');

// A stored value the page did not write: the page starts as on a first visit,
// or with what fits of it.
const stored = [
  ['not JSON', '{"version":1,'],
  ['not an object', '[1,2]'],
  ['no such kind', '{"version":1,"kind":"__proto__","kinds":{"__proto__":{"code":"x","units":"US","values":{}}}}'],
  ['wrong types', '{"version":1,"kind":"jacket","units":7,"kinds":{"jacket":{"code":"EN13445","units":"US","values":{"D":72,"toString":"1","ts":["0.5"]}}},"sheet":null}'],
  ['a unit file the entry refuses', `{"version":1,"kind":"opening","units":"constructor","kinds":{"opening":{"code":"VIII-2","units":"constructor","values":{"P":"7"}}},"unitFiles":[{"name":"constructor","factors":[${Array(22).fill(0)}],"labels":[${Array(23).fill('"xxxxxxxxxxxxxxxxxxxx"')}]}]}`],
];
for (const [what, text] of stored) {
  await page.evaluate((t) => localStorage.setItem('txappendix14.page', t), text);
  await open();
  expect(await page.inputValue('#kind') !== '' && await page.locator('.field input').count() > 10, `stored ${what}: no form`);
  noErrors(`stored ${what}`);
}
expect(await page.inputValue('#code') === 'VIII-2' && await value('P') === '7'
  && (await page.textContent('#numbers legend')).includes('US units'), 'a refused unit file falls back to US units');

// ---- Sheet texts: in the saved item, tx14's record and sheet, and loaded back -----
const sheetTexts = { project: 'Plant 7 — revamp', vessel: 'R-101', drawing: 'D-4471 sh. 2', revision: 'B',
  purpose: 'for approval', prepared_by: 'A. Ingénieur', checked_by: 'B. Checker', approved_by: '<b>C</b> & "D"' };
await page.selectOption('#example', 'jacket-viii2.toml');
for (const [key, text] of Object.entries(sheetTexts)) await page.fill(`input[name=${key}]`, text);
expect(await analysed(), 'analysed with the sheet texts');
const last = await page.evaluate(() => window.tx14Page.last);
const download = page.waitForEvent('download');
await page.click('#save-toml');
const saved = join(outDir, last.source.name);
await (await download).saveAs(saved);
const want = JSON.parse(runTx14(tx14, ['run', '--json', saved]));
for (const key of Object.keys(sheetTexts))
  expect(want.item[key] === sheetTexts[key] && last.item[key] === sheetTexts[key], `${key}: ${want.item[key]} in the saved item`);
const epoch = String(Date.parse(last.source.dateTime.replace(' UTC', 'Z')) / 1000);
runTx14(tx14, ['run', '--html', 'sheet.html', last.source.name], { cwd: outDir, env: { ...process.env, SOURCE_DATE_EPOCH: epoch } });
writeFileSync(join(outDir, 'page-sheet.html'), last.sheet);
expect(readFileSync(join(outDir, 'sheet.html'), 'utf8') === last.sheet, 'the sheet with sheet texts differs from tx14\'s');
await page.selectOption('#example', 'opening-viii1.toml');
expect(await value('project') === '', 'an example fills the sheet texts too');
await page.setInputFiles('#load-toml', saved);
expect(await shows((t) => Object.entries(t).every(([k, v]) => document.querySelector(`input[name=${k}]`).value === v), sheetTexts),
  'the sheet texts load back');
noErrors('sheet texts');

// ---- The sketch beside the form: the kind being entered, the focused dimension lit ----
const sketch = () => page.evaluate(() => {
  const img = document.querySelector('#sketch');
  const svg = window.tx14Page.sketch;
  const lit = [...svg.matchAll(/<text class="label focus"[^>]*>([^<]*)<\/text>/g)].map((m) => m[1]);
  return { focus: img.dataset.focus, lit, caption: document.querySelector('#sketch-caption').textContent };
});
await page.selectOption('#example', 'jacket-appendix-ee.toml');
await page.focus('input[name=Tj]');
await page.fill('input[name=Tj]', '0.4375');
let seen = await sketch();
expect(seen.focus === 'Tj' && seen.lit.length === 1 && seen.lit[0].startsWith('Tj = 0.4375')
  && seen.caption.startsWith('Tj: '), `the focused Tj lit with its typed value: ${JSON.stringify(seen)}`);
const [form, guide] = await Promise.all(['#item-form', '#guide'].map((s) => page.locator(s).boundingBox()));
expect(guide.x >= form.x + form.width && guide.y < form.y + form.height, 'the sketch stands beside the form');
await page.focus('input[name=description]');
seen = await sketch();
expect(seen.focus === '' && seen.lit.length === 0, `a text field lights no dimension: ${JSON.stringify(seen)}`);
await page.selectOption('#kind', 'opening');
await page.focus('input[name=hs]');
seen = await sketch();
expect(seen.focus === 'hs' && seen.lit.length === 1, `the opening's sketch after the kind switch: ${JSON.stringify(seen)}`);
await page.screenshot({ path: join(outDir, 'sketch-beside-form.png') });
noErrors('sketch');

await browser.close();
finish();
