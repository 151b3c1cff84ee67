// The last item in the browser's local storage, so that a reload does not
// lose it (nothing leaves the machine): per kind the code, unit system and
// values last typed, the sheet texts, and the unit files in use. A stored
// value this page did not write, or another version of it, is ignored
// where it does not fit.

const KEY = 'txappendix14.page';
const VERSION = 1;

// { kind, units, kinds: Map(kind -> { code, units, values: Map }), sheet:
// Map, unitFiles: [{ name, factors, labels }] }
export function store(snapshot) {
  const object = (map, f = (v) => v) => Object.fromEntries([...map].map(([k, v]) => [k, f(v)]));
  const kinds = object(snapshot.kinds, (k) => ({ code: k.code, units: k.units, values: object(k.values) }));
  try {
    localStorage.setItem(KEY, JSON.stringify({ version: VERSION, kind: snapshot.kind, units: snapshot.units, kinds,
      sheet: object(snapshot.sheet), unitFiles: snapshot.unitFiles }));
  } catch {
    // storage full or turned off: the page works on without it
  }
}

const isObject = (v) => v !== null && typeof v === 'object' && !Array.isArray(v);
const text = (v) => (typeof v === 'string' ? v : undefined);

// An object's text members as a Map; anything else is left out.
function texts(v) {
  const map = new Map();
  if (isObject(v))
    for (const [k, x] of Object.entries(v)) if (typeof x === 'string') map.set(k, x);
  return map;
}

// What store() wrote, as it took it; null when nothing usable is stored.
// Names (kinds, codes, units, fields) and unit files are for the caller to
// check.
export function restore() {
  let v;
  try {
    v = JSON.parse(localStorage.getItem(KEY));
  } catch {
    return null;
  }
  if (!isObject(v) || v.version !== VERSION || !text(v.kind)) return null;
  const kinds = new Map();
  if (isObject(v.kinds))
    for (const [name, k] of Object.entries(v.kinds))
      if (isObject(k) && text(k.code) && text(k.units)) kinds.set(name, { code: k.code, units: k.units, values: texts(k.values) });
  return { kind: v.kind, units: text(v.units), kinds, sheet: texts(v.sheet),
    unitFiles: Array.isArray(v.unitFiles) ? v.unitFiles.filter(isObject).map(({ name, factors, labels }) => ({ name, factors, labels }))
      : [] };
}
