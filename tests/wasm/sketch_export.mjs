// tx14_sketch_svg of the WebAssembly module under Node's WASI: the sketch
// beside the page's form, for items as they are being typed.
//
// node sketch_export.mjs MODULE
import { readFileSync } from 'node:fs';
import { WASI } from 'node:wasi';

const [modulePath] = process.argv.slice(2);
const wasi = new WASI({ version: 'preview1', args: [], env: {} });
const module = await WebAssembly.compile(readFileSync(modulePath));
const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
wasi.initialize(instance);
const lib = instance.exports;

// The sketch of an item given as JSON text, `focus` a key or null; null
// when the module returns NULL.
function sketch(json, focus) {
  const bytes = new TextEncoder().encode(json);
  const at = lib.malloc(bytes.length + 1);
  new Uint8Array(lib.memory.buffer, at, bytes.length).set(bytes);
  let focusAt = 0;
  if (focus !== null) {
    const f = new TextEncoder().encode(focus + '\0');
    focusAt = lib.malloc(f.length);
    new Uint8Array(lib.memory.buffer, focusAt, f.length).set(f);
  }
  const out = lib.tx14_sketch_svg(at, bytes.length, focusAt);
  lib.free(at);
  if (focusAt) lib.free(focusAt);
  if (out === 0) return null;
  const memory = new Uint8Array(lib.memory.buffer);
  return new TextDecoder().decode(memory.subarray(out, memory.indexOf(0, out)));
}

const failures = [];
const expect = (ok, what) => ok || failures.push(what);
// The texts of the labels, and those highlighted.
const labels = (svg) => [...svg.matchAll(/<text class="label[^"]*"[^>]*>([^<]*)<\/text>/g)].map((m) => m[1]);
const lit = (svg) => [...svg.matchAll(/<text class="label focus"[^>]*>([^<]*)<\/text>/g)].map((m) => m[1]);

const cases = [
  // item, focus, labels among those drawn, labels highlighted
  ['{"kind": "opening"}', '', ['A', 'Bn', 't', 'g0s', 'g1s', 'hs', 'g0n', 'g1n', 'hn'], []],
  ['{"kind": "opening", "units": "SI", "A": "1520", "t": 100}', 't', ['A = 1520 mm', 't = 100 mm', 'Bn'], ['t = 100 mm']],
  ['{"kind": "jacket", "code": "VIII-2", "DN": 80, "Tj": ""}', 'DN', ['DN 80', 'Tj', 'ts', 'D'], ['DN 80']],
  ['{"kind": "jacket", "code": "PD5500", "NPS": 3}', 'Pj', ['NPS 3'], []],  // not a dimension
  ['{"kind": "opening", "A": "</svg><script>", "Bn": -1, "t": 1e999}', null, ['A', 'Bn', 't'], []],
  ['{"kind": "opening", "units": {"name": "x", "factors": [], "labels": []}, "A": 9}', 'A', ['A = 9 in.'], ['A = 9 in.']],
];
for (const [item, focus, some, highlighted] of cases) {
  const svg = sketch(item, focus);
  expect(svg !== null && svg.startsWith('<svg xmlns="http://www.w3.org/2000/svg"') && svg.endsWith('</svg>\n'),
         `${item}: not an SVG document`);
  if (svg === null) continue;
  const drawn = labels(svg);
  for (const l of some) expect(drawn.includes(l), `${item}: no label "${l}" in ${drawn}`);
  expect(JSON.stringify(lit(svg)) === JSON.stringify(highlighted), `${item}: highlighted ${lit(svg)}`);
  expect(!/<script|nan|inf/i.test(svg.replace(/<style>[^]*<\/style>/, '')), `${item}: markup or a non-number in ${svg}`);
  expect(svg.includes('<style>'), `${item}: the styles are not inside`);
}
// Not an item: NULL, and the module goes on.
for (const text of ['[1]', '{"kind": ', '', 'null']) expect(sketch(text, '') === null, `${JSON.stringify(text)}: not NULL`);
expect(lib.tx14_sketch_svg(0, 0, 0) === 0, 'NULL item: not NULL');
expect(sketch('{}', '') !== null, 'an empty item: no sketch');

for (const f of failures) console.error(`FAIL ${f}`);
process.exit(failures.length ? 1 : 0);
