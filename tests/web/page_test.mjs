// txappendix14.html in headless Chromium, opened from file:// with the
// network blocked: each example typed into the form and analysed must give
// tx14's report records byte for byte and its results, values, checks and
// verdict; its saved TOML run through tx14 must give the same again, and
// tx14's calculation sheet of it must be the page's, byte for byte.
//
// node page_test.mjs TX14 PAGE EXAMPLES_DIR OUT_DIR   (TX14_NODE_MODULES: playwright-core)
import { copyFileSync, mkdirSync, readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { exampleKeys, expect, failures, finish, launch, runTx14 } from '../support/browser.mjs';

const [tx14, pagePath, examplesDir, outDir] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });

const tx14Run = (args, options) => runTx14(tx14, ['run', ...args], options);
const runJson = (file) => JSON.parse(tx14Run(['--json', file]));
// What the page and tx14 must agree on.
const KEYS = ['fatal_errors', 'results', 'values', 'checks', 'verdict', 'governing', 'reasons', 'notes', 'warnings',
  'report'];
const agreed = (j) => JSON.stringify(KEYS.map((k) => j[k]));
const SHEET_KEYS = ['project', 'vessel', 'drawing', 'revision', 'purpose', 'prepared_by', 'checked_by', 'approved_by'];

const { browser, context } = await launch(/^(file|blob|data):/,
  { acceptDownloads: true, viewport: { width: 1100, height: 1400 } });
const page = await context.newPage();
page.on('pageerror', (e) => failures.push(`page error: ${e.message}`));
await page.goto(`file://${pagePath}`);
await page.waitForFunction(() => window.tx14Page);

const shot = new Set(), saved = {};
const timings = [];
for (const name of readdirSync(examplesDir).filter((f) => f.endsWith('.toml')).sort()) {
  const keys = exampleKeys(join(examplesDir, name));
  if (!keys.kind) continue;  // the unit file
  const unitFile = !['US', 'SI'].includes(keys.units);
  await page.selectOption('#kind', keys.kind);
  await page.selectOption('#code', keys.code);
  if (!unitFile) await page.check(`#units-${keys.units}`);
  else {
    await page.setInputFiles('#load-units', join(examplesDir, keys.units));
    await page.locator('#numbers legend', { hasText: keys.units }).waitFor();
  }
  for (const input of await page.locator('.field input').all()) await input.fill('');
  for (const [key, value] of Object.entries(keys))
    if (!['kind', 'code', 'units'].includes(key)) await page.fill(`input[name=${key}]`, String(value));
  await page.click('#analyse');
  await page.waitForSelector('#result[data-ms]');
  const got = await page.evaluate(() => window.tx14Page.last);
  timings.push(`${name} ${got.ms.toFixed(1)} ms`);
  const want = runJson(join(examplesDir, name));
  for (const k of KEYS.filter((k) => JSON.stringify(got[k]) !== JSON.stringify(want[k])))
    failures.push(`${name}: "${k}" differs from tx14's:\n  page ${JSON.stringify(got[k])}\n  tx14 ${JSON.stringify(want[k])}`);
  expect((await page.textContent('#verdict')).startsWith(want.verdict.toUpperCase()), `${name}: verdict banner`);

  // The saved item runs the same through tx14, and its sheet is the page's.
  const download = page.waitForEvent('download');
  await page.click('#save-toml');
  const dir = join(outDir, name.replace('.toml', ''));
  mkdirSync(dir, { recursive: true });
  if (unitFile) copyFileSync(join(examplesDir, keys.units), join(dir, keys.units));
  await (await download).saveAs((saved[name] = join(dir, got.source.name)));
  expect(agreed(runJson(saved[name])) === agreed(want), `${name}: its saved TOML runs differently through tx14`);
  const epoch = String(Date.parse(got.source.dateTime.replace(' UTC', 'Z')) / 1000);
  tx14Run(['--html', 'sheet.html', got.source.name], { cwd: dir, env: { ...process.env, SOURCE_DATE_EPOCH: epoch } });
  writeFileSync(join(dir, 'page-sheet.html'), got.sheet);
  expect(readFileSync(join(dir, 'sheet.html'), 'utf8') === got.sheet, `${name}: the sheet differs from tx14's (${dir})`);

  if (!shot.has(keys.kind)) {
    shot.add(keys.kind);
    await page.screenshot({ path: join(outDir, `${keys.kind}.png`) });
  }
}

// US to SI and back: temperatures take their offset, the rest their factor.
await page.selectOption('#example', 'opening-viii1.toml');
const typed = () => page.$$eval('#numbers input', (l) => l.map((i) => i.value).join(' '));
const us = await typed();
await page.check('#units-SI');
expect(await page.inputValue('#key-T') === '148.889' && await page.inputValue('#key-P') === '0.689476', 'US to SI');
await page.check('#units-US');
expect(await typed() === us.replace(/\.0\b/g, ''), `SI to US: ${await typed()} for ${us}`);

// A saved item loads back.
await page.setInputFiles('#load-toml', saved['coil-pd5500.toml']);
const shows = (f, arg) => page.waitForFunction(f, arg, { timeout: 5000 }).then(() => true, () => false);
expect(await shows(() => document.querySelector('#code').value === 'PD5500' && document.querySelector('#key-Pj')?.value === '100'),
  'loading a saved item');
// An item naming a unit file not yet loaded waits for it.
const bar = readFileSync(join(examplesDir, 'opening-bar.toml'), 'utf8').replace('= "units-bar.toml"', '= "bar.toml"');
await page.setInputFiles('#load-toml', { name: 'bar-item.toml', mimeType: 'text/plain', buffer: Buffer.from(bar) });
expect(await shows(() => document.querySelector('#load-messages').textContent.includes('Load unit file')), 'asking for the unit file');
await page.setInputFiles('#load-units', join(examplesDir, 'units-bar.toml'));
expect(await shows(() => document.querySelector('#numbers legend').textContent.includes('bar.toml units')
  && document.querySelector('#key-Bn').value === '760'), 'loading an item with its unit file');
// tx14's limits: files over 1 MiB, nesting over 64 levels.
for (const [name, text, message] of [['big.toml', ' '.repeat((1 << 20) + 1), 'larger than 1 MiB'],
  ['deep.toml', `[${Array(66).fill('a').join('.')}]\nx = 1\n`, 'nested more than 64 levels']]) {
  await page.setInputFiles('#load-toml', { name, mimeType: 'text/plain', buffer: Buffer.from(text) });
  expect(await shows((m) => document.querySelector('#load-messages').textContent.includes(m), message), `${name} refused`);
}

// 360 px wide: nothing scrolls sideways, form or sheet.
await page.setViewportSize({ width: 360, height: 800 });
await page.click('#analyse');
await page.waitForSelector('#result[data-ms]');
expect(await page.evaluate(() => document.documentElement.scrollWidth <= 360), 'horizontal scroll at 360 px');
await page.screenshot({ path: join(outDir, 'narrow.png') });

expect(await page.evaluate(() => [...document.querySelectorAll('input, select, button')].every((e) =>
  e.labels?.length || e.getAttribute('aria-label') || e.textContent.trim())), 'a control without a label');
await browser.close();
writeFileSync(join(outDir, 'timings.txt'), timings.join('\n') + '\n');
console.log(timings.join('\n'));
finish();
