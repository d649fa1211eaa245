// The web report opened in headless chromium: what it shows must be what
// the CSV and JSON reports of the same run hold, its table must sort and
// filter as a reader expects, and no name may run as code.
//
//   node report_page_test.mjs CHECKER NODE_FOLDER
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { countText, headers, launch, openPage, shownRows } from "./page_driver.mjs";

const [checker, nodeFolder] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), "sormel-page-"));
const SCRIPT_NAME = "</script><script>alert(1)</script>";
const IMAGE_NAME = "<img src=x onerror=alert(2)>";
const IMAGE_TYPE = "<img src=x onerror=alert(3)>";

function writeDeck(file, lines) {
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, lines.join("\r\n") + "\r\n");
}

// A run by sub-folders with hostile card and type names, reported as a web
// page, JSON and CSV at once.
function makeRun() {
  const decks = path.join(work, "decks");
  writeDeck(path.join(decks, "アグロ", "1.txt"),
    ["3,BT01-001,ドラゴン", "2,BT01-002," + SCRIPT_NAME, "1,BT01-003," + IMAGE_NAME, "2,BT01-006,盾"]);
  writeDeck(path.join(decks, "アグロ", "2.txt"), ["3,BT01-001,ドラゴン", "1,BT01-004,光の盾", "1,BT01-006,盾"]);
  writeDeck(path.join(decks, IMAGE_TYPE, "3.txt"),
    ["2,BT01-002," + SCRIPT_NAME, "1,BT01-004,光の盾", "4,BT01-005,ﾄﾞﾗｺﾞﾝ･ﾍﾞﾋﾞｰ", "1,BT01-006,盾"]);
  const out = (name) => path.join(work, name);
  execFileSync(checker, ["--batch", decks, "--by-folder", "--report", out("r.html"), "--report", out("r.json"),
    "--report", out("r.csv")], { stdio: ["ignore", "ignore", "inherit"] });
  // The first type against the second: every comparison column, 新規 and 消滅 rows, changes below zero.
  execFileSync(checker, ["--batch", path.join(decks, "アグロ"), "--compare", path.join(decks, IMAGE_TYPE),
    "--report", out("c.html"), "--report", out("c.csv")], { stdio: ["ignore", "ignore", "inherit"] });
  return {
    compared: { html: out("c.html"), csv: parseCsv(fs.readFileSync(out("c.csv"), "utf8").replace(/^\uFEFF/, "")) },
    html: out("r.html"),
    json: JSON.parse(fs.readFileSync(out("r.json"), "utf8")),
    csv: parseCsv(fs.readFileSync(out("r.csv"), "utf8").replace(/^\uFEFF/, "")),
  };
}

function parseCsv(text) {
  const rows = [];
  let row = [], field = "", quoted = false;
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (quoted) {
      if (c === '"' && text[i + 1] === '"') { field += '"'; ++i; }
      else if (c === '"') quoted = false;
      else field += c;
    } else if (c === '"') quoted = true;
    else if (c === ",") { row.push(field); field = ""; }
    else if (c === "\r") continue;
    else if (c === "\n") { row.push(field); rows.push(row); row = []; field = ""; }
    else field += c;
  }
  return rows;
}

// The page with its data block replaced by `document`, escaped as the
// program escapes it.
function pageWith(html, document, name) {
  const open = '<script type="application/json" id="report-data">';
  const start = html.indexOf(open) + open.length;
  const end = html.indexOf("</script>", start);
  const file = path.join(work, name);
  fs.writeFileSync(file, html.slice(0, start) + JSON.stringify(document).replace(/</g, "\\u003c") + html.slice(end));
  return file;
}

async function clickHeader(page, title) {
  const index = (await headers(page)).indexOf(title);
  assert.ok(index >= 0, title);
  await page.click(`#head th:nth-child(${index + 1})`);
  return index;
}

function assertClean(seen) {
  assert.deepEqual(seen.errors, [], "console errors");
  assert.deepEqual(seen.dialogs, [], "dialogs opened by the page");
  assert.deepEqual(seen.requests, [], "requests leaving the page");
}

let browser, run;
before(async () => {
  run = makeRun();
  browser = await launch(nodeFolder);
});
after(async () => {
  await browser?.close();
  fs.rmSync(work, { recursive: true, force: true });
});

describe("the card table", () => {
  test("shows the CSV's rows and texts, for all decks and for each type", async () => {
    const { page, seen } = await openPage(browser, run.html);
    const [csvHeader, ...csvRows] = run.csv;
    assert.deepEqual(await headers(page), csvHeader.slice(1));
    const scopes = [["全体", run.json.cards]].concat(run.json.types.map((t, i) => [t.name, t.cards, i]));
    for (const [type, cards, index] of scopes) {
      if (index !== undefined) await page.select("#scope", String(index));
      const expected = csvRows.filter(r => r[0] === type).map(r => r.slice(1));
      const rows = await shownRows(page);
      assert.deepEqual(rows, expected, type);
      assert.deepEqual(rows.map(r => r[1]), cards.map(c => c.name));
      assert.equal(await countText(page), `${cards.length} / ${cards.length} 件`);
    }
    // Figures sit right, names left.
    assert.deepEqual(await page.$$eval("#rows tr[data-n] td", tds => tds.slice(1, 3).map(td => getComputedStyle(td).textAlign)),
      ["left", "right"]);
    assertClean(seen);
  });

  test("shows a comparison's columns as the CSV has them", async () => {
    const { page, seen } = await openPage(browser, run.compared.html);
    const [csvHeader, ...csvRows] = run.compared.csv;
    assert.deepEqual(await headers(page), csvHeader);
    assert.deepEqual(await shownRows(page), csvRows);
    assert.ok(csvRows.some(r => r.includes("消滅")) && csvRows.some(r => r.some(cell => cell.startsWith("-"))));
    assertClean(seen);
  });

  test("sorts figures largest first, then reversed, ties in report order; text from the start", async () => {
    const { page, seen } = await openPage(browser, run.html);
    const cards = run.json.cards;
    const byDecks = cards.map((c, i) => i).sort((a, b) => cards[b].decks - cards[a].decks || a - b);
    const numbers = indices => indices.map(i => cards[i].number);
    await clickHeader(page, "デッキ");
    assert.deepEqual((await shownRows(page)).map(r => r[0]), numbers(byDecks));
    await clickHeader(page, "デッキ");
    const ascending = cards.map((c, i) => i).sort((a, b) => cards[a].decks - cards[b].decks || a - b);
    assert.deepEqual((await shownRows(page)).map(r => r[0]), numbers(ascending));
    await clickHeader(page, "No.");
    assert.deepEqual((await shownRows(page)).map(r => r[0]), cards.map(c => c.number).sort());
    assertClean(seen);
  });

  test("filters by number or name, width and kana alike", async () => {
    const { page, seen } = await openPage(browser, run.html);
    const total = run.json.cards.length;
    const cases = [["どらごん", ["ドラゴン", "ﾄﾞﾗｺﾞﾝ･ﾍﾞﾋﾞｰ"]], ["ＢＴ０１-００４", ["光の盾"]], ["bt01-006", ["盾"]],
      ["盾", ["光の盾", "盾"]], ["script", [SCRIPT_NAME]], ["no such card", []]];
    for (const [typed, names] of cases) {
      await page.$eval("#filter", (box, text) => { box.value = text; box.dispatchEvent(new Event("input")); }, typed);
      assert.deepEqual((await shownRows(page)).map(r => r[1]).sort(), names.slice().sort(), typed);
      assert.equal(await countText(page), `${names.length} / ${total} 件`);
    }
    assertClean(seen);
  });
});

test("hostile names render as text and run nothing", async () => {
  const { page, seen } = await openPage(browser, run.html);
  const names = (await shownRows(page)).map(r => r[1]);
  assert.ok(names.includes(SCRIPT_NAME) && names.includes(IMAGE_NAME));
  assert.ok((await page.$$eval("#types button", b => b.map(x => x.textContent))).includes(IMAGE_TYPE));
  assert.equal(await page.$$eval("img, iframe, object", n => n.length), 0);
  assert.equal(await page.$$eval("script", n => n.length), 2);
  assert.ok((await page.title()).startsWith("カード使用率 "));
  assertClean(seen);
});

test("at 360 px the table scrolls sideways with No. and name kept, and the page does not", async () => {
  const { page, seen } = await openPage(browser, run.html, { width: 360, height: 740, isMobile: true });
  const layout = await page.evaluate(async () => {
    await new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done)));
    const box = document.getElementById("table-box");
    const cells = () => Array.from(document.querySelector("#rows tr[data-n]").cells).slice(0, 3)
      .map(td => Math.round(td.getBoundingClientRect().left));
    const before = cells();
    box.scrollLeft = 200;
    return { page: document.documentElement.scrollWidth, box: box.scrollWidth - box.clientWidth, before, after: cells() };
  });
  assert.ok(layout.page <= 360, `page width ${layout.page}`);
  assert.ok(layout.box > 0, "the table scrolls sideways");
  assert.deepEqual(layout.after.slice(0, 2), layout.before.slice(0, 2));
  assert.ok(layout.after[2] < layout.before[2]);
  assertClean(seen);
});

// Columns and figures the program may add later: the page shows them from
// the column list and draws their charts from the keys alone.
test("later columns, trends and results show without change to the page", async () => {
  const html = fs.readFileSync(run.html, "utf8");
  const cardCount = 3000, periods = ["2026-10", "2026-11", "2026-12"];
  // The plain JSON report: the page takes it as well as its packed form.
  const document = { page: JSON.parse(html.match(/id="report-data">([^<]*)</)[1]).page, report: run.json };
  document.page.columns.push({ key: "win_rate", group: "", header: "勝率(%)", kind: "rate" },
    { key: "slope", group: "trend", header: "傾き(pt/期)", kind: "average" },
    { key: "small_sample", group: "", header: "少数", kind: "flag" });
  const report = document.report;
  report.periods = periods.map((name, i) => ({ name, decks: 100 + i }));
  report.results = { decks_with_result: 90, decks_with_place: 80, top: 8, min_decks: 10 };
  report.cards = Array.from({ length: cardCount }, (_, i) => ({
    number: `X-${i}`, name: `カード${i}`, decks: (i * 7) % 50, adoption: ((i * 7) % 50) * 2 + 0.25,
    win_rate: i === 0 ? 50 : 40 + (i % 20) + 0.5, win_rate_low: 30, win_rate_high: 70, small_sample: i % 2 === 1,
    result_decks: 20, trend: { series: periods.map((period, p) => ({ period, adoption: p * 10 + (i % 5) })), slope: 1.25 },
  }));
  for (const type of report.types) {
    Object.assign(type, { share_series: periods.map((period, p) => ({ period, decks: p, share: p * 5 })),
      share_slope: 2.5, win_rate: 52.25, win_rate_low: 40, win_rate_high: 60, result_decks: 12 });
  }
  const { page, seen } = await openPage(browser, pageWith(html, document, "later.html"));
  const shown = await headers(page);
  assert.deepEqual(shown.slice(-3), ["勝率(%)", "傾き(pt/期)", "少数"]);
  assert.equal(await countText(page), `${cardCount} / ${cardCount} 件`);
  assert.ok(await page.$$eval("#rows tr", rows => rows.length) < 200, "only the rows in view are made");
  const first = await page.$eval("#rows tr[data-n]", tr => Array.from(tr.cells, td => td.textContent).slice(-3));
  assert.deepEqual(first, ["50", "1.25", ""]);
  assert.deepEqual(await page.$$eval("#rows tr[data-n]", rows => rows.slice(0, 2).map(r => r.className)), ["", "small"]);
  await clickHeader(page, "採用(%)");
  const top = await page.$eval("#rows tr[data-n]", tr => tr.dataset.i);
  assert.equal(report.cards[Number(top)].adoption, Math.max(...report.cards.map(c => c.adoption)));
  const captions = await page.$$eval("figcaption", f => f.map(x => x.textContent));
  for (const wanted of ["採用率 上位 20 枚", "デッキタイプのシェア", "採用率の推移", "シェアの推移", "メタゲーム"]) {
    assert.ok(captions.some(c => c.includes(wanted)), wanted);
  }
  const typeHeaders = await page.$$eval("#types th", t => t.map(x => x.textContent));
  assert.ok(typeHeaders.includes("勝率(%)") && typeHeaders.includes("推移"));
  // Printed, every row is there.
  await page.emulateMediaType("print");
  assert.equal(await page.evaluate(async () => {
    await new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done)));
    return document.querySelectorAll("#rows tr[data-n]").length;
  }), cardCount);
  assertClean(seen);
});
