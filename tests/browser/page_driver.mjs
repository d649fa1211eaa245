// Opens report pages in headless chromium through puppeteer-core (installed
// in the build tree by setup.sh) and reads back what a reader sees. Shared
// by the browser tests and bench/html_report.mjs.
import { createRequire } from "node:module";
import path from "node:path";

export function loadPuppeteer(nodeFolder) {
  const require = createRequire(path.join(path.resolve(nodeFolder), "package.json"));
  return require("puppeteer-core");
}

export async function launch(nodeFolder) {
  const puppeteer = loadPuppeteer(nodeFolder);
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    // The tests run as root on a fresh machine, where chromium has no sandbox.
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-dev-shm-usage"],
  });
}

// A page that records every console error, script error, dialog and
// request other than the file itself.
export async function openPage(browser, file, viewport) {
  const page = await browser.newPage();
  const seen = { errors: [], dialogs: [], requests: [] };
  await page.setViewport(viewport || { width: 1280, height: 900 });
  page.on("console", message => { if (message.type() === "error") seen.errors.push(message.text()); });
  page.on("pageerror", error => seen.errors.push(String(error)));
  page.on("dialog", dialog => { seen.dialogs.push(dialog.message()); dialog.dismiss(); });
  const url = "file://" + path.resolve(file);
  page.on("request", request => { if (request.url() !== url) seen.requests.push(request.url()); });
  await page.goto(url, { waitUntil: "load" });
  await page.waitForSelector("html[data-ready]");
  return { page, seen };
}

// Every row of the card table in the order shown, as cell texts, read by
// scrolling the table's box from top to bottom.
export async function shownRows(page) {
  return page.evaluate(async () => {
    const box = document.getElementById("table-box");
    const frame = () => new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done)));
    const rows = [];
    box.scrollTop = 0;
    for (;;) {
      await frame();
      for (const tr of document.querySelectorAll("#rows tr[data-n]")) {
        rows[Number(tr.dataset.n)] = Array.from(tr.cells, td => td.textContent);
      }
      if (box.scrollTop + box.clientHeight >= box.scrollHeight - 1) break;
      box.scrollTop += box.clientHeight;
    }
    return rows;
  });
}

export async function headers(page) {
  return page.$$eval("#head th", cells => cells.map(th => th.textContent));
}

export async function countText(page) {
  return page.$eval("#count", node => node.textContent);
}
