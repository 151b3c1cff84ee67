// The page: a form per kind and code from the library's key table. Any edit
// hides the last answer; an item the entry accepts is analysed as it is
// typed and its verdict and sheet shown. Items are saved and loaded as tx14
// item files, and the last one is kept in the browser's local storage.
import { loadCore, NO_REPORT } from './core.mjs';
import { itemToml, readItemFile, readUnitFile } from './toml.mjs';
import { $, element, fieldsOf, buildForm, setValues, formValues, showFindings, convertValues } from './form.mjs';
import { store, restore } from './stored.mjs';

// From the last keystroke to the analysis; a run takes tens of ms.
const SETTLE_MS = 200;
const OWN = '#texts input, #numbers input', SHEET = '#sheet-texts input';

let core, keys, builtin, examples = [];
// What the form shows, and what was last typed for each kind:
// kind -> { code, units, values: Map }.
const state = { kind: null, code: null, units: 'US' };
const kept = new Map();
// Unit systems by name, as items and the user give them: the built-in ones
// and the unit files loaded. A Map, where no name is one of an object's own
// ("constructor", "__proto__", "toString").
const unitSystems = new Map();
let last = null;  // the answer on the screen: outcome, source, sheet
let generation = 0;  // of the form's contents; an answer of an earlier one is stale
let settle = 0;
let focused = '';  // the key of the focused number field, highlighted on the sketch
let sketchSvg = null;  // the sketch beside the form
let pending = null;  // a loaded item file awaiting its unit file: { name, entries, units }

const kindKeys = (name = state.kind) => keys.kinds.find((k) => k.name === name);
const fields = () => fieldsOf(keys, kindKeys());
const units = () => unitSystems.get(state.units);
const plural = (n, word) => `${n} ${word}${n > 1 ? 's' : ''}`;

// The item: the values as typed, the unit system by name; for the entry, a
// unit file's by its contents.
const itemOf = (values, forEntry = true) => ({ kind: state.kind, code: state.code,
  units: forEntry && !builtin.includes(state.units) ? units() : state.units, ...Object.fromEntries(values) });

// The entry's outcomes; what it cannot take at all (out of memory) is an
// error of the item like any other, not an exception at every keystroke.
function run(items, flags) {
  try {
    return core.run(items, flags);
  } catch (e) {
    return items.map(() => ({ errors: [{ key: '', message: e.message }], warnings: [] }));
  }
}

// The sketch or the sheet, or null when the module runs out of memory: the
// form works on without its guide, the verdict without its sheet.
function orNull(draw) {
  try {
    return draw();
  } catch {
    return null;
  }
}

// ---- The answer and its staleness ------------------------------------------------

// Any change to the item: the answer on the screen is no longer its own.
function edited() {
  ++generation;
  last = null;
  clearTimeout(settle);
  $('result').hidden = true;
  $('result').removeAttribute('data-ms');
  $('save-sheet').disabled = $('print').disabled = true;
  $('summary').textContent = 'Checking…';
  $('summary').className = 'pending';
  keep();
  showSketch();
  settle = setTimeout(() => refresh(false), SETTLE_MS);
}

// The sketch of the kind being entered, drawn from what was typed (a
// usual component where nothing was), the focused field's dimension
// highlighted. An image: nothing in it can run or restyle the page.
function showSketch() {
  const svg = (sketchSvg = orNull(() => core.sketch(itemOf(formValues(OWN)), focused)));
  const field = fields().find((f) => f.name === focused);
  URL.revokeObjectURL($('sketch').src);
  $('guide').hidden = svg === null;
  if (svg === null) return;
  $('sketch').src = URL.createObjectURL(new Blob([svg], { type: 'image/svg+xml' }));
  $('sketch').alt = `Sketch of the ${state.kind}${field ? `, ${focused} highlighted` : ''}`;
  $('sketch').dataset.focus = field ? focused : '';
  $('sketch-caption').textContent = field ? `${focused}: ${field.meaning}` : 'Sketch: choose a field to see its dimension.';
}

// Checks the form's item and, when the entry accepts it, analyses it and
// shows the answer. `asked`: by Analyse, which moves the focus to it.
async function refresh(asked) {
  clearTimeout(settle);
  const mine = generation, start = performance.now();
  const values = formValues(), item = itemOf(values);
  const [outcome] = run([item]);
  showFindings(outcome.errors, outcome.warnings);
  if (outcome.errors.length) return refused(outcome.errors, asked);
  const toml = itemToml(itemOf(values, false), fields());
  const source = { name: `${fileStem(values)}.toml`, sha256: await sha256(toml), dateTime: utcMinute(new Date()) };
  if (mine !== generation) return;  // edited meanwhile: its own run follows
  const sheet = orNull(() => core.sheet(item, source));
  last = { ...outcome, source, sheet };
  $('summary').textContent = `Analysed${outcome.warnings.length ? `, with ${plural(outcome.warnings.length, 'warning')}` : ''}`;
  $('summary').className = 'ready';
  $('verdict').replaceChildren(verdictText(outcome), ...saidOf(outcome));
  $('verdict').className = `verdict ${outcome.verdict.replace(/ /g, '-')}`;
  showSheet(sheet ?? '');
  $('save-sheet').disabled = sheet === null;
  $('print').disabled = false;
  $('result').hidden = false;
  if (asked) $('verdict').focus();
  // From the start to the sheet on the screen: after the next frame.
  requestAnimationFrame(() => setTimeout(() => {
    if (mine !== generation || !last) return;
    last.ms = performance.now() - start;
    $('result').setAttribute('data-ms', last.ms.toFixed(1));
  }));
}

function refused(errors, asked) {
  const problems = plural(errors.length, 'problem');
  $('summary').textContent = asked ? `Not analysed: ${problems} to fix first. ${errors[0].message}`
    : `${problems} to fix before the item can run`;
  $('summary').className = 'error';
  if (asked) (document.querySelector('[aria-invalid=true]') ?? $('summary')).focus();
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
  const number = (v) => (v === null ? '–' : String(Number(v.toPrecision(5))));
  if (outcome.verdict === 'not analysed')
    return `NOT ANALYSED${outcome.fatal_errors ? ` — ${plural(outcome.fatal_errors, 'fatal input error')}` : ''}`;
  return outcome.verdict.toUpperCase() + (g ? ` — governing: ${g.label}, ${number(g.value)} ${g.relation} ${number(g.limit)}`
    + ` ${g.unit} (utilization ${g.utilization === null ? '–' : g.utilization.toFixed(3)})` : '');
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

// ---- Kind, code, units, examples ---------------------------------------------------

function fillSelect(select, names, chosen) {
  select.replaceChildren(...names.map((n) => element('option', { value: n, selected: n === chosen }, n)));
}

// The form of a kind and code (the first code when the kind has no such
// one) under the form's unit system, holding `values`.
function showKind(kind, code, values) {
  state.kind = kind;
  const codes = kindKeys().codes.map((c) => c.name);
  state.code = codes.includes(code) ? code : codes[0];
  fillSelect($('kind'), keys.kinds.map((k) => k.name), state.kind);
  fillSelect($('code'), codes, state.code);
  for (const r of document.querySelectorAll('input[name=units]')) r.checked = r.value === state.units;
  buildForm(keys, kindKeys(), state.code, units(), values);
}

// A kind as it was last left: its code and values, in the form's unit system.
function showKept(kind) {
  const k = kept.get(kind);
  showKind(kind, k?.code, k ? convertValues(keys, fieldsOf(keys, kindKeys(kind)), k.values, unitSystems.get(k.units), units())
    : new Map());
}

function chooseUnits(name) {
  const values = convertValues(keys, fields(), formValues(OWN), units(), unitSystems.get(name));
  state.units = name;
  showKind(state.kind, state.code, values);
  edited();
}

// A whole item, from an example or a file: { kind, code, units, values, sheet }.
function fill(item) {
  state.units = item.units;
  showKind(item.kind, item.code, item.values);
  setValues(item.sheet, SHEET);
  edited();
}

// What was typed for the kind on the screen, kept for when it comes back
// and, with the sheet texts and the unit files in use, in local storage.
function keep() {
  if (!state.kind) return;
  kept.set(state.kind, { code: state.code, units: state.units, values: formValues(OWN) });
  const used = new Set([state.units, ...[...kept.values()].map((k) => k.units)]);
  store({ kind: state.kind, units: state.units, kinds: kept, sheet: formValues(SHEET),
    unitFiles: [...used].filter((n) => !builtin.includes(n) && unitSystems.has(n)).map((n) => unitSystems.get(n)) });
}

// The item of the last visit, when one is stored and fits.
function restored() {
  const s = restore();
  if (!s || !kindKeys(s.kind)) return false;
  for (const u of s.unitFiles)
    if (!builtin.includes(u.name) && !unitFileProblems(u).length) unitSystems.set(u.name, u);
  for (const [kind, k] of s.kinds)
    if (kindKeys(kind)) kept.set(kind, { ...k, units: unitSystems.has(k.units) ? k.units : builtin[0] });
  state.units = unitSystems.has(s.units) ? s.units : builtin[0];
  showKept(s.kind);
  setValues(s.sheet, SHEET);
  return true;
}

// ---- Files -----------------------------------------------------------------------

function download(name, type, text) {
  const a = element('a', { href: URL.createObjectURL(new Blob([text], { type })), download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

const fileStem = (values) => (values.get('description') || `${state.kind}-${state.code}`).replace(/[^\w.-]+/g, '-');

function saveToml() {
  const values = formValues();
  const [outcome] = run([itemOf(values)], NO_REPORT);
  if (outcome.errors.length) {
    showFindings(outcome.errors, outcome.warnings);
    return refused(outcome.errors, true);
  }
  download(`${fileStem(values)}.toml`, 'application/toml', itemToml(itemOf(values, false), fields()));
}

function saveSheet() {
  if (last?.sheet) download(`${fileStem(formValues())}-sheet.html`, 'text/html', last.sheet);
}

const key = (finding) => `${finding.key}\n${finding.message}`;

// An item file's keys as a whole item for the form. Throws, with the file's
// name, what the entry finds in the file that the form could not show: the
// item as a whole (kind, code, units missing or not offered), keys without
// a field, values of another type than the key's.
function itemOfFile(name, entries) {
  const given = new Map(entries.map((e) => [e.key, e.value]));
  const [kind, code, unitsName] = ['kind', 'code', 'units'].map((k) => given.get(k));
  const system = unitSystems.has(unitsName) && !builtin.includes(unitsName) ? unitSystems.get(unitsName) : unitsName;
  const written = Object.fromEntries(entries.map((e) => [e.key, e.number ? Number(e.value) : e.key === 'units' ? system : e.value]));
  const values = new Map(), sheet = new Map();
  for (const f of kindKeys(kind) ? fieldsOf(keys, kindKeys(kind)) : [])
    if (given.has(f.name)) (f.section === 'sheet-texts' ? sheet : values).set(f.name, given.get(f.name));
  const asForm = { kind, code, units: system, ...Object.fromEntries(values), ...Object.fromEntries(sheet) };
  const [file, form] = run([written, asForm], NO_REPORT);
  const shown = new Set(form.errors.map(key));
  const lost = file.errors.filter((e) => ['', 'kind', 'code'].includes(e.key) || !shown.has(key(e)));
  if (lost.length) throw new Error(`${name}: ${lost.map((e) => e.message).join('; ')}`);
  return { kind, code, units: unitsName, values, sheet };
}

function loadMessage(text) {
  $('load-messages').replaceChildren(...(text ? [element('p', { class: 'error' }, text)] : []));
  if (text) $('load-messages').focus();
}

// A load of an example or a file, what it refuses said below the choices.
async function loading(load) {
  loadMessage('');
  try {
    await load();
  } catch (e) {
    loadMessage(e.message);
  }
}

// An item file, or what it says before it can be shown.
function loadItem(name, entries) {
  const item = itemOfFile(name, entries);
  if (!unitSystems.has(item.units)) {
    pending = { name, entries, units: item.units };
    throw new Error(`${name} gives its values in the unit file "${item.units}": load it with Load unit file…`);
  }
  fill(item);
}

const loadToml = (file) => loading(async () => {
  pending = null;
  loadItem(file.name, readItemFile(file.name, new Uint8Array(await file.arrayBuffer())));
});

// What the entry says of a unit file's contents.
function unitFileProblems(system) {
  const [trial] = run([{ kind: keys.kinds[0].name, code: keys.kinds[0].codes[0].name, units: system }], NO_REPORT);
  return trial.errors.filter((e) => e.key === 'units' || e.key === '').map((e) => e.message);
}

// A unit file for the item waiting for it (under the name the item gives
// it, which its saved TOML keeps), else for the form's values, converted.
// Named US or SI, it is kept as ./US or ./SI, as tx14 reads it.
const loadUnits = (file) => loading(async () => {
  const { factors, labels } = readUnitFile(file.name, new Uint8Array(await file.arrayBuffer()));
  const wanted = pending?.units ?? file.name;
  const system = { name: builtin.includes(wanted) ? `./${wanted}` : wanted, factors, labels };
  const problems = unitFileProblems(system);
  if (problems.length) throw new Error(`${file.name}: ${problems.join('; ')}`);
  unitSystems.set(system.name, system);
  const waiting = pending;
  pending = null;
  if (waiting) return loadItem(waiting.name, waiting.entries);
  chooseUnits(system.name);
});

// The example items in a built-in unit system (not the unit file, nor an
// item that needs one).
function offered(files) {
  const list = [];
  for (const { name, bytes } of files) {
    try {
      const entries = readItemFile(name, bytes);
      if (builtin.includes(entries.find((e) => e.key === 'units')?.value)) list.push({ name, entries });
    } catch {
      // not an item file
    }
  }
  return list;
}

function chooseExample(name) {
  $('example').value = '';  // chosen again, it fills the form again
  const e = examples.find((x) => x.name === name);
  loading(() => loadItem(e.name, e.entries));
}

// ---- Start -----------------------------------------------------------------------

export async function start(moduleBytes, exampleFiles) {
  core = await loadCore(moduleBytes);
  keys = core.keys;
  builtin = Object.keys(keys.units);
  for (const [name, u] of Object.entries(keys.units)) unitSystems.set(name, { name, ...u });
  $('version').textContent = core.version;
  examples = offered(exampleFiles);
  fillSelect($('example'), ['', ...examples.map((e) => e.name)], '');
  $('example').options[0].textContent = 'choose…';
  $('kind').addEventListener('change', () => {
    keep();
    showKept($('kind').value);
    edited();
  });
  $('code').addEventListener('change', () => {
    state.code = $('code').value;
    showKind(state.kind, state.code, formValues(OWN));
    edited();
  });
  for (const r of document.querySelectorAll('input[name=units]')) r.addEventListener('change', () => chooseUnits(r.value));
  $('example').addEventListener('change', () => $('example').value && chooseExample($('example').value));
  $('item-form').addEventListener('input', (e) => e.target.closest('.field') && edited());
  $('item-form').addEventListener('focusin', (e) => {
    const name = e.target.closest('#numbers .field') ? e.target.name : '';
    if (name !== focused) {
      focused = name;
      showSketch();
    }
  });
  $('item-form').addEventListener('submit', (e) => {
    e.preventDefault();
    refresh(true);
  });
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
  window.tx14Page = { get last() { return last; }, get sketch() { return sketchSvg; } };
  if (restored()) edited();
  else chooseExample(examples[0].name);
}
