// Item files: the form's values written in tx14's item format, and an item
// file read back into them, with tx14's limits.
import { parse } from 'smol-toml';

const MAX_FILE_BYTES = 1 << 20;
const MAX_DEPTH = 64;

// A number as TOML writes it, reading back as the same double.
function tomlNumber(v) {
  const s = String(v);
  return /[.e]/.test(s) ? s : `${s}.0`;
}

// TOML basic strings take the escapes JSON writes.
const tomlString = (s) => JSON.stringify(s);

// An item the entry accepted (its keys as typed: `item` and numbers as
// decimal texts) as an item file, keys in the order of `order`.
export function itemToml(item, order) {
  const lines = [`# ${item.kind} item saved by txappendix14.html`];
  for (const key of ['kind', 'code', 'units']) lines.push(`${key.padEnd(5)} = ${tomlString(item[key])}`);
  for (const { name, number } of order) {
    const v = item[name];
    if (v === undefined) continue;
    lines.push(`${name === 'item' ? 'item ' : name} = ${name === 'item' ? Number(v) : number ? tomlNumber(Number(v)) : tomlString(v)}`);
  }
  return lines.join('\n') + '\n';
}

// Walks the parsed document without recursion: dotted table names nest
// without limit in the parser.
function nestedTooDeep(table) {
  const stack = [[table, 0]];
  while (stack.length) {
    const [v, depth] = stack.pop();
    if (depth > MAX_DEPTH) return true;
    if (v !== null && typeof v === 'object' && !(v instanceof Date))
      for (const x of Object.values(v)) stack.push([x, depth + 1]);
  }
  return false;
}

// A TOML value other than a text or a number, as tx14 names its type.
const typeName = (v) => (typeof v === 'boolean' ? 'true or false' : Array.isArray(v) ? 'an array'
  : v instanceof Date ? 'a date or time' : 'a table');

// A TOML file's table, with tx14's limits. Throws Error with the file's name.
function readToml(name, bytes, what) {
  if (bytes.length > MAX_FILE_BYTES)
    throw new Error(`${name}: the file is larger than 1 MiB (${bytes.length} bytes); expected ${what} of at most ${MAX_FILE_BYTES} bytes`);
  let text;
  try {
    text = new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    throw new Error(`${name}: not valid UTF-8; expected a TOML ${what.replace(/^an? /, '')}`);
  }
  let table;
  try {
    table = parse(text, { maxDepth: MAX_DEPTH, integersAsBigInt: true });
  } catch (e) {
    const where = e.line ? `line ${e.line}: ` : '';
    throw new Error(`${name}: ${where}${String(e.message).split('\n')[0]}`);
  }
  if (nestedTooDeep(table))
    throw new Error(`${name}: tables or arrays nested more than ${MAX_DEPTH} levels deep`);
  return table;
}

// A unit file's factors (22 numbers) and labels (23 texts), as tx14 reads
// them; the entry checks their values.
export function readUnitFile(name, bytes) {
  const table = readToml(name, bytes, 'a unit file'), problems = [];
  const list = (key, count, what, ok) => {
    const v = table[key];
    if (v === undefined) problems.push(`missing key "${key}"`);
    else if (!Array.isArray(v) || v.length !== count || !v.every(ok)) problems.push(`"${key}" must be an array of ${count} ${what}`);
    return v;
  };
  const factors = list('factors', 22, 'numbers', (x) => typeof x === 'number' || typeof x === 'bigint');
  const labels = list('labels', 23, 'texts', (x) => typeof x === 'string');
  for (const key of Object.keys(table).filter((k) => k !== 'factors' && k !== 'labels'))
    problems.push(`unknown key "${key}"; a unit file holds "factors" and "labels"`);
  if (problems.length) throw new Error(`${name}: ${problems.join('; ')}`);
  return { factors: factors.map(Number), labels };
}

// The keys of an item file as the form holds them: each { key, value }
// with the value a text as written or a number as a decimal text (and
// `number` set). Throws Error with the file's name, also for values of
// another type (the form holds texts).
export function readItemFile(name, bytes) {
  const entries = Object.entries(readToml(name, bytes, 'an item file'));
  const other = entries.filter(([, v]) => !['string', 'bigint', 'number'].includes(typeof v));
  if (other.length)
    throw new Error(`${name}: ${other.map(([key, v]) => `key "${key}" expects a number or a text, found ${typeName(v)}`).join('; ')}`);
  return entries.map(([key, v]) => ({ key, value: String(v), number: typeof v !== 'string' }));
}
