// The calculation sheet of each example as a person gets it: loaded in
// headless Chromium with the network blocked, and printed to PDF by tx14.
// Usage: node browser_test.mjs TX14 EXAMPLES_DIR OUT_DIR
// (playwright-core from TX14_NODE_MODULES; screenshots and PDFs in OUT_DIR)
import { execFileSync, spawnSync } from "node:child_process";
import { mkdirSync } from "node:fs";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { exampleKeys, expect, finish, launch, runTx14 } from "../support/browser.mjs";

const [tx14, examples, out] = process.argv.slice(2);
mkdirSync(out, { recursive: true });

// Pages of each example's PDF (A4): a layout change that adds pages shows here.
const kPages = { "opening-viii1": 4, "opening-viii2": 5, "opening-si": 4, "opening-bar": 4, "opening-too-thin": 4,
                 "jacket-appendix-ee": 4, "jacket-viii2": 4, "jacket-si": 4, "coil-pd5500": 3, "coil-en13445": 3 };
const kLabels = {
  opening: ["A/2, A = ", "Bn/2, Bn = ", "t = ", "g0s = ", "g1s = ", "hs = "],
  jacket: ["D/2, D = ", "ts = ", "Tj = ", "NPS = "],
};
const kResult = { opening: "M.A.W.P.", jacket: "P'", PD5500: "pMaxC1", EN13445: "pMaxC1" };

const tx14run = (args) => runTx14(tx14, args);

const { browser, context } = await launch(/^file:.*\.html$/, { viewport: { width: 1000, height: 1400 } });
try {
  for (const [name, pages] of Object.entries(kPages)) {
    const keys = exampleKeys(path.join(examples, `${name}.toml`));
    const html = path.join(out, `${name}.html`), pdf = path.join(out, `${name}.pdf`);
    tx14run(["run", path.join(examples, `${name}.toml`), "--html", html, "--pdf", pdf]);

    const page = await context.newPage();
    await page.goto(pathToFileURL(html).href);
    const verdict = await page.textContent(".verdict .word");
    expect(["ACCEPTABLE", "NOT ACCEPTABLE", "NOT ANALYSED"].includes(verdict), `${name}: verdict ${verdict}`);
    const labels = await page.$$eval("svg.figure text.label", (ts) => ts.map((t) => t.textContent));
    for (const l of kLabels[keys.kind])
      expect(labels.some((t) => t.startsWith(l)), `${name}: sketch label ${l} in ${labels}`);
    const axes = await page.$$eval(".plot text.axis-label", (ts) => ts.map((t) => t.textContent));
    expect(axes.length >= 2 && axes.every((t) => t.length > 3), `${name}: plot axes ${axes}`);
    const marks = await page.$$eval(".plot text.mark-label", (ts) => ts.map((t) => t.textContent));
    expect(marks.length >= 2, `${name}: marked points ${marks}`);
    await page.screenshot({ path: path.join(out, `${name}.png`), fullPage: true });
    await page.close();

    const text = execFileSync("pdftotext", ["-layout", pdf, "-"]).toString();
    for (const s of [`Item ${keys.item}`, keys.description, verdict, kResult[keys.code] ?? kResult[keys.kind]])
      expect(text.includes(s), `${name}: "${s}" not in the PDF`);
    const printed = Number(/Pages:\s+(\d+)/.exec(execFileSync("pdfinfo", [pdf]).toString())[1]);
    expect(printed === pages, `${name}: ${printed} pages, recorded ${pages}`);
    expect(/Page 1 of \d+/.test(text), `${name}: no running footer`);
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

// No browser: exit 1, saying how to install one.
const noBrowser = spawnSync(tx14, ["run", path.join(examples, "opening-viii1.toml"), "--pdf", path.join(out, "x.pdf")],
                            { env: { ...process.env, TX14_CHROMIUM: "/nonexistent/chromium" } });
expect(noBrowser.status === 1 && /apt-get install -y chromium/.test(noBrowser.stderr), "no browser: exit 1 with advice");
finish();
