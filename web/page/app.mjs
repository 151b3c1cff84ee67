// The page: a form per kind and code from the key table, checked as it is
// typed; Analyse runs the item and shows the verdict and the sheet; items
// are saved and loaded as tx14 item files.
import { loadCore, floatNumber, toCp1252 } from './core.mjs';
import { itemToml, readItemFile, readUnitFile } from './toml.mjs';

const $ = (id) => document.getElementById(id);
const NUMBER = /^[+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d+)?$/;
const LARGEST_ITEM = 16777216;
// A typed text quoted in a message: a pasted page is not repeated whole.
const shortened = (text) => (text.length > 40 ? `${text.slice(0, 40)}…` : text);

let core, examples, last = null, pending = null;  // pending: a loaded item awaiting its unit file
const state = { kind: null, code: null, units: 'US' };

function element(tag, attributes = {}, ...children) {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attributes))
    if (v !== undefined && v !== false) e.setAttribute(k, v === true ? '' : v);
  e.append(...children);
  return e;
}

const kindKeys = () => core.kinds.find((k) => k.name === state.kind);
const codeNumber = () => kindKeys().codes.find((c) => c.name === state.code).number;
const unitLabel = (quantity) => {
  const u = core.unitName(core.units.get(state.units), quantity);
  return quantity === 'temperature' && u ? `°${u}` : u;
};

// The number keys the form shows: the key table's, with DN after NPS.
function numberKeys() {
  const keys = [];
  for (const k of kindKeys().numbers) {
    keys.push(k);
    if (k.name === 'NPS')
      keys.push({ name: 'DN', quantity: 'dimensionless', required: 0, instead: '',
        meaning: 'nominal size DN, instead of NPS (80 for NPS 3)' });
  }
  return keys;
}

// ---- The form -------------------------------------------------------------

function fillSelect(select, names, chosen) {
  select.replaceChildren(...names.map((n) => element('option', { value: n, selected: n === chosen }, n)));
}

function field(key, required) {
  const id = `key-${key.name}`, unit = key.quantity ? unitLabel(key.quantity) : '';
  const input = element('input', { id, name: key.name, type: 'text', autocomplete: 'off', spellcheck: 'false',
    inputmode: key.quantity ? 'decimal' : undefined, 'aria-required': required ? 'true' : undefined,
    'aria-describedby': `${id}-meaning ${id}-message` });
  const title = key.instead ? `${key.meaning}; ${key.instead} may stand in` : key.meaning;
  return element('div', { class: 'field' },
    element('label', { for: id }, element('span', { class: 'symbol' }, key.name),
      required ? element('abbr', { class: 'required', title: 'required' }, '*') : ''),
    element('span', { class: 'meaning', id: `${id}-meaning` }, title),
    element('span', { class: 'input' }, input, element('span', { class: 'unit' }, unit)),
    element('span', { class: 'message', id: `${id}-message`, 'aria-live': 'polite' }));
}

function buildForm(values) {
  const kind = kindKeys(), bit = 1 << codeNumber();
  $('texts').replaceChildren(element('legend', {}, 'Item'),
    field({ name: 'item', meaning: 'item number (a whole number)' }, false),
    ...kind.texts.map((k) => field(k, false)));
  $('numbers').replaceChildren(element('legend', {}, `Values (${state.units} units)`),
    ...numberKeys().map((k) => field(k, (k.required & bit) !== 0)));
  setValues(values);
  check();
}

function setValues(values) {
  for (const input of document.querySelectorAll('#texts input, #numbers input'))
    input.value = values[input.name] ?? '';
}

function formValues() {
  const out = {};
  for (const input of document.querySelectorAll('#texts input, #numbers input'))
    if (input.value.trim() !== '') out[input.name] = input.value.trim();
  return out;
}

// The form's values checked as tx14 checks an item file's, then by the
// core: { given (for the core), saved (for the file), errors, warnings }.
function readForm() {
  const kind = kindKeys(), typed = formValues(), errors = [];
  const given = { kind: state.kind, code: state.code, units: state.units, numbers: {}, texts: {} };
  const saved = { kind: state.kind, code: state.code, units: state.units, numbers: {}, texts: {} };
  if (typed.item !== undefined) {
    const n = Number(typed.item);
    if (!/^[+-]?\d+$/.test(typed.item)) errors.push('key "item" expects a whole number');
    else if (Math.abs(n) > LARGEST_ITEM) errors.push('key "item": expected a whole number from -16777216 to 16777216');
    else given.item = saved.item = n;
  }
  for (const t of kind.texts) {
    if (typed[t.name] === undefined) continue;
    const c = toCp1252(typed[t.name]);
    if (c.problem) errors.push(`key "${t.name}": ${c.problem}`);
    else [given.texts[t.name], saved.texts[t.name]] = [c.bytes, typed[t.name]];
  }
  for (const k of numberKeys()) {
    const text = typed[k.name];
    if (text === undefined) continue;
    const v = Number(text);
    if (!NUMBER.test(text)) errors.push(`key "${k.name}" expects a number, found "${shortened(text)}"`);
    else if (!Number.isFinite(v)) errors.push(`key "${k.name}": the value is not finite; expected a finite number`);
    else given.numbers[k.name] = saved.numbers[k.name] = v;
  }
  // The core checks the rest; a key already found wrong is not also missing.
  const built = buildItem(given), wrong = new Set(errors.map(keyOf));
  const others = built.errors.filter((m) => !wrong.has(keyOf(m)));
  return { given, saved, built, errors: [...errors, ...others], warnings: built.warnings };
}

// The core's build of the item; what it throws (out of memory) is an error
// of the form like any other, not an exception at every keystroke.
function buildItem(given) {
  try {
    return core.build(given);
  } catch (e) {
    return { errors: [e.message], warnings: [] };
  }
}

// The key a message is about: `key "X"` or `"X"` at its start.
const keyOf = (message) => /^(?:missing )?(?:key )?"([^"]+)"/.exec(message)?.[1];

function check() {
  const form = readForm();
  for (const m of document.querySelectorAll('.field .message')) m.replaceChildren();
  for (const i of document.querySelectorAll('.field input')) i.removeAttribute('aria-invalid');
  const general = [];
  const show = (message, kind) => {
    const target = $(`key-${keyOf(message)}-message`);
    if (!target) return general.push([message, kind]);
    target.append(element('span', { class: kind }, message));
    if (kind === 'error') $(`key-${keyOf(message)}`).setAttribute('aria-invalid', 'true');
  };
  form.errors.forEach((m) => show(m, 'error'));
  form.warnings.forEach((m) => show(m, 'warning'));
  $('messages').replaceChildren(...general.map(([m, kind]) => element('p', { class: kind }, m)));
  $('summary').textContent = form.errors.length
    ? `${form.errors.length} problem${form.errors.length > 1 ? 's' : ''} to fix before the item can run`
    : form.warnings.length ? `Ready to analyse, with ${form.warnings.length} warning${form.warnings.length > 1 ? 's' : ''}` : 'Ready to analyse';
  $('summary').className = form.errors.length ? 'error' : 'ready';
  return form;
}

// ---- Kind, code, units, examples -------------------------------------------

function chooseKind(kind, code, values) {
  state.kind = kind;
  const codes = kindKeys().codes.map((c) => c.name);
  state.code = codes.includes(code) ? code : codes[0];
  fillSelect($('kind'), core.kinds.map((k) => k.name), state.kind);
  fillSelect($('code'), codes, state.code);
  for (const r of document.querySelectorAll('input[name=units]')) r.checked = r.value === state.units;
  buildForm(values ?? exampleValues());
}

// The values of the example closest to the kind, code and units chosen.
function exampleValues() {
  const score = (e) => (e.kind === state.kind) * 4 + (e.code === state.code) * 2 + (e.units === state.units);
  const best = examples.filter((e) => e.kind === state.kind).sort((a, b) => score(b) - score(a))[0];
  if (!best) return {};
  return best.units === state.units ? best.values : convertValues(best.values, best.units, state.units);
}

// Numbers of one unit system in another, to 6 significant digits.
function convertValues(values, from, to) {
  const out = { ...values };
  for (const k of numberKeys()) {
    if (out[k.name] === undefined || !k.quantity || k.quantity === 'dimensionless' || !NUMBER.test(out[k.name])) continue;
    const [a, b] = [core.units.get(from), core.units.get(to)];
    const slot = slotOf(k.quantity);
    const offset = (u) => (k.quantity === 'temperature' ? u.factors[7] : 0);
    const internal = (Number(out[k.name]) - offset(a)) / a.factors[slot - 1];
    out[k.name] = String(Number((internal * b.factors[slot - 1] + offset(b)).toPrecision(6)));
  }
  return out;
}

const SLOTS = { length: 1, force: 2, area: 3, volume: 4, moment: 5, stress: 6, temperature: 7, pressure: 9,
  mass: 10, density: 11, diameter: 21, thickness: 22 };
const slotOf = (q) => SLOTS[q];

function chooseExample(name) {
  const e = examples.find((x) => x.name === name);
  state.units = e.units;
  chooseKind(e.kind, e.code, e.values);
}

// ---- Analyse -------------------------------------------------------------------

async function analyse(event) {
  event.preventDefault();
  const start = performance.now();
  $('result').removeAttribute('data-ms');
  const form = check();
  if (form.errors.length) {
    const n = form.errors.length;
    $('summary').textContent = `Not analysed: ${n} problem${n > 1 ? 's' : ''} to fix first. ${form.errors[0]}`;
    $('result').hidden = true;  // the last verdict is not this form's
    (document.querySelector('[aria-invalid=true]') ?? $('summary')).focus();
    return;
  }
  const outcome = core.analyse(state.kind, state.units, form.built);
  const toml = itemToml(kindKeys(), form.saved);
  const source = { name: `${fileStem()}.toml`, sha256: await sha256(toml), dateTime: utcMinute(new Date()) };
  last = { ...jsonOf(outcome, form), source, sheet: core.sheet(form.given, form.built, outcome, source) };
  $('verdict').replaceChildren(verdictText(outcome), ...saidOf(outcome));
  $('verdict').className = `verdict ${outcome.verdict.replace(/ /g, '-')}`;
  showSheet(last.sheet);
  $('result').hidden = false;
  $('verdict').focus();
  // From the click to the sheet on the screen: after the next frame.
  requestAnimationFrame(() => setTimeout(() => {
    last.ms = performance.now() - start;
    $('result').setAttribute('data-ms', last.ms.toFixed(1));
  }));
}

// Beside the verdict: why the item is not analysed, and the notes.
function saidOf(outcome) {
  const items = [...outcome.reasons.map((r) => element('li', { class: 'reason' }, r.text)),
    ...outcome.notes.map((n) => element('li', { class: 'note' }, `Note: ${n.text}`))];
  return items.length ? [element('ul', { class: 'said' }, ...items)] : [];
}

// The verdict and, when there is one, the governing check.
function verdictText(outcome) {
  const g = outcome.checks.find((c) => c.key === outcome.governing);
  const number = (v) => (Number.isFinite(v) ? String(Number(floatNumber(v).toPrecision(5))) : '–');
  if (outcome.verdict === 'not analysed')
    return `NOT ANALYSED${outcome.fatal_errors ? ` — ${outcome.fatal_errors} fatal input error${outcome.fatal_errors > 1 ? 's' : ''}` : ''}`;
  return outcome.verdict.toUpperCase() + (g ? ` — governing: ${g.label}, ${number(g.value)} ${g.relation} ${number(g.limit)}`
    + ` ${g.unit} (utilization ${Number.isFinite(g.utilization) ? g.utilization.toFixed(3) : '–'})` : '');
}

// The SHA-256 of a text as UTF-8, in hex, as the sheet names its input.
async function sha256(text) {
  if (!crypto.subtle) return '';
  const digest = await crypto.subtle.digest('SHA-256', new TextEncoder().encode(text));
  return [...new Uint8Array(digest)].map((b) => b.toString(16).padStart(2, '0')).join('');
}

const utcMinute = (d) => `${d.toISOString().slice(0, 16).replace('T', ' ')} UTC`;

// On a narrow screen what is wider than the screen scrolls by itself.
const NARROW_SHEET = `@media screen and (max-width: 50em) {
  table, .report, svg { display: block; max-width: 100%; overflow-x: auto; } }`;

// The sheet, a whole HTML document, in the page: its styles and body in a
// shadow root, where they neither take nor give the page's styles.
function showSheet(html) {
  const parsed = new DOMParser().parseFromString(html, 'text/html');
  const root = $('sheet').shadowRoot ?? $('sheet').attachShadow({ mode: 'open' });
  root.replaceChildren(...parsed.head.querySelectorAll('style'), element('style', {}, NARROW_SHEET),
    ...parsed.body.childNodes);
  // Paper size and margins apply to the page, not inside a shadow root.
  $('paper').textContent = [...root.querySelectorAll('style')].map((e) => e.textContent.match(/@page\s*\{[^}]*\}/g) ?? []).flat().join('\n');
}

// What `tx14 run --json` says of the item: results, values, checks,
// verdict, report.
function jsonOf(outcome, form) {
  const units = core.units.get(state.units);
  const results = Object.fromEntries(outcome.results.map((r) => {
    if (r.value === null) return [r.key, null];
    const display = Math.fround(r.quantity === 'temperature'
      ? Math.fround(r.value * Math.fround(units.factors[6])) + Math.fround(units.factors[7])
      : r.quantity === 'dimensionless' ? r.value : r.value * Math.fround(units.factors[slotOf(r.quantity) - 1]));
    return [r.key, floatNumber(display)];
  }));
  return {
    fatal_errors: outcome.fatal_errors, results,
    values: Object.fromEntries(outcome.values.map((v) => [v.key, { value: floatNumber(v.display), unit: v.unit, label: v.label }])),
    checks: outcome.checks.map((c) => ({ key: c.key, label: c.label, value: floatNumber(c.value), limit: floatNumber(c.limit),
      unit: c.unit, relation: c.relation, passes: c.passes, utilization: floatNumber(c.utilization),
      applicable: c.applicable })),
    verdict: outcome.verdict, governing: outcome.governing, reasons: outcome.reasons, notes: outcome.notes,
    report: outcome.report,
    warnings: form.warnings, item: form.saved,
  };
}

// ---- Files -----------------------------------------------------------------------

function download(name, type, text) {
  const a = element('a', { href: URL.createObjectURL(new Blob([text], { type })), download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

const fileStem = () => (formValues().description || `${state.kind}-${state.code}`).replace(/[^\w.-]+/g, '-');

function saveToml() {
  const form = check();
  if (form.errors.length) return $('summary').focus();
  download(`${fileStem()}.toml`, 'application/toml', itemToml(kindKeys(), form.saved));
}

async function loadToml(file) {
  $('load-messages').replaceChildren();
  pending = null;
  try {
    const entries = readItemFile(file.name, new Uint8Array(await file.arrayBuffer()));
    const item = fromEntries(file.name, entries);
    if (!core.units.has(item.units)) {
      pending = item;
      throw new Error(`${file.name} gives its values in the unit file "${item.units}": load it with Load unit file…`);
    }
    state.units = item.units;
    chooseKind(item.kind, item.code, item.values);
  } catch (e) {
    $('load-messages').append(element('p', { class: 'error' }, e.message));
    $('load-messages').focus();
  }
}

// A unit file for the item waiting for it (under the name the item gives
// it, which its saved TOML keeps), else for the form's values, converted.
async function loadUnits(file) {
  $('load-messages').replaceChildren();
  try {
    const { factors, labels } = readUnitFile(file.name, new Uint8Array(await file.arrayBuffer()));
    let name;
    try {
      name = core.unitFile(pending?.units ?? file.name, factors, labels);
    } catch (e) {
      throw new Error(`${file.name}: ${e.message}`);
    }
    const item = pending ?? { kind: state.kind, code: state.code, values: convertValues(formValues(), state.units, name) };
    pending = null;
    state.units = name;
    chooseKind(item.kind, item.code, item.values);
  } catch (e) {
    $('load-messages').append(element('p', { class: 'error' }, e.message));
    $('load-messages').focus();
  }
}

// An item file's entries as the form's values; kind and code must be ones
// the page knows, every other key one of the kind's.
function fromEntries(name, entries) {
  const get = (key) => entries.find((e) => e.key === key)?.value;
  const problems = [];
  const text = (key, valid) => {
    const v = get(key);
    if (typeof v !== 'string' || !valid.includes(v)) {
      problems.push(`key "${key}": expected ${valid.map((x) => `"${x}"`).join(' or ')}`);
      return valid[0];
    }
    return v;
  };
  const kind = text('kind', core.kinds.map((k) => k.name));
  const keys = core.kinds.find((k) => k.name === kind);
  const code = text('code', keys.codes.map((c) => c.name));
  const units = typeof get('units') === 'string' && get('units') !== '' ? get('units') : text('units', ['US', 'SI']);
  const values = Object.create(null);
  const numbers = [...keys.numbers.map((k) => k.name), 'DN'], texts = keys.texts.map((k) => k.name);
  for (const e of entries) {
    if (['kind', 'code', 'units'].includes(e.key)) continue;
    const v = e.value;
    if (e.key === 'item' ? e.whole && e.exact : numbers.includes(e.key) ? typeof v === 'number' : texts.includes(e.key) ? typeof v === 'string' : false)
      values[e.key] = String(v);
    else if (e.key === 'item' || numbers.includes(e.key) || texts.includes(e.key))
      problems.push(`key "${e.key}" expects ${e.key === 'item' ? 'a whole number' : numbers.includes(e.key) ? 'a number' : 'a text'}, found ${v.other ?? (typeof v === 'string' ? 'a text' : 'a number')}`);
    else problems.push(`unknown key "${e.key}" for ${kind === 'opening' ? 'an' : 'a'} ${kind} item`);
  }
  if (problems.length) throw new Error(`${name}: ${problems.join('; ')}`);
  return { kind, code, units, values };
}

function saveSheet() {
  if (last) download(`${fileStem()}-sheet.html`, 'text/html', last.sheet);
}

// ---- Start -----------------------------------------------------------------------

export async function start(moduleBytes, exampleFiles) {
  core = await loadCore(moduleBytes);
  $('version').textContent = core.version;
  examples = exampleFiles.map(({ name, bytes }) => {
    try {
      return { name, ...fromEntries(name, readItemFile(name, bytes)) };
    } catch {
      return null;  // a unit file
    }
  }).filter((e) => e && core.units.has(e.units));
  fillSelect($('example'), ['', ...examples.map((e) => e.name)], '');
  $('example').options[0].textContent = 'choose…';
  $('kind').addEventListener('change', () => chooseKind($('kind').value, state.code));
  $('code').addEventListener('change', () => { state.code = $('code').value; buildForm(formValues()); });
  for (const r of document.querySelectorAll('input[name=units]'))
    r.addEventListener('change', () => {
      const values = convertValues(formValues(), state.units, r.value);
      state.units = r.value;
      buildForm(values);
    });
  $('example').addEventListener('change', () => $('example').value && chooseExample($('example').value));
  $('item-form').addEventListener('input', (e) => e.target.closest('.field') && check());
  $('item-form').addEventListener('submit', analyse);
  $('save-toml').addEventListener('click', saveToml);
  // Emptied once read, so that choosing the same file again reads it again.
  const onFile = (id, load) => $(id).addEventListener('change', (e) => {
    const file = e.target.files[0];
    e.target.value = '';
    if (file) load(file);
  });
  onFile('load-toml', loadToml);
  onFile('load-units', loadUnits);
  $('save-sheet').addEventListener('click', saveSheet);
  $('print').addEventListener('click', () => window.print());
  chooseExample(examples[0].name);
  // One sheet made while the page is idle readies the module's code, so
  // that the first Analyse is as quick as the next (350 ms, else 20-30).
  setTimeout(() => {
    const form = readForm();
    if (!form.errors.length)
      core.sheet(form.given, form.built, core.analyse(state.kind, state.units, form.built), { name: '', sha256: '', dateTime: '' });
  }, 100);
  window.tx14Page = { get last() { return last; }, version: core.version };
}
