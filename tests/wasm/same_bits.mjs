// The WebAssembly module under Node's WASI against the native library: the
// native runner writes the items with its results (layout in
// wasm_items.cpp); each item runs here on one context of the module, and
// every result element, count, capture record and the results record must
// match byte for byte. Then the sketch the page draws beside its form: an
// SVG document for an item being typed, NULL for what is not one.
//
// node same_bits.mjs RUNNER MODULE ITEMS_FILE
import { execFileSync } from 'node:child_process';
import { readFileSync, rmSync } from 'node:fs';
import { WASI } from 'node:wasi';

const [runner, modulePath, itemsPath] = process.argv.slice(2);
execFileSync(runner, [itemsPath], { stdio: 'inherit' });

const REALS = 200 * 4, TEXTS = 45, REPORT_FILE = 256, UNIT_LABELS = 230, UNIT_FACTORS = 22 * 4;
const RECORD = 125, COUNT_OFFSET = 62500, MAX_RECORDS = 500;

const wasi = new WASI({ version: 'preview1', args: [], env: {} });
const instance = await WebAssembly.instantiate(await WebAssembly.compile(readFileSync(modulePath)), wasi.getImportObject());
wasi.initialize(instance);
const lib = instance.exports;

// The host's arguments in the module's memory, in tx14_context_analyse's
// order, and a tx14_value or tx14_check as wasm32 lays it out (pointers of 4 bytes).
const args = [REALS, TEXTS, 1, 4, REPORT_FILE, UNIT_LABELS, UNIT_FACTORS, 4].map((n) => lib.malloc(n));
const [reals, texts, runMode, errorCount, reportFile, unitLabels, unitFactors, printControl] = args;
const context = lib.tx14_context_create(), entry = lib.malloc(12 * 4);
if ([...args, context, entry].includes(0)) throw new Error('the module is out of memory');

const file = readFileSync(itemsPath);
if (file.toString('latin1', 0, 8) !== 'TX14WASM') throw new Error(`${itemsPath}: not an items file`);
let at = 12;
const take = (n) => file.subarray(at, (at += n));
const takeInt = () => file.readInt32LE((at += 4) - 4);
const int32 = (v) => Buffer.from(new Int32Array([v]).buffer);

const differences = [];
function compare(item, what, native, wasm) {
  if (Buffer.compare(native, wasm) === 0 || differences.length >= 20) return;
  let i = 0;
  while (native[i] === wasm[i]) ++i;
  const around = (b) => JSON.stringify(b.subarray(Math.max(i - 60, 0), i + 60).toString('latin1'));
  differences.push(`item ${item}: ${what} differ from byte ${i}\n  native: ${around(native)}\n  wasm:   ${around(wasm)}`);
}

// Fields of 4 bytes with every NaN as the one quiet NaN: a NaN that
// arithmetic produced carries the sign bit the machine chose (x86 sets it,
// WebAssembly does not), which says nothing about the value.
function quietNaNs(bytes) {
  const out = Buffer.from(bytes);
  for (let i = 0; i + 4 <= out.length; i += 4) if (Number.isNaN(out.readFloatLE(i))) out.writeUInt32LE(0x7fc00000, i);
  return out;
}
// The context's results record, laid out as wasm_items.cpp writes it: each
// value's or check's texts, then its fields of 4 bytes.
function resultsRecord() {
  const parts = [];
  for (const [count, get, texts, words] of [[lib.tx14_context_value_count, lib.tx14_context_value, 4, 2],
    [lib.tx14_context_check_count, lib.tx14_context_check, 5, 7]]) {
    parts.push(int32(count(context)));
    for (let i = 0; i < count(context); ++i) {
      get(context, i, entry);
      const memory = Buffer.from(lib.memory.buffer);
      for (let t = 0, start; t < texts; ++t) {
        start = memory.readUInt32LE(entry + 4 * t);
        parts.push(Buffer.from(memory.subarray(start, start && memory.indexOf(0, start))), Buffer.alloc(1));
      }
      parts.push(quietNaNs(memory.subarray(entry + 4 * texts, entry + 4 * (texts + words))));
    }
  }
  parts.push(int32(lib.tx14_context_verdict(context)), int32(lib.tx14_context_governing(context)));
  return Buffer.concat(parts);
}

const records = (lines) => Math.min(Math.max(lines, 0), MAX_RECORDS) * RECORD;
const itemCount = file.readUInt32LE(8);
for (let item = 0; item < itemCount; ++item) {
  const [absent, noSpecial] = [takeInt(), takeInt()];
  for (const [address, n] of [[errorCount, 4], [printControl, 4], [runMode, 1], [reals, REALS], [texts, TEXTS],
    [reportFile, REPORT_FILE], [unitLabels, UNIT_LABELS], [unitFactors, UNIT_FACTORS]])
    Buffer.from(lib.memory.buffer).set(take(n), address);
  lib.tx14_context_set_no_special(context, noSpecial);
  const pointer = (n) => ((absent >> n) & 1 ? 0 : args[n]);
  lib.tx14_context_analyse(context, pointer(0), pointer(1), pointer(2), pointer(3), pointer(4),
                           0, 0, 0, pointer(5), pointer(6), pointer(7));

  const memory = Buffer.from(lib.memory.buffer), block = lib.tx14_context_capture_block(context);
  const lines = memory.readInt32LE(block + COUNT_OFFSET), [nativeReals, counts] = [take(REALS), take(16)];
  compare(item, 'result elements', quietNaNs(nativeReals), quietNaNs(memory.subarray(reals, reals + REALS)));
  compare(item, 'error counts, print controls, input error counts or captured line counts', counts,
          Buffer.concat([memory.subarray(errorCount, errorCount + 4), memory.subarray(printControl, printControl + 4),
            int32(lib.tx14_context_input_errors(context)), int32(lines)]));
  compare(item, `capture records (${RECORD} bytes each)`, take(records(counts.readInt32LE(12))),
          memory.subarray(block, block + records(lines)));
  compare(item, 'results records', take(takeInt()), resultsRecord());
}
if (at !== file.length) throw new Error(`${itemsPath}: ${file.length - at} bytes left over`);

// tx14_sketch_svg: the SVG of an item given as JSON text (the focus NULL or
// a key), NULL for NULL and for what is not an item. (What the sketch draws:
// tests/sheet/figures_test.cpp; the page's sketch: tests/web/page_test.mjs.)
function sketch(json, focus) {
  const put = (text, at = lib.malloc(Buffer.byteLength(text) + 1)) => (Buffer.from(lib.memory.buffer).write(`${text}\0`, at), at);
  const out = lib.tx14_sketch_svg(put(json), Buffer.byteLength(json), focus === null ? 0 : put(focus));
  const memory = Buffer.from(lib.memory.buffer);
  return out === 0 ? null : memory.toString('utf8', out, memory.indexOf(0, out));
}
for (const json of ['[1]', '{"kind": ', '', 'null'])
  if (sketch(json, '') !== null) differences.push(`sketch of ${JSON.stringify(json)}: not NULL`);
const svg = sketch('{"kind": "jacket", "D": "</svg><script>"}', null) ?? '';
if (!svg.endsWith('</svg>\n') || svg.includes('<script')) differences.push(`sketch of a jacket: ${svg}`);
if (lib.tx14_sketch_svg(0, 0, 0) !== 0) differences.push('sketch of NULL: not NULL');

for (const d of differences) console.log(d);
console.log(`${itemCount} items compared, ${differences.length ? 'with' : 'no'} differences`);
if (differences.length) process.exit(1);
rmSync(itemsPath);  // over 100 MB; kept when something differs
