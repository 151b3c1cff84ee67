// The library in the page: the WebAssembly module's key table, the building
// of an item from given values, and the run of an item on a context, read
// back as tx14 reads it (report records, result elements, results record).

const REALS = 200, TEXTS = 45, FACTORS = 22, LABELS = 23, LABEL_WIDTH = 10, REPORT_FILE = 256;
const CAPTURE_RECORD = 125, CAPTURE_COUNT_AT = 62500, CAPTURE_TEXT = 100, STYLES_AT = 104;
const REPORT_UNIT_ELEMENT = 40, MESSAGES = 16384, SCRATCH = 4096;
// The unit systems of the library, which a unit file never replaces.
const BUILTIN_UNITS = ['US', 'SI'];
// A quiet NaN no calculation produces: a result element still holding it
// after the run was not written.
const NOT_WRITTEN = 0x7fc0a14e;
const VERDICTS = ['not analysed', 'acceptable', 'not acceptable'];

// Windows-1252 bytes 0x80-0x9F; 0 where the code page has no character.
const HIGH = [0x20ac, 0, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
  0x2039, 0x0152, 0, 0x017d, 0, 0, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014, 0x02dc,
  0x2122, 0x0161, 0x203a, 0x0153, 0, 0x017e, 0x0178];

// Windows-1252 as text; the report's byte 0xF8 is a theta. Controls other
// than tab and bytes the code page lacks read as U+FFFD.
export function fromCp1252(bytes, theta = false) {
  let s = '';
  for (const c of bytes) {
    const cp = c === 9 || (c >= 0x20 && c < 0x7f) ? c
      : c >= 0x80 && c < 0xa0 ? HIGH[c - 0x80] || 0xfffd
      : c >= 0xa0 ? (c === 0xf8 && theta ? 0x3b8 : c) : 0xfffd;
    s += String.fromCodePoint(cp);
  }
  return s;
}

// Text as Windows-1252 bytes, or a reason why it cannot be.
export function toCp1252(text) {
  const bytes = [];
  for (const ch of text) {
    const cp = ch.codePointAt(0);
    const high = cp > 0xff ? HIGH.indexOf(cp) : -1;
    const b = (cp >= 0x20 && cp < 0x7f) || (cp >= 0xa0 && cp <= 0xff) ? cp : high >= 0 ? 0x80 + high : -1;
    if (b < 0)
      return { problem: `the character ${JSON.stringify(ch)} is not in the Windows-1252 code page or is a control character` };
    bytes.push(b);
  }
  return { bytes: Uint8Array.from(bytes) };
}

// A float as tx14's JSON holds it: its shortest text (C++ to_chars) read
// as a number; null when not finite. Where that text is in fixed notation
// it is the float's exact value for a whole number.
export function floatNumber(f) {
  if (!Number.isFinite(f)) return null;
  const v = shortest(f);
  if (Number.isInteger(f) && Math.abs(f) >= 1) {
    const [digits, exponent] = Math.abs(v).toExponential().split('e');
    const scientific = digits.length + 2 + Math.max(2, exponent.length - 1);
    if (String(BigInt(Math.abs(f))).length <= scientific) return f;
  }
  return v;
}

function shortest(f) {
  for (let p = 1; p <= 9; ++p) {
    let text = Math.abs(f).toExponential(p - 1);
    // Halfway between two p-digit decimals, toExponential takes the larger;
    // the shortest text is the even one.
    const finer = Math.abs(f).toExponential(p);
    if (Number(finer) === Math.abs(f) && /5e/.test(finer) && /[13579]e/.test(text))
      text = text.replace(/(\d)e/, (_, d) => `${d - 1}e`);
    const v = Math.sign(f) * Number(text);
    if (Math.fround(v) === f) return v;
  }
  return f;
}

export async function loadCore(moduleBytes) {
  // The module imports nothing today; any WASI function it comes to need
  // answers "not supported" (52, ENOSYS).
  const module = await WebAssembly.compile(moduleBytes);
  const stubs = {};
  for (const i of WebAssembly.Module.imports(module))
    (stubs[i.module] ??= {})[i.name] = () => 52;
  const instance = await WebAssembly.instantiate(module, stubs);
  const lib = instance.exports;
  lib._initialize?.();
  return new Core(lib);
}

class Core {
  constructor(lib) {
    this.lib = lib;
    this.scratch = lib.malloc(SCRATCH);
    this.scratchSize = SCRATCH;
    this.context = lib.tx14_context_create();
    const sizes = { reals: REALS * 4, texts: TEXTS, mode: 1, errors: 4, file: REPORT_FILE,
      labels: LABELS * LABEL_WIDTH, factors: FACTORS * 4, print: 4, doubles: FACTORS * 8,
      messages: MESSAGES, warnings: MESSAGES, key: 28, value: 24, check: 48, note: 8, pointers: LABELS * 4 };
    this.at = {};
    for (const [name, n] of Object.entries(sizes)) this.at[name] = lib.malloc(n);
    if (!this.context || !this.scratch || Object.values(this.at).includes(0))
      throw new Error('the WebAssembly module is out of memory');
    this.version = this.cString(lib.tx14_version());
    this.kinds = this.readKinds();
    // By name, as items and the user give it: a Map, where no name is one
    // of an object's own ("constructor", "__proto__", "toString").
    this.units = new Map(BUILTIN_UNITS.map((name) => [name, this.builtinUnits(name)]));
  }

  get u8() { return new Uint8Array(this.lib.memory.buffer); }
  get view() { return new DataView(this.lib.memory.buffer); }

  cString(at, theta = false, cp1252 = false) {
    if (!at) return '';
    const m = this.u8, end = m.indexOf(0, at);
    const bytes = m.subarray(at, end);
    return cp1252 ? fromCp1252(bytes, theta) : new TextDecoder().decode(bytes);
  }

  // Writes NUL-terminated strings into the scratch area, grown to hold
  // them (a text of any length reaches the core, which says what is wrong
  // with it); their addresses, valid until the next call.
  strings(...texts) {
    const encoded = texts.map((t) => (typeof t === 'string' ? new TextEncoder().encode(t) : t));
    const size = encoded.reduce((n, bytes) => n + bytes.length + 1, 0);
    if (size > this.scratchSize) {
      const larger = Math.max(size, 2 * this.scratchSize), at = this.lib.malloc(larger);
      if (!at) throw new Error(`the WebAssembly module is out of memory (a text of ${size} bytes)`);
      this.lib.free(this.scratch);
      [this.scratch, this.scratchSize] = [at, larger];
    }
    let at = this.scratch;
    return encoded.map((bytes) => {
      this.u8.set(bytes, at);
      this.u8[at + bytes.length] = 0;
      const here = at;
      at += bytes.length + 1;
      return here;
    });
  }

  readKey(fn, kind, i) {
    const [k] = this.strings(kind);
    if (!fn(k, i, this.at.key)) return null;
    const v = this.view, a = this.at.key;
    const s = (o) => this.cString(v.getUint32(a + o, true));
    return { name: s(0), element: v.getInt32(a + 4, true), field: v.getInt32(a + 8, true),
      quantity: s(12), meaning: s(16), required: v.getUint32(a + 20, true), instead: s(24) };
  }

  readKinds() {
    const lib = this.lib, kinds = [];
    for (let i = 0, p; (p = lib.tx14_items_kind(i)); ++i) {
      const name = this.cString(p);
      const kind = { name, codes: [], numbers: [], texts: [], results: [] };
      for (let j = 0; ; ++j) {
        const [k] = this.strings(name);
        const c = lib.tx14_items_code(k, j, this.at.errors);
        if (!c) break;
        kind.codes.push({ name: this.cString(c), number: this.view.getInt32(this.at.errors, true) });
      }
      const list = (fn, into) => { for (let j = 0, key; (key = this.readKey(fn, name, j)); ++j) into.push(key); };
      list(lib.tx14_items_number_key, kind.numbers);
      list(lib.tx14_items_text_key, kind.texts);
      list(lib.tx14_items_result, kind.results);
      kinds.push(kind);
    }
    return kinds;
  }

  builtinUnits(name) {
    const [n] = this.strings(name);
    this.lib.tx14_units_builtin(n, this.at.doubles, this.at.labels);
    const factors = Array.from(new Float64Array(this.lib.memory.buffer, this.at.doubles, FACTORS));
    const labels = this.u8.slice(this.at.labels, this.at.labels + LABELS * LABEL_WIDTH);
    return { name, factors, labels };
  }

  // A unit file's system, checked by the core, kept under `name`, or
  // `./US` for a file named US (tx14 reads the file by that name too);
  // returns the name it is kept under. Throws with the core's messages.
  unitFile(name, factors, labels) {
    const bytes = labels.map((l, i) => {
      const c = toCp1252(l);
      if (c.problem) throw new Error(`label ${i + 1}: ${c.problem}`);
      return c.bytes.subarray(0, LABEL_WIDTH + 1);  // longer is too long all the same
    });
    const pointers = this.strings(...bytes);  // before the view: the memory may grow
    new Uint32Array(this.lib.memory.buffer, this.at.pointers, LABELS).set(pointers);
    new Float64Array(this.lib.memory.buffer, this.at.doubles, FACTORS).set(factors);
    if (this.lib.tx14_units_check(this.at.doubles, this.at.pointers, this.at.messages, MESSAGES))
      throw new Error(this.messages(this.at.messages).join('; '));
    const padded = new Uint8Array(LABELS * LABEL_WIDTH).fill(0x20);
    bytes.forEach((b, i) => padded.set(b, i * LABEL_WIDTH));
    const kept = BUILTIN_UNITS.includes(name) ? `./${name}` : name;
    this.units.set(kept, { name: kept, factors, labels: padded });
    return kept;
  }

  // The unit a quantity is given in, as the key tables name it.
  unitName(units, quantity) {
    const [q] = this.strings(quantity);
    const slot = this.lib.tx14_units_slot(q);
    if (!slot) return '';
    return fromCp1252(units.labels.subarray((slot - 1) * LABEL_WIDTH, slot * LABEL_WIDTH)).trim();
  }

  // Lines ending in '\n', Windows-1252.
  messages(at) {
    const m = this.u8, lines = [];
    for (let end = m.indexOf(0, at), start = at; start < end;) {
      const nl = m.indexOf(10, start);
      const stop = nl < 0 || nl > end ? end : nl;
      if (stop > start) lines.push(fromCp1252(m.subarray(start, stop)));
      start = stop + 1;
    }
    return lines;
  }

  // Builds an item from the values given: { kind, code, units, item,
  // numbers: {key: number}, texts: {key: Uint8Array} }. Errors and
  // warnings are the core's messages; reals and texts when there are no
  // errors.
  build(given) {
    const lib = this.lib, units = this.units.get(given.units);
    new Float64Array(lib.memory.buffer, this.at.doubles, FACTORS).set(units.factors);
    this.u8.set(units.labels, this.at.labels);
    const [kind, code] = this.strings(given.kind, given.code);
    const item = lib.tx14_item_create(kind, code, this.at.doubles, this.at.labels, this.at.messages, MESSAGES);
    if (!item) return { errors: this.messages(this.at.messages), warnings: [] };
    try {
      if (given.item !== undefined) lib.tx14_item_set_item_number(item, given.item);
      for (const [key, v] of Object.entries(given.numbers)) {
        const [k] = this.strings(key);
        lib.tx14_item_set_number(item, k, v);
      }
      for (const [key, bytes] of Object.entries(given.texts)) {
        const [k, t] = this.strings(key, bytes);
        lib.tx14_item_set_text(item, k, t);
      }
      const n = lib.tx14_item_finish(item, this.at.reals, this.at.texts, this.at.messages, MESSAGES,
        this.at.warnings, MESSAGES);
      const out = { errors: this.messages(this.at.messages), warnings: this.messages(this.at.warnings),
        code: this.kinds.find((k) => k.name === given.kind).codes.find((c) => c.name === given.code).number };
      if (n === 0) {
        out.reals = new Float32Array(lib.memory.buffer.slice(this.at.reals, this.at.reals + REALS * 4));
        out.texts = this.u8.slice(this.at.texts, this.at.texts + TEXTS);
      }
      return out;
    } finally {
      lib.tx14_item_destroy(item);
    }
  }

  // The calculation sheet of a built item as tx14 writes it: a whole HTML
  // document. `source`: { name, sha256, dateTime } of the item file.
  sheet(given, built, outcome, source) {
    const weld = outcome.results.find((r) => r.key === 'fillet_weld')?.value ?? NaN;
    const warnings = new TextEncoder().encode(built.warnings.join('\n'));
    const [kind, code, units, texts, warningsAt, name, sha256, dateTime] = this.strings(given.kind, given.code,
      given.units, built.texts, warnings, source.name, source.sha256, source.dateTime);
    new Float32Array(this.lib.memory.buffer, this.at.reals, REALS).set(built.reals);
    const system = this.units.get(given.units);
    new Float64Array(this.lib.memory.buffer, this.at.doubles, FACTORS).set(system.factors);
    this.u8.set(system.labels, this.at.labels);
    const html = this.lib.tx14_sheet_html(kind, code, units, this.at.doubles, this.at.labels, this.at.reals, texts, given.item !== undefined ? 1 : 0,
      given.item ?? 0, warningsAt, weld ?? NaN, name, sha256, dateTime);
    return this.cString(html);
  }

  // Runs a built item in capture mode, as tx14 does.
  analyse(kind, unitsName, built) {
    const lib = this.lib, at = this.at, units = this.units.get(unitsName);
    const keys = this.kinds.find((k) => k.name === kind);
    const reals = new Float32Array(built.reals);
    const bits = new Uint32Array(reals.buffer);
    reals[REPORT_UNIT_ELEMENT - 1] = 0;
    for (const r of keys.results) bits[r.element - 1] = NOT_WRITTEN;
    const m = this.u8;
    m.set(new Uint8Array(reals.buffer), at.reals);
    m.set(built.texts, at.texts);
    m[at.mode] = 0x20;
    m.fill(0x20, at.file, at.file + REPORT_FILE);
    m.set(units.labels, at.labels);
    new Float32Array(lib.memory.buffer, at.factors, FACTORS).set(units.factors);
    this.view.setInt32(at.errors, 0, true);
    this.view.setInt32(at.print, 0, true);
    lib.tx14_context_set_no_special(this.context, 0);
    lib.tx14_context_analyse(this.context, at.reals, at.texts, at.mode, at.errors, at.file, 0, 0, 0,
      at.labels, at.factors, at.print);
    return this.outcome(keys, built);
  }

  outcome(keys, built) {
    const lib = this.lib, ctx = this.context, v = this.view, m = this.u8;
    const block = lib.tx14_context_capture_block(ctx);
    const count = Math.min(Math.max(v.getInt32(block + CAPTURE_COUNT_AT, true), 0), 500);
    const report = [];
    for (let i = 0; i < count; ++i) {
      const record = m.subarray(block + i * CAPTURE_RECORD + 4, block + (i + 1) * CAPTURE_RECORD);
      let end = CAPTURE_TEXT;
      while (end > 0 && record[end - 1] === 0x20) --end;
      report.push({ text: fromCp1252(record.subarray(0, end), true), styles: parseStyles(record.subarray(STYLES_AT, STYLES_AT + 12)) });
    }
    const fatal = lib.tx14_context_input_errors(ctx);
    const reals = new Float32Array(lib.memory.buffer.slice(this.at.reals, this.at.reals + REALS * 4));
    const bits = new Uint32Array(reals.buffer);
    const coil = keys.name === 'jacket' && built.code >= 3;
    const results = keys.results.map((r) => {
      const written = bits[r.element - 1] !== NOT_WRITTEN && !(coil && r.name === 'fillet_weld');
      return { key: r.name, quantity: r.quantity, value: fatal > 0 || !written ? null : reals[r.element - 1] };
    });
    const s = (a) => this.cString(v.getUint32(a, true));
    const u = (a) => this.cString(v.getUint32(a, true), false, true);
    const values = [];
    for (let i = 0, a = this.at.value; lib.tx14_context_value(ctx, i, a); ++i)
      values.push({ key: s(a), label: s(a + 4), quantity: s(a + 8), unit: u(a + 12),
        value: v.getFloat32(a + 16, true), display: v.getFloat32(a + 20, true) });
    const checks = [];
    for (let i = 0, a = this.at.check; lib.tx14_context_check(ctx, i, a); ++i)
      checks.push({ key: s(a), label: s(a + 4), quantity: s(a + 8), unit: u(a + 12), relation: s(a + 16),
        value: v.getFloat32(a + 28, true), limit: v.getFloat32(a + 32, true),
        passes: v.getInt32(a + 36, true) !== 0, utilization: v.getFloat32(a + 40, true),
        applicable: v.getInt32(a + 44, true) !== 0 });
    const notes = (count, read) => {
      const list = [];
      for (let i = 0, a = this.at.note; i < count && read(ctx, i, a); ++i) list.push({ code: s(a), text: u(a + 4) });
      return list;
    };
    const reasons = notes(lib.tx14_context_reason_count(ctx), lib.tx14_context_reason);
    const governing = lib.tx14_context_governing(ctx);
    return { fatal_errors: fatal, report, results, values, checks, truncated: count >= 500,
      verdict: VERDICTS[lib.tx14_context_verdict(ctx)] ?? 'not analysed',
      governing: governing >= 0 ? checks[governing].key : null,
      reasons, notes: notes(lib.tx14_context_note_count(ctx), lib.tx14_context_note) };
  }
}

// Six style codes of two columns each; 0 where a code is not a number.
function parseStyles(codes) {
  const styles = [];
  for (let i = 0; i < 6; ++i) {
    const c = String.fromCharCode(...codes.subarray(2 * i, 2 * i + 2)).replace(/^ +/, '');
    styles.push(/^-?\d+$/.test(c) ? Number(c) : 0);
  }
  return styles;
}
