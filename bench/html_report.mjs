// Opens each report page REPEATS times in headless chromium and prints its
// size, when it was shown (the page's script done, from the start of the
// navigation), its first paint, and how long a sort by a figure takes, as
// medians; then saves a desktop and a 360 px screenshot beside each page.
//
//   node bench/html_report.mjs NODE_FOLDER REPEATS PAGE...
import fs from "node:fs";
import { launch, openPage } from "../tests/browser/page_driver.mjs";

const [nodeFolder, repeats, ...pages] = process.argv.slice(2);
const median = values => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const browser = await launch(nodeFolder);
console.log("page\tbytes\tshown ms\tfirst paint ms\tsort ms\tsort again ms\trows in DOM");
for (const file of pages) {
  const shown = [], paint = [], sort = [], again = [];
  let rows = 0;
  for (let run = 0; run < Number(repeats); ++run) {
    const { page, seen } = await openPage(browser, file);
    const times = await page.evaluate(async () => {
      const navigation = performance.getEntriesByType("navigation")[0];
      const fcp = performance.getEntriesByName("first-contentful-paint")[0];
      const frame = () => new Promise(done => requestAnimationFrame(() => setTimeout(done, 0)));
      const header = Array.from(document.querySelectorAll("#head th")).find(th => th.textContent === "採用(%)");
      let start = performance.now();
      header.click();
      await frame();
      const sort = performance.now() - start;
      start = performance.now();
      header.click();
      await frame();
      return { shown: navigation.domContentLoadedEventEnd, paint: fcp ? fcp.startTime : NaN, sort,
        again: performance.now() - start, rows: document.querySelectorAll("#rows tr").length };
    });
    if (seen.errors.length) throw new Error(file + ": " + seen.errors.join("\n"));
    shown.push(times.shown);
    paint.push(times.paint);
    sort.push(times.sort);
    again.push(times.again);
    rows = times.rows;
    await page.close();
  }
  console.log([file, fs.statSync(file).size, ...[shown, paint, sort, again].map(v => median(v).toFixed(0)), rows]
    .join("\t"));
  const phone = { width: 360, height: 740, isMobile: true, deviceScaleFactor: 2 };
  for (const [name, viewport, fullPage] of [["desktop", { width: 1280, height: 900 }, true], ["phone", phone, false],
    ["phone-whole", phone, true]]) {
    const { page } = await openPage(browser, file, viewport);
    const shot = file.replace(/\.html$/, `-${name}.png`);
    await page.screenshot({ path: shot, fullPage });
    console.log("  screenshot: " + shot);
    await page.close();
  }
}
await browser.close();
