// The WebAssembly module under Node's WASI against the native library: the
// native runner writes the items with its results (layout in
// wasm_items.cpp); each item runs here on one context of the module, and
// every result element, count, capture record and the results record must
// match byte for byte.
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
const module = await WebAssembly.compile(readFileSync(modulePath));
const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
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

// The context's results record, laid out as wasm_items.cpp writes it (a
// value that is NaN as the one quiet NaN).
const QUIET_NAN = Buffer.from([0x00, 0x00, 0xc0, 0x7f]);
// Float elements with every NaN as the one quiet NaN: a NaN that arithmetic
// produced carries the sign bit the machine chose (x86 sets it, WebAssembly
// does not), which says nothing about the value.
function quietNaNs(bytes) {
  const out = Buffer.from(bytes), view = new DataView(out.buffer, out.byteOffset, out.length);
  for (let i = 0; i + 4 <= out.length; i += 4)
    if (Number.isNaN(view.getFloat32(i, true))) QUIET_NAN.copy(out, i);
  return out;
}
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
  const absent = view.getUint32(at, true);
  at += 4;
  const noSpecial = takeInt();
  const inputs = [
    [errorCount, take(4)], [printControl, take(4)], [runMode, take(1)], [reals, take(REALS)],
    [texts, take(TEXTS)], [reportFile, take(REPORT_FILE)], [unitLabels, take(UNIT_LABELS)],
    [unitFactors, take(UNIT_FACTORS)],
  ];
  let memory = new Uint8Array(lib.memory.buffer);
  for (const [address, bytes] of inputs) memory.set(bytes, address);

  lib.tx14_context_set_no_special(context, noSpecial);
  const pointer = (n) => ((absent >> n) & 1 ? 0 : args[n]);
  lib.tx14_context_analyse(context, pointer(0), pointer(1), pointer(2), pointer(3), pointer(4),
                           0, 0, 0, pointer(5), pointer(6), pointer(7));

  memory = new Uint8Array(lib.memory.buffer);
  const block = lib.tx14_context_capture_block(context);
  const lines = new DataView(memory.buffer).getInt32(block + COUNT_OFFSET, true);
  const wasmRecords = memory.subarray(block, block + Math.min(Math.max(lines, 0), MAX_RECORDS) * RECORD);
  compare(item, 'result elements', quietNaNs(take(REALS)),
          quietNaNs(memory.subarray(reals, reals + REALS)));
  compare(item, 'error counts', take(4), memory.subarray(errorCount, errorCount + 4));
  compare(item, 'print controls', take(4), memory.subarray(printControl, printControl + 4));
  compare(item, 'input error counts', take(4), int32(lib.tx14_context_input_errors(context)));
  const nativeLines = takeInt();
  compare(item, 'captured line counts', int32(nativeLines), int32(lines));
  const nativeRecords = take(Math.min(Math.max(nativeLines, 0), MAX_RECORDS) * RECORD);
  for (let i = 0; i * RECORD < Math.max(nativeRecords.length, wasmRecords.length); ++i) {
    const record = (r) => Buffer.from(r.subarray(i * RECORD, (i + 1) * RECORD));
    compare(item, `capture records ${i + 1}`, record(nativeRecords), record(wasmRecords));
  }
  const wasmResults = resultsRecord();
  compare(item, 'results records', take(view.getUint32((at += 4) - 4, true)), wasmResults);
}
if (at !== file.length) throw new Error(`${itemsPath}: ${file.length - at} bytes left over`);

for (const d of differences) console.log(d);
console.log(`${itemCount} items compared, ${differences.length ? 'with' : 'no'} differences`);
if (differences.length) process.exit(1);
rmSync(itemsPath);  // over 100 MB; kept when something differs
