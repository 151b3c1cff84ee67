// The calculation sheet of each example as a person gets it: loaded in
// headless Chromium with the network blocked, and printed to PDF by tx14 on
// A4 and on Letter. Every sheet ends with its approval block, whole on one
// page; an example's sheet texts are on page 1 and in that block.
// Usage: node browser_test.mjs TX14 EXAMPLES_DIR OUT_DIR
// (playwright-core from TX14_NODE_MODULES; screenshots and PDFs in OUT_DIR)
import { execFileSync, spawnSync } from "node:child_process";
import { copyFileSync, mkdirSync, readdirSync } from "node:fs";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { exampleKeys, expect, finish, launch, runTx14 } from "../support/browser.mjs";

const [tx14, examples, out] = process.argv.slice(2);
mkdirSync(out, { recursive: true });

// Pages of each example's PDF, A4 and Letter: a layout change that adds
// pages shows here. tx14 runs in the examples folder, so that the input's
// name on the sheet is the same wherever the checkout lives.
const kPages = {
  "opening-viii1": [5, 5], "opening-viii2": [5, 6], "opening-si": [5, 5], "opening-bar": [5, 5],
  "opening-too-thin": [5, 5], "jacket-appendix-ee": [4, 5], "jacket-appendix-ee-worked": [4, 4],
  "jacket-viii2": [4, 5], "jacket-si": [4, 5], "coil-pd5500": [3, 3], "coil-en13445": [3, 3],
};
const kPapers = ["a4", "letter"];
const kSheetTexts = ["project", "vessel", "drawing", "revision", "purpose"];
const kNames = { prepared_by: "Prepared by", checked_by: "Checked by", approved_by: "Approved by" };
const kLabels = {
  opening: [/^A = /, /^Bn = /, /^t = /, /^g0s = /, /^g1s = /, /^hs = /],
  jacket: [/^D = /, /^ts = /, /^Tj = /, /^(NPS|DN) \d/],
};
const kResult = { opening: "M.A.W.P.", jacket: "P'", PD5500: "pMaxC1", EN13445: "pMaxC1" };

const tx14run = (args) => runTx14(tx14, args, { cwd: examples });

for (const f of readdirSync(examples).filter((f) => f.endsWith(".toml")))
  expect(!exampleKeys(path.join(examples, f)).kind || f.replace(".toml", "") in kPages, `${f}: no page counts recorded`);

// The PDF's text, a string per page.
const pdfPages = (pdf) => execFileSync("pdftotext", ["-layout", pdf, "-"]).toString().split("\f").slice(0, -1);

const { browser, context } = await launch(/^file:.*\.html$/, { viewport: { width: 1000, height: 1400 } });
try {
  for (const [name, pages] of Object.entries(kPages)) {
    const keys = exampleKeys(path.join(examples, `${name}.toml`));
    const html = path.join(out, `${name}.html`);
    tx14run(["run", `${name}.toml`, "--html", html]);

    const page = await context.newPage();
    await page.goto(pathToFileURL(html).href);
    const verdict = await page.textContent(".verdict .word");
    expect(["ACCEPTABLE", "NOT ACCEPTABLE", "NOT ANALYSED"].includes(verdict), `${name}: verdict ${verdict}`);
    const labels = await page.$$eval("svg.figure text.label", (ts) => ts.map((t) => t.textContent));
    for (const l of kLabels[keys.kind])
      expect(labels.some((t) => l.test(t)), `${name}: sketch label ${l} in ${labels}`);
    const axes = await page.$$eval(".plot text.axis-label", (ts) => ts.map((t) => t.textContent));
    expect(axes.length >= 2 && axes.every((t) => t.length > 3), `${name}: plot axes ${axes}`);
    const marks = await page.$$eval(".plot text.mark-label", (ts) => ts.map((t) => t.textContent));
    expect(marks.length >= 2, `${name}: marked points ${marks}`);
    expect(await page.$eval("body", (b) => b.lastElementChild.matches("section.approval")),
           `${name}: the approval block does not end the sheet`);
    const names = await page.$$eval("table.approval td.name", (ts) => ts.map((t) => t.textContent));
    expect(JSON.stringify(names) === JSON.stringify(Object.keys(kNames).map((k) => keys[k] ?? "")),
           `${name}: names in the approval block ${names}`);
    await page.screenshot({ path: path.join(out, `${name}.png`), fullPage: true });
    await page.close();

    kPapers.forEach((paper, p) => {
      const pdf = path.join(out, `${name}-${paper}.pdf`);
      tx14run(["run", `${name}.toml`, "--pdf", pdf, "--paper", paper]);
      const text = pdfPages(pdf);
      const all = text.join("\n"), first = text[0] ?? "", last = text[text.length - 1] ?? "";
      for (const s of [`Item ${keys.item}`, keys.description, verdict, kResult[keys.code] ?? kResult[keys.kind]])
        expect(all.includes(s), `${name} (${paper}): "${s}" not in the PDF`);
      expect(text.length === pages[p], `${name} (${paper}): ${text.length} pages, recorded ${pages[p]}`);
      expect(/Page 1 of \d+/.test(first), `${name} (${paper}): no running footer`);
      // The approval block: on the last page, whole, each name on its role's line.
      expect(/^\s*Approval\s*$/m.test(last) && Object.values(kNames).every((role) => last.includes(role)),
             `${name} (${paper}): the approval block is not whole on the last page`);
      for (const [key, role] of Object.entries(kNames))
        expect(!keys[key] || new RegExp(`${role}\\s+${keys[key].replace(/\./g, "\\.")}`).test(last),
               `${name} (${paper}): ${role} ${keys[key]} not in the approval block`);
      for (const key of kSheetTexts)
        expect(!keys[key] || first.includes(keys[key]), `${name} (${paper}): ${key} "${keys[key]}" not on page 1`);
    });
  }
  // A batch: a sheet per row and an index linking each.
  const sheets = path.join(out, "batch");
  tx14run(["batch", path.join(examples, "items.csv"), "--html", sheets]);
  const index = await context.newPage();
  await index.goto(pathToFileURL(path.join(sheets, "index.html")).href);
  const links = await index.$$eval("table.index a", (as) => as.map((a) => a.getAttribute("href")));
  expect(links.join() === "row-0001.html,row-0002.html,row-0003.html,row-0004.html,row-0005.html,row-0006.html,row-0007.html",
         `batch index links: ${links}`);
} finally {
  await browser.close();
}

// An input path with no place to break wraps in its cell: the page is not
// shrunk to fit it, so the sheet keeps its pages.
const deep = path.join(out, "deep", "x".repeat(120));
mkdirSync(deep, { recursive: true });
copyFileSync(path.join(examples, "opening-viii2.toml"), path.join(deep, "opening-viii2.toml"));
const deepPdf = path.join(out, "deep.pdf");
tx14run(["run", path.join(deep, "opening-viii2.toml"), "--pdf", deepPdf, "--paper", "letter"]);
expect(pdfPages(deepPdf).length === kPages["opening-viii2"][1], `a long input path: ${pdfPages(deepPdf).length} pages`);

// No browser: exit 1, saying how to install one.
const noBrowser = spawnSync(tx14, ["run", path.join(examples, "opening-viii1.toml"), "--pdf", path.join(out, "x.pdf")],
                            { env: { ...process.env, TX14_CHROMIUM: "/nonexistent/chromium" } });
expect(noBrowser.status === 1 && /apt-get install -y chromium/.test(noBrowser.stderr), "no browser: exit 1 with advice");
finish();
