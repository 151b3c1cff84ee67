// The form: its fields built from the library's key table, the values typed
// into them, the entry's findings shown at the fields they concern, and
// values carried from one unit system into another.

export const $ = (id) => document.getElementById(id);

export function element(tag, attributes = {}, ...children) {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attributes))
    if (v !== undefined && v !== false) e.setAttribute(k, v === true ? '' : v);
  e.append(...children);
  return e;
}

// The fields of a kind, in the order an item file lists them: the item
// number, the kind's texts, the sheet texts, its numbers, each followed by
// the stand-ins its key table names that are not keys of their own (DN for
// NPS). `number` marks what the item file writes as a number.
export function fieldsOf(keys, kind) {
  const numbers = [];
  for (const k of kind.numbers) {
    numbers.push({ ...k, number: true });
    for (const name of k.instead.split(/,?\s+or\s+|,\s*/).filter(Boolean))
      if (!kind.numbers.some((n) => n.name === name))
        numbers.push({ name, quantity: 'dimensionless', meaning: `instead of ${k.name}`, required: [], instead: '', number: true });
  }
  return [{ name: 'item', meaning: 'item number (a whole number)', number: true, section: 'texts' },
    ...kind.texts.map((k) => ({ ...k, section: 'texts' })),
    ...keys.sheet.map((k) => ({ ...k, section: 'sheet-texts' })),
    ...numbers.map((k) => ({ ...k, section: 'numbers' }))];
}

// The unit a quantity is given in under a unit system, as the form shows it.
function unitLabel(keys, units, quantity) {
  const slot = keys.slots[quantity];
  const label = slot ? units.labels[slot - 1].trim() : '';
  return quantity === 'temperature' && label ? `°${label}` : label;
}

function field(key, required, unit) {
  const id = `key-${key.name}`;
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

// The item's own fields for a kind and code under a unit system, holding
// `values` (a Map of field name to text).
export function buildForm(keys, kind, code, units, values) {
  const fields = fieldsOf(keys, kind);
  const section = (name) => fields.filter((f) => f.section === name);
  const make = (f) => field(f, (f.required ?? []).includes(code), f.quantity ? unitLabel(keys, units, f.quantity) : '');
  $('texts').replaceChildren(element('legend', {}, 'Item'), ...section('texts').map(make));
  $('numbers').replaceChildren(element('legend', {}, `Values (${units.name} units)`), ...section('numbers').map(make));
  if (!$('sheet-texts').querySelector('input'))  // the same for every kind
    $('sheet-texts').replaceChildren(element('legend', {}, 'Sheet'), ...section('sheet-texts').map(make));
  setValues(values, '#texts input, #numbers input');
}

export function setValues(values, selector) {
  for (const input of document.querySelectorAll(selector)) input.value = values.get(input.name) ?? '';
}

// The values typed into the fields `selector` finds, trimmed; empty ones
// are not given.
export function formValues(selector = '.field input') {
  const values = new Map();
  for (const input of document.querySelectorAll(selector))
    if (input.value.trim() !== '') values.set(input.name, input.value.trim());
  return values;
}

// The key a warning is about: `key "X"` at its start.
const keyOf = (message) => /^key "([^"]+)"/.exec(message)?.[1];

// The entry's errors ({key, message}) and warnings (texts) at their fields;
// what concerns no field goes below the form.
export function showFindings(errors, warnings) {
  for (const m of document.querySelectorAll('.field .message')) m.replaceChildren();
  for (const i of document.querySelectorAll('.field input')) i.removeAttribute('aria-invalid');
  const general = [];
  const show = (key, message, kind) => {
    const input = key ? document.querySelector(`.field input[name="${CSS.escape(key)}"]`) : null;
    if (!input) return general.push(element('p', { class: kind }, message));
    $(`${input.id}-message`).append(element('span', { class: kind }, message));
    if (kind === 'error') input.setAttribute('aria-invalid', 'true');
  };
  errors.forEach((e) => show(e.key, e.message, 'error'));
  warnings.forEach((w) => show(keyOf(w), w, 'warning'));
  $('messages').replaceChildren(...general);
}

// Numbers of one unit system in another, to 6 significant digits; what is
// not a number stays as typed. Temperatures are T * factor 7 + factor 8.
export function convertValues(keys, fields, values, from, to) {
  const out = new Map(values);
  for (const f of fields) {
    const text = out.get(f.name), slot = keys.slots[f.quantity];
    if (text === undefined || !slot || from === to || !Number.isFinite(Number(text))) continue;
    const offset = (u) => (f.quantity === 'temperature' ? u.factors[7] : 0);
    const internal = (Number(text) - offset(from)) / from.factors[slot - 1];
    out.set(f.name, String(Number((internal * to.factors[slot - 1] + offset(to)).toPrecision(6))));
  }
  return out;
}
