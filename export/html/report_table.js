// The web report's script, first part: the data, the header, the conditions
// and the card table. The page runs it and report_charts.js as one function
// (report.html), so the two share their names.
const data = JSON.parse(document.getElementById("report-data").textContent);
const page = data.page;
// Arrays of objects arrive as tables, {"$packed": [row, ...], "$names":
// [name, ...]}, members of members named by their path with U+001F between
// the parts; an element that is no object stands as {"$value": element}.
// A table within an object (a type's own cards, the deck list) is
// unpacked when first read.
function put(holder, key, value) {
  if (value === null || typeof value !== "object" || Array.isArray(value) || !value["$packed"]) {
    holder[key] = unpacked(value);
    return;
  }
  Object.defineProperty(holder, key, {
    configurable: true, enumerable: true,
    get() {
      const rows = unpacked(value);
      Object.defineProperty(holder, key, { value: rows, configurable: true, enumerable: true, writable: true });
      return rows;
    },
    set(rows) {
      Object.defineProperty(holder, key, { value: rows, configurable: true, enumerable: true, writable: true });
    },
  });
}
function unpacked(value) {
  if (Array.isArray(value)) return value.map(unpacked);
  if (value === null || typeof value !== "object") return value;
  const packed = value["$packed"], names = value["$names"];
  if (Array.isArray(packed) && Array.isArray(names) && Object.keys(value).length === 2) {
    const paths = names.map(name => name.split("\u001f"));
    const rows = new Array(packed.length);
    for (let r = 0; r < packed.length; ++r) {
      const row = packed[r];
      if (!Array.isArray(row)) {
        rows[r] = unpacked(row["$value"]);
        continue;
      }
      const object = {};
      for (let i = 0; i < row.length; ++i) {
        const path = paths[i];
        let holder = object;
        for (let p = 0; p + 1 < path.length; ++p) holder = holder[path[p]] || (holder[path[p]] = {});
        // null stands for a member the object lacks: it never hides one set by a longer path.
        const last = path[path.length - 1];
        if (row[i] !== null || !(last in holder)) put(holder, last, row[i]);
      }
      rows[r] = object;
    }
    return rows;
  }
  const object = {};
  for (const key in value) put(object, key, value[key]);
  return object;
}
const report = unpacked(data.report);
const SVG = "http://www.w3.org/2000/svg";
const NUMERIC = { count: true, rate: true, average: true };
const PALETTE = ["#2563eb", "#dc2626", "#059669", "#d97706", "#7c3aed", "#db2777", "#0891b2", "#65a30d",
  "#9333ea", "#ea580c"];

function el(tag, attrs, text) {
  const node = document.createElement(tag);
  if (attrs) for (const name in attrs) node.setAttribute(name, attrs[name]);
  if (text !== undefined) node.textContent = text;
  return node;
}
function svgEl(tag, attrs, text) {
  const node = document.createElementNS(SVG, tag);
  if (attrs) for (const name in attrs) node.setAttribute(name, String(attrs[name]));
  if (text !== undefined) node.textContent = text;
  return node;
}
// Two decimals without trailing zeros, as the CSV writes rates and averages.
function decimal(value) {
  let text = value.toFixed(2);
  if (text.indexOf(".") >= 0) text = text.replace(/0+$/, "").replace(/\.$/, "");
  return text === "-0" ? "0" : text;
}
function isNumber(value) { return typeof value === "number" && isFinite(value); }
function valueOf(row, column) {
  if (column.series !== undefined) {
    const series = row.trend && row.trend.series;
    const entry = Array.isArray(series) ? series[column.series] : null;
    return entry && entry.adoption !== undefined ? entry.adoption : null;
  }
  const holder = column.group ? row[column.group] : row;
  if (holder === null || typeof holder !== "object") return null;
  const value = holder[column.key];
  return value === undefined ? null : value;
}
function cellText(value, kind) {
  if (value === null) return "";
  if (isNumber(value)) return kind === "count" || Number.isInteger(value) && kind !== "rate" && kind !== "average"
    ? String(value) : decimal(value);
  if (typeof value === "boolean") return value ? "○" : "";
  if (typeof value === "object") return "";
  return String(value);
}

// ---- header and conditions
const folder = page.folder || "";
document.getElementById("title").textContent = (folder.split("/").filter(Boolean).pop() || folder || "カード使用率");
const summary = document.getElementById("summary");
const facts = [folder, report.decks + " デッキ"];
if (page.date) facts.push(page.date);
if (page.formats) facts.push("形式 " + page.formats);
facts.push("上限 " + report.copy_limit + " 枚", report.side_counted ? "サイド含む" : "メインのみ");
if (report.baseline) facts.push("前回 " + report.baseline.decks + " デッキと比較");
if (Array.isArray(report.periods)) facts.push(report.periods.length + " 期間の推移");
if (report.results) facts.push("成績 " + report.results.decks_with_result + " デッキ");
if (Array.isArray(report.types)) facts.push(report.types.length + " タイプ");
for (const fact of facts) if (fact) summary.appendChild(el("span", null, fact));
const conditions = document.getElementById("conditions");
const conditionHead = conditions.appendChild(el("tr"));
conditionHead.appendChild(el("th", null, "項目"));
conditionHead.appendChild(el("th", null, "値"));
for (const pair of page.conditions) {
  const tr = conditions.appendChild(el("tr"));
  tr.appendChild(el("td", null, pair[0]));
  tr.appendChild(el("td", null, pair[1]));
}

// ---- the card table: rendered a window of rows at a time
const columns = page.columns;
const textColumns = columns.filter(c => !NUMERIC[c.kind]);
const box = document.getElementById("table-box");
const head = document.getElementById("head");
const body = document.getElementById("rows");
const cols = document.getElementById("cols");
const filterBox = document.getElementById("filter");
const scopeBox = document.getElementById("scope");
const countText = document.getElementById("count");
const numberColumn = columns.findIndex(c => c.key === "number" && !c.group);
const nameColumn = columns.findIndex(c => c.key === "name" && !c.group);
const table = { cards: report.cards, keys: null, values: [], order: null, shown: null };
const sorting = { column: -1, descending: false };
let rowHeight = 29;

function columnWidth(column, index) {
  if (index === 0) return "var(--c1)";
  if (index === 1) return "var(--c2)";
  const length = Array.from(column.header).reduce((n, ch) => n + (ch.charCodeAt(0) > 0xff ? 1 : 0.55), 0);
  const em = Math.min(Math.max(length * 0.9 + 1.4, NUMERIC[column.kind] ? 4.6 : 5.5), 9);
  return em.toFixed(1) + "em";
}
columns.forEach((column, index) => {
  const col = cols.appendChild(el("col"));
  col.style.width = columnWidth(column, index);
  const th = head.appendChild(el("th", { scope: "col", title: column.header + "（クリックで並べ替え）" },
    column.header));
  if (NUMERIC[column.kind]) th.className = "num";
  th.tabIndex = 0;
  th.addEventListener("click", () => sortBy(index));
  th.addEventListener("keydown", event => {
    if (event.key === "Enter" || event.key === " ") { event.preventDefault(); sortBy(index); }
  });
});

// Normalised for the filter: full and half width alike, katakana as
// hiragana, letters in lower case.
function folded(text) {
  return text.normalize("NFKC").toLowerCase()
    .replace(/[\u30a1-\u30f6]/g, ch => String.fromCharCode(ch.charCodeAt(0) - 0x60));
}
function searchKeys() {
  if (!table.keys) {
    table.keys = table.cards.map(card => folded(textColumns.map(c => {
      const value = valueOf(card, c);
      return value === null ? "" : String(value);
    }).join("\u0000")));
  }
  return table.keys;
}
function columnValues(index) {
  if (!table.values[index]) {
    const column = columns[index];
    table.values[index] = table.cards.map(card => {
      const value = valueOf(card, column);
      return isNumber(value) || typeof value === "string" ? value : null;
    });
  }
  return table.values[index];
}
const collator = new Intl.Collator("ja", { numeric: true });

// Figures sort largest first on the first click, text from the start of
// the alphabet; empty cells stay last both ways, and rows that tie keep
// the report's order.
function sortedOrder() {
  const order = table.cards.map((_, i) => i);
  if (sorting.column < 0) return order;
  const values = columnValues(sorting.column);
  const numeric = NUMERIC[columns[sorting.column].kind] ||
    values.every(v => v === null || typeof v === "number");
  const sign = sorting.descending ? -1 : 1;
  order.sort((a, b) => {
    const x = values[a], y = values[b];
    if (x === null || y === null) return x === y ? a - b : x === null ? 1 : -1;
    const c = numeric ? x - y : collator.compare(x, y);
    return c !== 0 ? sign * c : a - b;
  });
  return order;
}
function sortBy(index) {
  if (sorting.column === index) {
    sorting.descending = !sorting.descending;
  } else {
    sorting.column = index;
    const values = columnValues(index);
    sorting.descending = !!NUMERIC[columns[index].kind] || values.some(v => typeof v === "number");
  }
  Array.from(head.children).forEach((th, i) => {
    if (i === sorting.column) th.setAttribute("aria-sort", sorting.descending ? "descending" : "ascending");
    else th.removeAttribute("aria-sort");
  });
  table.order = sortedOrder();
  applyFilter();
}
function applyFilter() {
  const terms = folded(filterBox.value).split(/\s+/).filter(Boolean);
  if (!table.order) table.order = sortedOrder();
  if (terms.length === 0) {
    table.shown = table.order;
  } else {
    const keys = searchKeys();
    table.shown = table.order.filter(i => terms.every(t => keys[i].indexOf(t) >= 0));
  }
  countText.textContent = table.shown.length + " / " + table.cards.length + " 件";
  render(true);
}

// A row knows its card (data-i) and its place in the rows shown (data-n).
function rowElement(index, position) {
  const card = table.cards[index];
  const tr = el("tr", { "data-i": String(index), "data-n": String(position) });
  // Figures from too few decks with a result are shown, greyed.
  if (card.small_sample === true) tr.className = "small";
  for (const column of columns) {
    const text = cellText(valueOf(card, column), column.kind);
    const td = el("td", null, text);
    if (NUMERIC[column.kind] || isNumber(valueOf(card, column))) td.className = "num";
    if (text.length > 12) td.title = text;
    tr.appendChild(td);
  }
  return tr;
}
function spacer(height) {
  const tr = el("tr", { class: "pad", "aria-hidden": "true" });
  const td = tr.appendChild(el("td", { colspan: String(columns.length) }));
  td.style.height = height + "px";
  return tr;
}
let drawn = "";
let printing = false;
function render(force) {
  const shown = table.shown || [];
  const headHeight = head.offsetHeight;
  const visible = Math.ceil(box.clientHeight / rowHeight) + 1;
  let first = Math.max(0, Math.floor((box.scrollTop - headHeight) / rowHeight) - 10);
  let last = Math.min(shown.length, first + visible + 20);
  if (printing) { first = 0; last = shown.length; }
  const key = first + ":" + last;
  if (!force && key === drawn) return;
  drawn = key;
  const fragment = document.createDocumentFragment();
  if (first > 0) fragment.appendChild(spacer(first * rowHeight));
  for (let i = first; i < last; ++i) fragment.appendChild(rowElement(shown[i], i));
  if (last < shown.length) fragment.appendChild(spacer((shown.length - last) * rowHeight));
  body.replaceChildren(fragment);
  const sample = body.querySelector("tr[data-i]");
  if (sample && Math.abs(sample.offsetHeight - rowHeight) > 0.5 && !printing) {
    rowHeight = sample.offsetHeight;
    render(true);
  }
}
// The name column stays where the number column ends, however wide that is drawn.
function keepNameColumn() {
  document.getElementById("cards").style.setProperty("--left2", head.children[0].getBoundingClientRect().width + "px");
}
keepNameColumn();
if (window.ResizeObserver) new ResizeObserver(keepNameColumn).observe(head.children[0]);
let pending = false;
box.addEventListener("scroll", () => {
  if (pending) return;
  pending = true;
  requestAnimationFrame(() => { pending = false; render(false); });
}, { passive: true });
window.addEventListener("resize", () => { keepNameColumn(); render(true); });
// Printed, the table has every row shown.
function printMode(on) {
  if (printing === on) return;
  printing = on;
  render(true);
}
window.addEventListener("beforeprint", () => printMode(true));
window.addEventListener("afterprint", () => printMode(false));
window.matchMedia("print").addEventListener("change", event => printMode(event.matches));
filterBox.addEventListener("input", applyFilter);

function showScope(cards) {
  table.cards = cards;
  table.keys = null;
  table.values = [];
  table.order = null;
  box.scrollTop = 0;
  if (sorting.column >= 0) table.order = sortedOrder();
  applyFilter();
}
const types = Array.isArray(report.types) ? report.types : [];
if (types.length > 0) {
  scopeBox.hidden = false;
  scopeBox.appendChild(el("option", { value: "-1" }, page.all_types + "（すべてのデッキ）"));
  types.forEach((type, i) => scopeBox.appendChild(el("option", { value: String(i) }, type.name)));
  scopeBox.addEventListener("change", () => {
    const i = Number(scopeBox.value);
    showScope(i < 0 ? report.cards : types[i].cards || []);
  });
}
applyFilter();

