// The library in the page: the WebAssembly module's typed entry (items in
// as JSON, outcomes out as JSON), its key table, and the calculation sheet.

const WHOLE = 0;  // the outcome as `tx14 run --json` writes it
export const NO_REPORT = 2;  // values, checks and verdict only

export async function loadCore(moduleBytes) {
  // The WASI functions its C library links (fd_write, fd_seek, fd_close,
  // for messages on standard error never written) answer "not supported"
  // (52, ENOSYS).
  const module = await WebAssembly.compile(moduleBytes);
  const stubs = {};
  for (const i of WebAssembly.Module.imports(module))
    (stubs[i.module] ??= {})[i.name] = () => 52;
  const instance = await WebAssembly.instantiate(module, stubs);
  instance.exports._initialize?.();
  return new Core(instance.exports);
}

// JSON the module can take: lone surrogates (half of a pasted emoji), in
// names and texts alike, become U+FFFD, which the entry names as a
// character it refuses.
const wellFormed = (text) => text.replace(/\p{Cs}/gu, '\uFFFD');
const json = (value) => JSON.stringify(value, (_, v) => (typeof v === 'string' ? wellFormed(v)
  : v && typeof v === 'object' && !Array.isArray(v) ? Object.fromEntries(Object.entries(v).map(([k, x]) => [wellFormed(k), x]))
  : v));

class Core {
  constructor(lib) {
    this.lib = lib;
    this.batch = lib.tx14_batch_create();
    const keys = lib.tx14_keys_json();
    if (!this.batch || !keys) throw new Error('the WebAssembly module is out of memory');
    this.keys = JSON.parse(this.text(keys));
    this.version = this.text(lib.tx14_version());
  }

  // The NUL-terminated UTF-8 at `at` in the module's memory.
  text(at) {
    const m = new Uint8Array(this.lib.memory.buffer), start = at >>> 0;
    return new TextDecoder().decode(m.subarray(start, m.indexOf(0, start)));
  }

  // Calls `call` with the texts copied into the module's memory, as
  // (address, size) pairs of NUL-terminated UTF-8; freed after the call.
  withTexts(texts, call) {
    const bytes = texts.map((t) => new TextEncoder().encode(t));
    const at = [];
    try {
      for (const b of bytes) {
        const p = this.lib.malloc(b.length + 1);
        if (!p) throw new Error(`the WebAssembly module is out of memory (a text of ${b.length} bytes)`);
        at.push(p);
        const m = new Uint8Array(this.lib.memory.buffer);  // after malloc: the memory may have grown
        m.set(b, p);
        m[p + b.length] = 0;
      }
      return call(...bytes.flatMap((b, i) => [at[i], b.length]));
    } finally {
      at.forEach((p) => this.lib.free(p));
    }
  }

  // The outcomes of items (objects of an item's keys, values as typed), as
  // the entry writes them; `flags`: NO_REPORT. Throws when the module
  // cannot take the batch at all (out of memory).
  run(items, flags = 0) {
    const lib = this.lib;
    return this.withTexts([json(items)], (at, size) => {
      const n = lib.tx14_batch_run(this.batch, at, size, flags);
      if (n < 0) throw new Error(`the WebAssembly module refused the items: ${this.text(lib.tx14_batch_error(this.batch))}`);
      const outcomes = [];
      for (let i = 0; i < n; ++i) {
        const p = lib.tx14_batch_outcome(this.batch, i, WHOLE, 0);  // JSON: no NUL inside
        if (!p) throw new Error('the WebAssembly module is out of memory');
        outcomes.push(JSON.parse(this.text(p)));
      }
      return outcomes;
    });
  }

  // The sketch of an item being entered (SVG text), the dimension of
  // `focus` (a key) highlighted; null when the module cannot draw it.
  sketch(item, focus) {
    return this.withTexts([json(item), focus], (at, size, key) => {
      const svg = this.lib.tx14_sketch_svg(at, size, key);
      return svg ? this.text(svg) : null;
    });
  }

  // The calculation sheet of an item as tx14 writes it: a whole HTML
  // document, or null for an item the entry refuses. `source`: { name,
  // sha256, dateTime } of the item file.
  sheet(item, source, letter = false) {
    return this.withTexts([json(item), source.name, source.sha256, source.dateTime],
      (at, size, name, _n, sha256, _s, dateTime) => {
        const html = this.lib.tx14_sheet_html(at, size, name, sha256, dateTime, letter ? 1 : 0);
        return html ? this.text(html) : null;
      });
  }
}
