// Assembles txappendix14.html: the page's template with its styles, its ES
// modules and the TOML parser inlined as one script, the WebAssembly module
// and the example items in base64, and the script's SHA-256 in the page's
// Content-Security-Policy. The result needs no other file.
//
// node build_page.mjs MODULE NODE_MODULES EXAMPLES_DIR OUTPUT
import { createHash } from 'node:crypto';
import { readFileSync, readdirSync, writeFileSync, renameSync } from 'node:fs';
import { join } from 'node:path';

const [modulePath, nodeModules, examplesDir, output] = process.argv.slice(2);
const here = join(import.meta.dirname, 'page');
const read = (file) => readFileSync(file, 'utf8');

// A module as a function of the modules it imports: `import {a} from 'x'`
// becomes `const {a} = modules['x']`, and what it exports is returned.
function wrapped(name, source) {
  const exported = [];
  const body = source
    .replace(/^import \{([^}]+)\} from '([^']+)';$/gm, (_, names, from) => `const {${names}} = modules[${JSON.stringify(from)}];`)
    .replace(/^export (async function|function|const|class) ([\w$]+)/gm, (_, what, id) => (exported.push(id), `${what} ${id}`));
  if (/^(import|export) /m.test(body)) throw new Error(`${name}: an import or export the build does not handle`);
  return `modules[${JSON.stringify(name)}] = (() => {\n${body}\nreturn { ${exported.join(', ')} };\n})();\n`;
}

const toml = read(join(nodeModules, 'smol-toml/dist/index.cjs'));
const toml_license = read(join(nodeModules, 'smol-toml/LICENSE'));
const examples = readdirSync(examplesDir).filter((f) => f.endsWith('.toml')).sort()
  .map((f) => ({ name: f, bytes: readFileSync(join(examplesDir, f)).toString('base64') }));

const script = [
  'const modules = {};',
  `/* smol-toml ${JSON.parse(read(join(nodeModules, 'smol-toml/package.json'))).version}\n${toml_license.replace(/\*\//g, '* /')}*/`,
  `modules['smol-toml'] = (() => { const module = { exports: {} }, exports = module.exports;\n${toml}\nreturn module.exports; })();`,
  ...['core.mjs', 'toml.mjs', 'form.mjs', 'stored.mjs', 'app.mjs'].map((f) => wrapped(`./${f}`, read(join(here, f)))),
  `const bytes = (b64) => Uint8Array.from(atob(b64), (c) => c.charCodeAt(0));`,
  `const examples = ${JSON.stringify(examples)}.map((e) => ({ name: e.name, bytes: bytes(e.bytes) }));`,
  `modules['./app.mjs'].start(bytes(${JSON.stringify(readFileSync(modulePath).toString('base64'))}), examples);`,
].join('\n');

// The one script runs by its hash: the policy allows no other inline
// script (the sheet's styles are made per item, so styles stay inline).
const inline = script.replace(/<\/script/gi, '<\\/script');
const hash = `sha256-${createHash('sha256').update(inline, 'utf8').digest('base64')}`;
const page = read(join(here, 'page.html'))
  .replace('/*SCRIPT-SHA256*/', () => hash)
  .replace('/*STYLE*/', () => read(join(here, 'page.css')))
  .replace('/*SCRIPT*/', () => inline);
writeFileSync(`${output}.part`, page);
renameSync(`${output}.part`, output);
console.log(`${output}: ${page.length} bytes`);
