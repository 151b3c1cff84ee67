// txappendix14.html in headless Chromium, opened from file:// with the
// network blocked, in three sections (a test each):
// - Examples: each example typed into the form and analysed gives tx14's report
//   records byte for byte and its results, values, checks and verdict; its
//   saved TOML run through tx14 gives the same again, and tx14's calculation
//   sheet of it is the page's, byte for byte;
// - HostileInput: the page's policy runs its one script and no other; against
//   what a file, a name or a typed text may hold: a unit file never
//   stands in for US or SI, unit names an object holds of its own are names
//   like any other, a text far too long is one error in its field;
// - Editing: as an engineer edits an item, no answer stays beside a form it is not
//   of, each kind keeps what was typed for it, the last item survives a
//   reload (a stored value the page did not write does not break it), the
//   sheet texts reach the saved item, the sketch lights what is typed.
//
// node page_test.mjs Examples|HostileInput|Editing TX14 PAGE EXAMPLES_DIR OUT_DIR
// (TX14_NODE_MODULES: playwright-core; screenshots and timings in OUT_DIR)
import { createHash } from 'node:crypto';
import { copyFileSync, mkdirSync, readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { exampleKeys, expect, failures, finish, launch, runTx14 } from '../support/browser.mjs';

const [section, tx14, pagePath, examplesDir, outDir] = process.argv.slice(2);
expect(['Examples', 'HostileInput', 'Editing'].includes(section), `no section ${section}`);
mkdirSync(outDir, { recursive: true });
const runJson = (file) => JSON.parse(runTx14(tx14, ['run', '--json', file]));
// What the page and tx14 must agree on.
const KEYS = ['fatal_errors', 'results', 'values', 'checks', 'verdict', 'governing', 'reasons', 'notes', 'warnings', 'report'];

const { browser, context } = await launch(/^(file|blob|data):/,
  { acceptDownloads: true, viewport: { width: 1100, height: 1400 } });
const page = await context.newPage();
page.on('pageerror', (e) => failures.push(`page error: ${e.message}`));
const open = () => page.goto(`file://${pagePath}`).then(() => page.waitForFunction(() => window.tx14Page));
await open();
const shows = (f, arg) => page.waitForFunction(f, arg, { timeout: 5000 }).then(() => true, () => false);
async function analyse() {
  await page.evaluate(() => document.querySelector('#result').removeAttribute('data-ms'));
  await page.click('#analyse');
  return shows(() => document.querySelector('#result[data-ms]'));
}
const file = (name, text) => ({ name, mimeType: 'text/plain', buffer: Buffer.from(text) });
const value = (key) => page.inputValue(`input[name=${key}]`);
const loadMessage = (text) => shows((t) => document.querySelector('#load-messages').textContent.includes(t), text);
// The unit system's name in the form's legend (and Bn as that unit file gives it).
const unitsShown = (units, Bn) => shows(([u, b]) => document.querySelector('#numbers legend').textContent.includes(u)
  && (!b || document.querySelector('#key-Bn').value === b), [units, Bn]);
// The saved item, in `dir`.
async function save(dir) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-toml')]);
  const saved = join(dir, await page.evaluate(() => window.tx14Page.last.source.name));
  return download.saveAs(saved).then(() => saved);
}

if (section === 'Examples') {
  const timings = [];
  for (const name of readdirSync(examplesDir).filter((f) => f.endsWith('.toml')).sort()) {
    const keys = exampleKeys(join(examplesDir, name)), unitFile = !['US', 'SI'].includes(keys.units);
    if (!keys.kind) continue;  // the unit file
    await page.selectOption('#kind', keys.kind);
    await page.selectOption('#code', keys.code);
    if (unitFile) await page.setInputFiles('#load-units', join(examplesDir, keys.units)).then(() => unitsShown(keys.units));
    else await page.check(`#units-${keys.units}`);
    for (const input of await page.locator('.field input').all()) await input.fill('');
    for (const [key, value] of Object.entries(keys))
      if (!['kind', 'code', 'units'].includes(key)) await page.fill(`input[name=${key}]`, String(value));
    expect(await analyse(), `${name}: not analysed`);
    const got = await page.evaluate(() => window.tx14Page.last), want = runJson(join(examplesDir, name));
    timings.push(`${name} ${got.ms.toFixed(1)} ms`);
    for (const k of KEYS.filter((k) => JSON.stringify(got[k]) !== JSON.stringify(want[k])))
      failures.push(`${name}: "${k}" differs from tx14's:\n  page ${JSON.stringify(got[k])}\n  tx14 ${JSON.stringify(want[k])}`);
    expect((await page.textContent('#verdict')).startsWith(want.verdict.toUpperCase()), `${name}: verdict banner`);

    // The saved item runs the same through tx14, and its sheet is the page's.
    const dir = join(outDir, name.replace('.toml', ''));
    mkdirSync(dir, { recursive: true });
    if (unitFile) copyFileSync(join(examplesDir, keys.units), join(dir, keys.units));
    const again = runJson(await save(dir));
    expect(KEYS.every((k) => JSON.stringify(again[k]) === JSON.stringify(want[k])), `${name}: its saved TOML runs differently`);
    const epoch = String(Date.parse(got.source.dateTime.replace(' UTC', 'Z')) / 1000);
    runTx14(tx14, ['run', '--html', 'sheet.html', got.source.name], { cwd: dir, env: { ...process.env, SOURCE_DATE_EPOCH: epoch } });
    expect(readFileSync(join(dir, 'sheet.html'), 'utf8') === got.sheet, `${name}: the sheet differs from tx14's (${dir})`);
    await page.screenshot({ path: join(dir, 'page.png') });
  }

  // US to SI and back: temperatures take their offset, the rest their factor.
  await page.selectOption('#example', 'opening-viii1.toml');
  const typed = () => page.$$eval('#numbers input', (l) => l.map((i) => i.value).join(' ')), us = await typed();
  await page.check('#units-SI');
  expect(await page.inputValue('#key-T') === '148.889' && await page.inputValue('#key-P') === '0.689476', 'US to SI');
  await page.check('#units-US');
  expect(await typed() === us.replace(/\.0\b/g, ''), `SI to US: ${await typed()} for ${us}`);

  // tx14's limits: files over 1 MiB, nesting over 64 levels.
  for (const [name, text, message] of [['big.toml', ' '.repeat((1 << 20) + 1), 'larger than 1 MiB'],
    ['deep.toml', `[${Array(66).fill('a').join('.')}]\nx = 1\n`, 'nested more than 64 levels']]) {
    await page.setInputFiles('#load-toml', file(name, text));
    expect(await loadMessage(message), `${name} refused`);
  }

  // 360 px wide: nothing scrolls sideways, form or sheet; every control labelled.
  await page.setViewportSize({ width: 360, height: 800 });
  expect(await analyse() && await page.evaluate(() => document.documentElement.scrollWidth <= 360), 'horizontal scroll at 360 px');
  expect(await page.evaluate(() => [...document.querySelectorAll('input, select, button')].every((e) =>
    e.labels?.length || e.getAttribute('aria-label') || e.textContent.trim())), 'a control without a label');
  writeFileSync(join(outDir, 'timings.txt'), timings.join('\n') + '\n');
}

if (section === 'HostileInput') {
  // The policy: script by hash, no inline script else.
  const bar = readFileSync(join(examplesDir, 'opening-bar.toml'), 'utf8'), html = readFileSync(pagePath, 'utf8');
  const policy = /http-equiv="Content-Security-Policy" content="([^"]*)"/.exec(html)?.[1] ?? '';
  const directives = Object.fromEntries(policy.split(';').map((d) => d.trim().split(/\s+/)).map(([k, ...v]) => [k, v]));
  const scripts = [...html.matchAll(/<script\b[^>]*>([\s\S]*?)<\/script>/g)].map((m) => m[1]);
  const unitOf = (key) => page.$eval(`#key-${key}`, (i) => i.closest('.field').querySelector('.unit').textContent);
  const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;
  expect(scripts.length === 1 && JSON.stringify(directives['script-src']) === JSON.stringify([hash(scripts[0]), "'wasm-unsafe-eval'"]),
    `${scripts.length} scripts, script-src ${directives['script-src']}; expected one, its hash and 'wasm-unsafe-eval' only`);
  expect(!policy.replace(/style-src[^;]*/, '').includes('unsafe-inline'), `'unsafe-inline' beyond style-src: ${policy}`);
  const ran = await page.evaluate(() => new Promise((resolve) => {
    document.body.append(Object.assign(document.createElement('script'), { textContent: 'window.injected = 1' }));
    const b = document.body.appendChild(document.createElement('button'));
    b.setAttribute('onclick', 'window.injected = 2');
    b.click();
    setTimeout(() => resolve(window.injected ?? 0), 200);
  }));
  expect(ran === 0, `an inline script or handler ran (${ran}) under the page's policy`);
  expect(await analyse(), 'the page analyses under its policy');

  // Unit files named US or SI get entries of their own.
  for (const [name, builtinPressure] of [['US', 'psi'], ['SI', 'MPa']]) {
    await page.selectOption('#example', 'opening-viii1.toml');
    await page.setInputFiles('#load-units', file(name, readFileSync(join(examplesDir, 'units-bar.toml'))));
    expect(await unitsShown(`./${name} units`) && await unitOf('P') === 'bar', `a unit file named ${name} is kept as ./${name}`);
    expect(await analyse() && (await page.evaluate(() => window.tx14Page.last.item.units)) === `./${name}`,
      `${name}: the item saved names ./${name}`);
    await page.check(`#units-${name}`);
    expect(await unitOf('P') === builtinPressure, `the built-in ${name} after a unit file named ${name}: P in ${await unitOf('P')}`);
  }

  // An item naming a unit file not yet loaded waits for it, whatever the name
  // (those an object holds of its own among them).
  for (const name of ['bar.toml', 'constructor', '__proto__', 'toString', 'hasOwnProperty']) {
    await page.selectOption('#example', 'opening-viii1.toml');
    await page.setInputFiles('#load-toml', file('odd.toml', bar.replace('= "units-bar.toml"', `= "${name}"`)));
    expect(await loadMessage(`"${name}": load it`) && await value('P') === '100', `units = "${name}": the page asks for the unit file, the form kept`);
    await page.setInputFiles('#load-units', join(examplesDir, 'units-bar.toml'));
    expect(await unitsShown(`${name} units`, '760') && await analyse(), `units = "${name}": not analysed`);
  }

  // Values the form cannot hold as texts: refused by key and type.
  await page.setInputFiles('#load-toml', file('typed.toml', bar.replace('P   = 7.0', 'P = [7.0]').replace('T   = 150.0', 'T = 1979-05-27')));
  expect(await loadMessage('typed.toml: key "P" expects a number or a text, found an array; key "T" expects a number or a text,'
    + ' found a date or time'), 'an item file with an array and a date');

  // A text far too long: one error in its field as it is typed, and Analyse says why it does not run.
  await page.selectOption('#example', 'opening-viii1.toml');
  const long = 'x'.repeat(5000), errors = (key) => page.$$eval(`#key-${key}-message .error`, (l) => l.map((e) => e.textContent));
  await page.fill('#key-description', long);
  await page.press('#key-description', 'End');
  await page.keyboard.type('yz');
  expect(await shows(() => document.querySelector('#summary').textContent.includes('problem')), 'a long text checked as typed');
  const field = await errors('description');
  expect(field.length === 1 && field[0].includes('longer than 15 characters') && await page.$$eval('#messages .error', (l) => l.length) === 0,
    `one error, in the field, of a long text: ${JSON.stringify(field).slice(0, 200)}`);
  await page.click('#analyse');
  const summary = await page.textContent('#summary');
  expect(summary.startsWith('Not analysed') && summary.includes('"description"') && summary.length < 200
    && await page.isHidden('#result'), `Analyse with a long text: ${summary.slice(0, 200)}`);
  await page.fill('#key-P', long);
  const number = await shows(() => document.querySelector('#key-P-message .error')).then(() => errors('P'));
  expect(number.length === 1 && number[0].length < 120, `a long number shown in short: ${number[0]?.slice(0, 200)}`);
}

if (section === 'Editing') {
  const analysed = () => shows(() => document.querySelector('#result[data-ms]') && !document.querySelector('#result').hidden);
  // The answer is off the screen: verdict and sheet hidden, Save sheet and Print not to be used.
  const stale = () => page.evaluate(() => {
    const visible = (e) => !e.hidden && !e.closest('[hidden]') && e.getClientRects().length > 0;
    return !visible(document.querySelector('#verdict')) && !visible(document.querySelector('#sheet'))
      && ['#save-sheet', '#print'].every((s) => !visible(document.querySelector(s)) || document.querySelector(s).disabled)
      && window.tx14Page.last === null;
  });

  // Stale answers: every kind of edit hides the answer at once.
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
    if (valid) expect(await analysed(), `${what}: the valid item is not analysed again`);
    else expect(await page.waitForTimeout(700).then(stale) && (await page.textContent('#summary')).includes('problem'),
      `${what}: an invalid item is not analysed (${await page.textContent('#summary')})`);
  }
  const [P, t, project] = await page.evaluate(() => ['P', 't', 'project'].map((k) => window.tx14Page.last?.item[k]));
  expect(P?.unit === 'MPa' && Math.abs(t?.value - 114.3) < 1e-3 && project === 'P-7',
    `the answer is of the last edit: ${JSON.stringify([P, t, project])}`);
  await page.fill('input[name=P]', 'x');

  // Kind and code switches keep what was typed; so does a reload.
  await page.selectOption('#kind', 'jacket');
  await page.fill('input[name=D]', '72');
  await page.selectOption('#code', 'PD5500');
  await page.selectOption('#kind', 'opening');
  expect(await value('P') === 'x' && await value('description') === 'Bottom head' && await value('project') === 'P-7',
    'back to the opening as it was left, the sheet texts kept');
  await page.selectOption('#kind', 'jacket');
  expect(await value('D') === '72' && await page.inputValue('#code') === 'PD5500', 'back to the jacket as it was left');
  await page.setInputFiles('#load-units', join(examplesDir, 'units-bar.toml')).then(() => unitsShown('units-bar.toml'));
  const fields = () => page.$$eval('.field input', (l) => l.map((i) => `${i.name}=${i.value}`).join(' '));
  const before = await fields();
  await open();
  expect(await page.inputValue('#kind') === 'jacket' && await fields() === before && await unitsShown('units-bar.toml'),
    'a reload keeps the item and its unit file');
  await page.selectOption('#kind', 'opening');
  expect(await value('description') === 'Bottom head', 'a reload keeps what was typed for the other kind');

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
  }
  expect(await page.inputValue('#code') === 'VIII-2' && await value('P') === '7' && await unitsShown('US units'),
    'a refused unit file falls back to US units');

  // Sheet texts with markup and accents: in the saved item as tx14 reads it, and loaded back.
  const sheetTexts = { project: 'Plant 7 — revamp', prepared_by: 'A. Ingénieur', approved_by: '<b>C</b> & "D"' };
  await page.selectOption('#example', 'jacket-viii2.toml');
  for (const [key, text] of Object.entries(sheetTexts)) await page.fill(`input[name=${key}]`, text);
  expect(await analysed(), 'analysed with the sheet texts');
  const withTexts = await save(outDir), item = runJson(withTexts).item;
  expect(Object.entries(sheetTexts).every(([k, v]) => item[k] === v), `the saved sheet texts: ${JSON.stringify(item)}`);
  await page.selectOption('#example', 'coil-pd5500.toml');
  expect(await value('project') === '', 'an example fills the sheet texts too');
  await page.setInputFiles('#load-toml', withTexts);
  expect(await shows((t) => document.querySelector('#code').value === 'VIII-2' && document.querySelector('#key-D')?.value === '48'
    && Object.entries(t).every(([k, v]) => document.querySelector(`input[name=${k}]`).value === v), sheetTexts),
    'a saved item loads back, its sheet texts with it');

  // The sketch beside the form: the focused dimension lit with its typed value.
  const lit = () => page.evaluate(() => [...window.tx14Page.sketch.matchAll(/<text class="label focus"[^>]*>([^<]*)<\/text>/g)]
    .map((m) => m[1]).join());
  await page.selectOption('#example', 'jacket-appendix-ee.toml');
  await page.focus('input[name=Tj]');
  await page.fill('input[name=Tj]', '0.4375');
  expect((await lit()).startsWith('Tj = 0.4375') && (await page.textContent('#sketch-caption')).startsWith('Tj: '),
    `the focused Tj lit with its typed value: ${await lit()}`);
  await page.focus('input[name=description]');
  expect(await lit() === '', `a text field lights no dimension: ${await lit()}`);
}

await browser.close();
finish();
