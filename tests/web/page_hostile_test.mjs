// txappendix14.html in headless Chromium against what a file, a name or a
// typed text may hold: the page's policy runs its one script and no other,
// a unit file never stands in for US or SI, unit names that are names of an
// object's own ("constructor", "__proto__", "toString") are names like any
// other, and a text far too long is one error in its field, not an
// exception at every keystroke.
//
// node page_hostile_test.mjs PAGE EXAMPLES_DIR OUT_DIR   (TX14_NODE_MODULES: playwright-core)
import { createHash } from 'node:crypto';
import { mkdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { expect, failures, finish, launch } from '../support/browser.mjs';

const [pagePath, examplesDir, outDir] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });

const { browser, context } = await launch(/^(file|blob|data):/, { viewport: { width: 1100, height: 1400 } });
const page = await context.newPage();
let errors = [];  // the page's exceptions since the last look
page.on('pageerror', (e) => errors.push(e.message));
const noErrors = (what) => {
  expect(errors.length === 0, `${what}: page errors ${JSON.stringify(errors)}`);
  errors = [];
};
await page.goto(`file://${pagePath}`);
await page.waitForFunction(() => window.tx14Page);

const shows = (f, arg) => page.waitForFunction(f, arg, { timeout: 5000 }).then(() => true, () => false);
const file = (name, text) => ({ name, mimeType: 'text/plain', buffer: Buffer.from(text) });
const unitsBar = readFileSync(join(examplesDir, 'units-bar.toml'), 'utf8');
const legend = () => page.textContent('#numbers legend');
const unitOf = (key) => page.$eval(`#key-${key}`, (i) => i.closest('.field').querySelector('.unit').textContent);

async function analysed() {
  await page.evaluate(() => document.querySelector('#result').removeAttribute('data-ms'));
  await page.click('#analyse');
  return shows(() => document.querySelector('#result[data-ms]'));
}

// ---- The policy: script by hash, no inline script else ----------------------
const html = readFileSync(pagePath, 'utf8');
const policy = /http-equiv="Content-Security-Policy" content="([^"]*)"/.exec(html)?.[1] ?? '';
const directives = Object.fromEntries(policy.split(';').map((d) => d.trim().split(/\s+/)).map(([k, ...v]) => [k, v]));
const scripts = [...html.matchAll(/<script\b[^>]*>([\s\S]*?)<\/script>/g)].map((m) => m[1]);
const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;
expect(scripts.length === 1, `the page holds ${scripts.length} scripts; expected one`);
expect(JSON.stringify(directives['script-src']) === JSON.stringify([hash(scripts[0] ?? ''), "'wasm-unsafe-eval'"]),
  `script-src is ${directives['script-src']}; expected the script's hash and 'wasm-unsafe-eval' only`);
expect(!policy.replace(/style-src[^;]*/, '').includes('unsafe-inline'), `'unsafe-inline' beyond style-src: ${policy}`);
const injected = await page.evaluate(() => new Promise((resolve) => {
  const blocked = [];
  document.addEventListener('securitypolicyviolation', (e) => blocked.push(e.violatedDirective));
  const s = document.createElement('script');
  s.textContent = 'window.injected = 1';
  document.body.append(s);
  const b = document.createElement('button');
  b.setAttribute('onclick', 'window.injected = 2');
  document.body.append(b);
  b.click();
  b.remove();
  setTimeout(() => resolve({ ran: window.injected ?? 0, blocked }), 200);
}));
expect(injected.ran === 0 && injected.blocked.length === 2,
  `inline script and handler: ran ${injected.ran}, blocked ${JSON.stringify(injected.blocked)}`);
expect(await analysed(), 'the page analyses under its policy');
noErrors('the policy');

// ---- Unit files named US or SI get entries of their own ----------------------
for (const [name, builtinPressure] of [['US', 'psi'], ['SI', 'MPa']]) {
  await page.selectOption('#example', 'opening-viii1.toml');
  await page.setInputFiles('#load-units', file(name, unitsBar));
  expect(await shows((n) => document.querySelector('#numbers legend').textContent.includes(`./${n} units`), name),
    `a unit file named ${name} is kept as ./${name}: legend "${await legend()}"`);
  expect(await unitOf('P') === 'bar', `${name}: the unit file's pressure label`);
  await page.screenshot({ path: join(outDir, `unit-file-named-${name}.png`) });
  expect(await analysed() && (await page.evaluate(() => window.tx14Page.last.item.units)) === `./${name}`,
    `${name}: the item saved names ./${name}`);
  await page.check(`#units-${name}`);
  expect(await unitOf('P') === builtinPressure, `the built-in ${name} after a unit file named ${name}: P in ${await unitOf('P')}`);
  noErrors(`a unit file named ${name}`);
}

// ---- Unit names that an object holds of its own ---------------------------------
const bar = readFileSync(join(examplesDir, 'opening-bar.toml'), 'utf8');
for (const name of ['constructor', '__proto__', 'toString', 'hasOwnProperty']) {
  await page.selectOption('#example', 'opening-viii1.toml');
  await page.setInputFiles('#load-toml', file('odd.toml', bar.replace('= "units-bar.toml"', `= "${name}"`)));
  expect(await shows((n) => document.querySelector('#load-messages').textContent.includes(`"${n}": load it`), name),
    `units = "${name}": the page asks for the unit file`);
  expect(await page.inputValue('#key-P') === '100', `units = "${name}": the form stays as it was`);
  await page.setInputFiles('#load-units', join(examplesDir, 'units-bar.toml'));
  expect(await shows((n) => document.querySelector('#numbers legend').textContent.includes(`${n} units`)
    && document.querySelector('#key-Bn').value === '760', name), `units = "${name}": the item with its unit file`);
  expect(await analysed(), `units = "${name}": analysed`);
  noErrors(`units = "${name}"`);
}

// ---- A text far too long ------------------------------------------------------------
await page.selectOption('#example', 'opening-viii1.toml');
const long = 'x'.repeat(5000);
await page.fill('#key-description', long);
await page.press('#key-description', 'End');
await page.keyboard.type('yz');
expect(await shows(() => document.querySelector('#summary').textContent.includes('problem')), 'a long text checked as typed');
noErrors('typing into a 5000-character text');
const field = await page.$$eval('#key-description-message .error', (l) => l.map((e) => e.textContent));
expect(field.length === 1 && field[0].includes('longer than 15 characters'),
  `one error in the field of a long text: ${JSON.stringify(field).slice(0, 200)}`);
expect(await page.$$eval('#messages .error', (l) => l.length) === 0, 'the long text reported again below the form');
expect(!(await page.textContent('#summary')).includes('Ready'), `summary: ${await page.textContent('#summary')}`);
await page.click('#analyse');
const summary = await page.textContent('#summary');
expect(summary.startsWith('Not analysed') && summary.includes('"description"') && summary.length < 200,
  `Analyse with a long text says why it does not run: ${summary.slice(0, 200)}`);
expect(await page.isHidden('#result'), 'the last verdict stays beside a form it is not of');
await page.screenshot({ path: join(outDir, 'long-text.png') });
await page.fill('#key-P', long);
await shows(() => document.querySelector('#key-P-message .error'));
const numberField = await page.$$eval('#key-P-message .error', (l) => l.map((e) => e.textContent));
expect(numberField.length === 1 && numberField[0].length < 120, `a long number shown in short: ${numberField[0]?.slice(0, 200)}`);
await page.fill('#key-description', 'Top head');
await page.fill('#key-P', '100');
expect(await analysed(), 'analysed once the text is short again');
noErrors('a long text');

await browser.close();
finish();
