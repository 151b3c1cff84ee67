// Sheets whose input's name and sheet texts try to restyle them (a form
// feed ends a CSS string), made by tx14 run and batch in a temporary directory whose name a
// file URL must encode: in Chromium and in the printed PDF the verdict and
// the checks read as the analysis gave them.
// Usage: node hostile_sheet_test.mjs TX14 EXAMPLES_DIR OUT_DIR
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { expect, finish, launch, runTx14 } from '../support/browser.mjs';

const [tx14, examples, out] = process.argv.slice(2);
rmSync(out, { recursive: true, force: true });
mkdirSync(out, { recursive: true });
const tmp = path.join(tmpdir(), `tx14 #?%41-${process.pid}`);  // short: the browser's socket goes there
mkdirSync(tmp);
const env = { ...process.env, TMPDIR: tmp };

const name = "head\f}}.word{font-size:0!important}.word::after{content:'ACCEPTABLE'}table.checks{display:none}@page{";
// Sheet texts that try the same from the title block and the running header.
const texts = `\nrevision = '"}}.word{font-size:0!important}@page{'\nproject = '</td></tr></table><style>.word{display:none}</style>'\n`;
writeFileSync(path.join(out, `${name}.toml`), readFileSync(path.join(examples, 'opening-too-thin.toml'), 'utf8') + texts);
copyFileSync(path.join(examples, 'items.csv'), path.join(out, `${name}.csv`));
runTx14(tx14, ['run', `${name}.toml`, '--html', 'head.html', '--pdf', 'head.pdf'], { cwd: out, env });
runTx14(tx14, ['batch', `${name}.csv`, '--html', 'rows'], { cwd: out, env });
expect(readdirSync(tmp).length === 0, `the browser's files left in ${tmp}: ${readdirSync(tmp)}`);

const lines = execFileSync('pdftotext', ['-layout', path.join(out, 'head.pdf'), '-']).toString().split('\n');
expect(lines.some((l) => l.trim() === 'NOT ACCEPTABLE') && !lines.some((l) => l.trim() === 'ACCEPTABLE')
       && lines.some((l) => /\bFAILS\b/.test(l)), 'the PDF does not say NOT ACCEPTABLE with a failing check');

const { browser, context } = await launch(/^file:.*\.html$/);
try {
  const sheets = [path.join(out, 'head.html'),
    ...readdirSync(path.join(out, 'rows')).filter((f) => f.startsWith('row-')).map((f) => path.join(out, 'rows', f))];
  for (const sheet of sheets) {
    const page = await context.newPage();
    await page.goto(pathToFileURL(sheet).href);
    const shown = await page.$eval('.verdict .word', (w) =>
      ({ text: w.textContent, size: getComputedStyle(w).fontSize, after: getComputedStyle(w, '::after').content }));
    const label = path.basename(sheet);
    expect(shown.size !== '0px' && shown.after === 'none', `${label}: the verdict is restyled ${JSON.stringify(shown)}`);
    expect(label !== 'head.html' || shown.text === 'NOT ACCEPTABLE', `${label}: the verdict reads ${shown.text}`);
    expect(await page.isVisible('table.checks') && await page.isVisible('.verdict .word'),
           `${label}: the checks or the verdict hidden`);
    await page.close();
  }
} finally {
  await browser.close();
}
rmSync(tmp, { recursive: true, force: true });
finish();
