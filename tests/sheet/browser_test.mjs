// The calculation sheet of each example as a person gets it: loaded in
// headless Chromium with the network blocked, and printed to PDF by tx14.
// Usage: node browser_test.mjs TX14 EXAMPLES_DIR OUT_DIR
// (playwright-core from TX14_NODE_MODULES; screenshots and PDFs in OUT_DIR)
import { execFileSync, spawnSync } from "node:child_process";
import { mkdirSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { pathToFileURL } from "node:url";

const require = createRequire(path.join(process.env.TX14_NODE_MODULES, "x.js"));
const { chromium } = require("playwright-core");
const [tx14, examples, out] = process.argv.slice(2);
mkdirSync(out, { recursive: true });

// Pages of each example's PDF (A4): a layout change that adds pages shows here.
const kExamples = {
  "opening-viii1": { pages: 4, item: "Item 1", description: "Top head", result: "M.A.W.P." },
  "opening-viii2": { pages: 5, item: "Item 2", description: "Bottom head", result: "M.A.W.P." },
  "opening-si": { pages: 4, item: "Item 3", description: "Manway head", result: "M.A.W.P." },
  "opening-bar": { pages: 4, item: "Item 4", description: "Filter head", result: "M.A.W.P." },
  "jacket-appendix-ee": { pages: 4, item: "Item 11", description: "Reactor jacket", result: "P'" },
  "jacket-viii2": { pages: 3, item: "Item 12", description: "Reactor jacket", result: "P'" },
  "jacket-si": { pages: 3, item: "Item 13", description: "Reactor jacket", result: "P'" },
  "opening-too-thin": { pages: 5, item: "Item 2", description: "Thin top head", result: "M.A.W.P." },
  "coil-pd5500": { pages: 3, item: "Item 21", description: "Heating coil", result: "pMaxC1" },
  "coil-en13445": { pages: 3, item: "Item 22", description: "Heating coil", result: "pMaxC1" },
};
const kLabels = {
  opening: ["A/2, A = ", "Bn/2, Bn = ", "t = ", "g0s = ", "g1s = ", "hs = "],
  jacket: ["D/2, D = ", "ts = ", "Tj = ", "NPS = "],
};

const failures = [];
const expect = (ok, what) => ok || failures.push(what);
// tx14 with an exit code of a run that wrote its outputs: acceptable, not
// analysed or not acceptable.
const tx14run = (args) => {
  const r = spawnSync(tx14, args);
  expect([0, 3, 4].includes(r.status), `tx14 ${args.join(" ")}: exit ${r.status} ${r.stderr}`);
};

const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
});
try {
  for (const [name, want] of Object.entries(kExamples)) {
    const html = path.join(out, `${name}.html`), pdf = path.join(out, `${name}.pdf`);
    tx14run(["run", path.join(examples, `${name}.toml`), "--html", html, "--pdf", pdf]);

    const page = await browser.newPage({ viewport: { width: 1000, height: 1400 } });
    const url = pathToFileURL(html).href, attempted = [];
    await page.route("**/*", (route) => {
      if (route.request().url() === url) return route.continue();
      attempted.push(route.request().url());
      return route.abort();
    });
    await page.goto(url);
    expect(attempted.length === 0, `${name}: requests beyond the page: ${attempted}`);
    const verdict = await page.textContent(".verdict .word");
    expect(["ACCEPTABLE", "NOT ACCEPTABLE", "NOT ANALYSED"].includes(verdict), `${name}: verdict ${verdict}`);
    const labels = await page.$$eval("svg.figure text.label", (ts) => ts.map((t) => t.textContent));
    for (const l of kLabels[name.startsWith("opening") ? "opening" : "jacket"])
      expect(labels.some((t) => t.startsWith(l)), `${name}: sketch label ${l} in ${labels}`);
    const axes = await page.$$eval(".plot text.axis-label", (ts) => ts.map((t) => t.textContent));
    expect(axes.length >= 2 && axes.every((t) => t.length > 3), `${name}: plot axes ${axes}`);
    const marks = await page.$$eval(".plot text.mark-label", (ts) => ts.map((t) => t.textContent));
    expect(marks.length >= 2, `${name}: marked points ${marks}`);
    await page.screenshot({ path: path.join(out, `${name}.png`), fullPage: true });
    await page.close();

    const text = execFileSync("pdftotext", ["-layout", pdf, "-"]).toString();
    for (const s of [want.item, want.description, verdict, want.result])
      expect(text.includes(s), `${name}: "${s}" not in the PDF`);
    const pages = Number(/Pages:\s+(\d+)/.exec(execFileSync("pdfinfo", [pdf]).toString())[1]);
    expect(pages === want.pages, `${name}: ${pages} pages, recorded ${want.pages}`);
    expect(/Page 1 of \d+/.test(text), `${name}: no running footer`);
  }
  // A batch: a sheet per row and an index linking each.
  const sheets = path.join(out, "batch");
  tx14run(["batch", path.join(examples, "items.csv"), "--html", sheets]);
  const index = await browser.newPage();
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
for (const f of failures) console.error(f);
process.exit(failures.length ? 1 : 0);
