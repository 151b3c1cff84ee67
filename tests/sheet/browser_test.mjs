// The calculation sheet of each example as a person gets it: loaded in
// headless Chromium with the network blocked, its figures as Chromium lays
// them out (no label over another, each as wide as the sheet's
// advance-width table says), and printed to PDF by tx14 on A4 and
// on Letter, ending with its approval block whole on one page.
// Usage: node browser_test.mjs TX14 TEXT_WIDTHS EXAMPLES_DIR OUT_DIR
// (playwright-core from TX14_NODE_MODULES; sheets and PDFs in OUT_DIR)
import { execFileSync, spawnSync } from "node:child_process";
import { copyFileSync, mkdirSync, readdirSync } from "node:fs";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { exampleKeys, expect, finish, launch, runTx14 } from "../support/browser.mjs";

const [tx14, textWidths, examples, out] = process.argv.slice(2);
mkdirSync(out, { recursive: true });

// Pages of each example's PDF, A4 and Letter: a layout change that adds
// pages shows here. tx14 runs in the examples folder, so that the input's
// name on the sheet is the same wherever the checkout lives.
const kPages = {
  "opening-viii1": [5, 5], "opening-viii2": [5, 6], "opening-si": [5, 5], "opening-bar": [5, 5],
  "opening-too-thin": [5, 5], "jacket-appendix-ee": [4, 5], "jacket-appendix-ee-worked": [4, 4],
  "jacket-viii2": [4, 5], "jacket-si": [4, 5], "coil-pd5500": [3, 3], "coil-en13445": [3, 3],
};
const kRoles = { prepared_by: "Prepared by", checked_by: "Checked by", approved_by: "Approved by" };
const kResult = { opening: "M.A.W.P.", jacket: "P'", PD5500: "pMaxC1", EN13445: "pMaxC1" };
const tx14run = (...args) => runTx14(tx14, args, { cwd: examples });
const pdfPages = (pdf) => execFileSync("pdftotext", ["-layout", pdf, "-"]).toString().split("\f").slice(0, -1);

for (const f of readdirSync(examples).filter((f) => f.endsWith(".toml")))
  expect(!exampleKeys(path.join(examples, f)).kind || f.replace(".toml", "") in kPages, `${f}: no page counts recorded`);

// Each figure's texts and their boxes on the page. (Labels against the
// drawing's parts and lines: figures_test.cpp, with the widths held here.)
const figures = () => [...document.querySelectorAll("svg.figure")].map((svg) => [...svg.querySelectorAll("text")].map((t) => {
  const r = t.getBoundingClientRect();
  return { text: t.textContent, size: parseFloat(getComputedStyle(t).fontSize), width: t.getBBox().width,
           turned: t.hasAttribute("transform"), box: [r.left, r.top, r.right, r.bottom] };
}));

const measured = [];  // [sheet, text, size, width in Chromium]
const { browser, context } = await launch(/^file:.*\.html$/, { viewport: { width: 1000, height: 1400 } });
try {
  for (const [name, pages] of Object.entries(kPages)) {
    const keys = exampleKeys(path.join(examples, `${name}.toml`));
    const page = await context.newPage();
    tx14run("run", `${name}.toml`, "--html", path.join(out, `${name}.html`));
    await page.goto(pathToFileURL(path.join(out, `${name}.html`)).href);
    const verdict = await page.textContent(".verdict .word");
    expect(["ACCEPTABLE", "NOT ACCEPTABLE", "NOT ANALYSED"].includes(verdict), `${name}: verdict ${verdict}`);
    const drawn = await page.evaluate(figures);
    expect(drawn.length >= 2 && drawn.every((texts) => texts.length >= 4), `${name}: ${drawn.length} figures`);
    for (const texts of drawn)
      texts.forEach((a, i) => {
        if (!a.turned) measured.push([name, a.text, a.size, a.width]);
        for (const { text, box } of texts.slice(i + 1)) {
          const across = Math.min(a.box[2], box[2]) - Math.max(a.box[0], box[0]);
          expect(across <= 0.5 || Math.min(a.box[3], box[3]) - Math.max(a.box[1], box[1]) <= 0.5,
                 `${name}: "${a.text}" over "${text}"`);
        }
      });
    await page.close();

    ["a4", "letter"].forEach((paper, p) => {
      const pdf = path.join(out, `${name}-${paper}.pdf`);
      tx14run("run", `${name}.toml`, "--pdf", pdf, "--paper", paper);
      const text = pdfPages(pdf), first = text[0] ?? "", last = text[text.length - 1] ?? "";
      for (const s of [`Item ${keys.item}`, keys.description, verdict, kResult[keys.code] ?? kResult[keys.kind]])
        expect(text.join("\n").includes(s), `${name} (${paper}): "${s}" not in the PDF`);
      expect(text.length === pages[p], `${name} (${paper}): ${text.length} pages, recorded ${pages[p]}`);
      expect(/Page 1 of \d+/.test(first), `${name} (${paper}): no running footer`);
      // The approval block: on the last page, whole, each name on its role's line.
      expect(/^\s*Approval\s*$/m.test(last) && Object.values(kRoles).every((role) => last.includes(role)),
             `${name} (${paper}): the approval block is not whole on the last page`);
      for (const [key, role] of Object.entries(kRoles))
        expect(!keys[key] || new RegExp(`${role}\\s+${keys[key].replace(/\./g, "\\.")}`).test(last),
               `${name} (${paper}): ${role} ${keys[key]} not in the approval block`);
      for (const key of ["project", "vessel", "drawing", "revision", "purpose"])
        expect(!keys[key] || first.includes(keys[key]), `${name} (${paper}): ${key} "${keys[key]}" not on page 1`);
    });
  }
  // A batch: a sheet per row and an index linking each.
  tx14run("batch", "items.csv", "--html", path.join(out, "batch"));
  const index = await context.newPage();
  await index.goto(pathToFileURL(path.join(out, "batch", "index.html")).href);
  const links = await index.$$eval("table.index a", (as) => as.map((a) => a.getAttribute("href")).join());
  expect(links === [1, 2, 3, 4, 5, 6, 7].map((n) => `row-000${n}.html`).join(), `batch index links: ${links}`);
} finally {
  await browser.close();
}

// The table's widths against Chromium's: within 1 % and a pixel.
const table = spawnSync(textWidths, { input: measured.map(([, t, size]) => `${Math.round(size)}\t${t}\n`).join(""),
                                      encoding: "utf8" });
const widths = table.stdout.trim().split("\n").map(Number);
expect(table.status === 0 && widths.length === measured.length, `${textWidths}: exit ${table.status}, ${widths.length} widths`);
measured.forEach(([name, text, , chromium], i) => expect(Math.abs(widths[i] - chromium) <= 1 + 0.01 * chromium,
  `${name}: "${text}" ${widths[i]?.toFixed(2)} wide by the table, ${chromium.toFixed(2)} in Chromium`));

// An input path with no place to break wraps in its cell: the page is not
// shrunk to fit it, so the sheet keeps its pages.
const deep = path.join(out, "deep", "x".repeat(120));
mkdirSync(deep, { recursive: true });
copyFileSync(path.join(examples, "opening-viii2.toml"), path.join(deep, "opening-viii2.toml"));
tx14run("run", path.join(deep, "opening-viii2.toml"), "--pdf", path.join(out, "deep.pdf"), "--paper", "letter");
const deepPages = pdfPages(path.join(out, "deep.pdf")).length;
expect(deepPages === kPages["opening-viii2"][1], `a long input path: ${deepPages} pages`);

// No browser: exit 1, saying how to install one.
const noBrowser = spawnSync(tx14, ["run", path.join(examples, "opening-viii1.toml"), "--pdf", path.join(out, "x.pdf")],
                            { env: { ...process.env, TX14_CHROMIUM: "/nonexistent/chromium" } });
expect(noBrowser.status === 1 && /apt-get install -y chromium/.test(noBrowser.stderr), "no browser: exit 1 with advice");
finish();
