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

// The host's arguments in the module's memory, in tx14_context_analyse's order.
const args = [REALS, TEXTS, 1, 4, REPORT_FILE, UNIT_LABELS, UNIT_FACTORS, 4].map((n) => lib.malloc(n));
const [reals, texts, runMode, errorCount, reportFile, unitLabels, unitFactors, printControl] = args;
const context = lib.tx14_context_create();
// A tx14_value and a tx14_check as wasm32 lays them out: pointers of 4 bytes.
const valueAt = lib.malloc(6 * 4), checkAt = lib.malloc(11 * 4);
if (context === 0 || [...args, valueAt, checkAt].includes(0)) throw new Error('the module is out of memory');

const file = readFileSync(itemsPath);
if (file.toString('latin1', 0, 8) !== 'TX14WASM') throw new Error(`${itemsPath}: not an items file`);
const view = new DataView(file.buffer, file.byteOffset, file.byteLength);
const itemCount = view.getUint32(8, true);
let at = 12;
const take = (n) => file.subarray(at, (at += n));
const takeInt = () => ((at += 4), view.getInt32(at - 4, true));

const differences = [];
function compare(item, what, native, wasm) {
  if (Buffer.compare(native, wasm) === 0 || differences.length >= 20) return;
  let i = 0;
  while (native[i] === wasm[i]) ++i;
  const around = (b) => JSON.stringify(b.subarray(Math.max(i - 60, 0), i + 60).toString('latin1'));
  differences.push(`item ${item}: ${what} differ from byte ${i}\n  native: ${around(native)}` +
                   `\n  wasm:   ${around(wasm)}`);
}
const int32 = (v) => Buffer.from(new Int32Array([v]).buffer);

// Float elements with every NaN as the one quiet NaN: a NaN that arithmetic
// produced carries the sign bit the machine chose (x86 sets it, WebAssembly
// does not), which says nothing about the value.
function quietNaNs(bytes) {
  const out = Buffer.from(bytes), view = new DataView(out.buffer, out.byteOffset, out.length);
  for (let i = 0; i + 4 <= out.length; i += 4)
    if (Number.isNaN(view.getFloat32(i, true))) view.setUint32(i, 0x7fc00000, true);
  return out;
}
// The context's results record, laid out as wasm_items.cpp writes it.
function resultsRecord() {
  const parts = [];
  const numbers = (at, n) => parts.push(quietNaNs(new Uint8Array(lib.memory.buffer, at, 4 * n)));
  const texts = (at, n) => {
    const memory = new Uint8Array(lib.memory.buffer), view = new DataView(lib.memory.buffer);
    for (let i = 0; i < n; ++i) {
      const start = view.getUint32(at + 4 * i, true);
      const end = start === 0 ? 0 : memory.indexOf(0, start);
      parts.push(Buffer.from(memory.subarray(start, end)), Buffer.alloc(1));
    }
  };
  const values = lib.tx14_context_value_count(context);
  parts.push(int32(values));
  for (let i = 0; i < values; ++i) {
    lib.tx14_context_value(context, i, valueAt);
    texts(valueAt, 4);
    numbers(valueAt + 16, 2);
  }
  const checks = lib.tx14_context_check_count(context);
  parts.push(int32(checks));
  for (let i = 0; i < checks; ++i) {
    lib.tx14_context_check(context, i, checkAt);
    texts(checkAt, 5);
    numbers(checkAt + 20, 4);
    parts.push(Buffer.from(new Uint8Array(lib.memory.buffer, checkAt + 36, 4)));  // passes
    numbers(checkAt + 40, 1);
  }
  parts.push(int32(lib.tx14_context_verdict(context)), int32(lib.tx14_context_governing(context)));
  return Buffer.concat(parts);
}

for (let item = 0; item < itemCount; ++item) {
  const [absent, noSpecial] = [takeInt(), takeInt()];
  let memory = new Uint8Array(lib.memory.buffer);
  for (const [address, n] of [[errorCount, 4], [printControl, 4], [runMode, 1], [reals, REALS], [texts, TEXTS],
    [reportFile, REPORT_FILE], [unitLabels, UNIT_LABELS], [unitFactors, UNIT_FACTORS]]) memory.set(take(n), address);

  lib.tx14_context_set_no_special(context, noSpecial);
  const pointer = (n) => ((absent >> n) & 1 ? 0 : args[n]);
  lib.tx14_context_analyse(context, pointer(0), pointer(1), pointer(2), pointer(3), pointer(4),
                           0, 0, 0, pointer(5), pointer(6), pointer(7));

  memory = new Uint8Array(lib.memory.buffer);
  const block = lib.tx14_context_capture_block(context);
  const lines = new DataView(memory.buffer).getInt32(block + COUNT_OFFSET, true);
  const wasmRecords = memory.subarray(block, block + Math.min(Math.max(lines, 0), MAX_RECORDS) * RECORD);
  compare(item, 'result elements', quietNaNs(take(REALS)), quietNaNs(memory.subarray(reals, reals + REALS)));
  const nativeCounts = take(16), nativeLines = nativeCounts.readInt32LE(12);
  compare(item, 'error counts, print controls, input error counts or captured line counts', nativeCounts,
          Buffer.concat([memory.subarray(errorCount, errorCount + 4), memory.subarray(printControl, printControl + 4),
            int32(lib.tx14_context_input_errors(context)), int32(lines)]));
  compare(item, `capture records (${RECORD} bytes each)`,
          take(Math.min(Math.max(nativeLines, 0), MAX_RECORDS) * RECORD), Buffer.from(wasmRecords));
  compare(item, 'results records', take(takeInt()), resultsRecord());
}
if (at !== file.length) throw new Error(`${itemsPath}: ${file.length - at} bytes left over`);

// tx14_sketch_svg: the SVG of an item given as JSON text, the focus NULL or
// a key; null for NULL. (What the sketch draws: tests/sheet/figures_test.cpp;
// the page's sketch as an item is typed: tests/web/page_test.mjs.)
function sketch(json, focus) {
  const put = (text) => {
    const bytes = new TextEncoder().encode(text + '\0'), at = lib.malloc(bytes.length);
    new Uint8Array(lib.memory.buffer, at, bytes.length).set(bytes);
    return at;
  };
  const at = put(json), focusAt = focus === null ? 0 : put(focus);
  const out = lib.tx14_sketch_svg(at, new TextEncoder().encode(json).length, focusAt);
  [at, focusAt].forEach(lib.free);
  const memory = new Uint8Array(lib.memory.buffer);
  return out === 0 ? null : new TextDecoder().decode(memory.subarray(out, memory.indexOf(0, out)));
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
