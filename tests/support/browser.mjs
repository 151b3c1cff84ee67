// What the browser tests share: headless Chromium from playwright-core
// (TX14_NODE_MODULES) with every request but the allowed ones aborted and
// recorded, failures that set the exit code, tx14's runs and the keys of an
// example.
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';

const { chromium } = createRequire(join(process.env.TX14_NODE_MODULES, 'x.js'))('playwright-core');

export const failures = [];
export const expect = (ok, what) => ok || failures.push(what);
const requests = [];

// A browser and a context of it; `allowed` tests each URL requested.
export async function launch(allowed, contextOptions = {}) {
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--headless', '--no-sandbox',
    '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'] });
  const context = await browser.newContext(contextOptions);
  await context.route('**/*', (route) => {
    const url = route.request().url();
    if (allowed.test(url)) return route.continue();
    requests.push(url);
    return route.abort();
  });
  return { browser, context };
}

// tx14's standard output. A run that wrote its outputs exits 0, 3 (not
// analysed) or 4 (not acceptable).
export function runTx14(tx14, args, options = {}) {
  const r = spawnSync(tx14, args, { encoding: 'utf8', ...options });
  expect([0, 3, 4].includes(r.status), `tx14 ${args.join(' ')}: exit ${r.status} ${r.stderr}`);
  return r.stdout;
}

export function finish() {
  expect(requests.length === 0, `requests beyond the page: ${requests.join(' ')}`);
  for (const f of failures) console.error(`FAIL ${f}`);
  process.exit(failures.length ? 1 : 0);
}

// `key = value` lines of an example, values as written (texts unquoted).
export function exampleKeys(file) {
  const keys = {};
  for (const line of readFileSync(file, 'utf8').split('\n')) {
    const m = /^(\w+)\s*=\s*("(?:[^"\\]|\\.)*"|[^\s#]+)/.exec(line);
    if (m) keys[m[1]] = m[2].startsWith('"') ? JSON.parse(m[2]) : m[2];
  }
  return keys;
}
