// The web report's script, second part: the type table and the charts,
// drawn from whatever keys the data hold. Runs after report_table.js in the
// same function.
// ---- small charts
function sparkline(values) {
  const points = values.map((v, i) => [i, v]).filter(p => isNumber(p[1]));
  const svg = svgEl("svg", { class: "spark", width: 80, height: 20, viewBox: "0 0 80 20", role: "img" });
  if (points.length < 2) return svg;
  const top = Math.max.apply(null, points.map(p => p[1])) || 1;
  const step = 76 / Math.max(1, values.length - 1);
  svg.appendChild(svgEl("polyline", {
    points: points.map(p => (2 + p[0] * step).toFixed(1) + "," + (18 - p[1] / top * 16).toFixed(1)).join(" "),
    fill: "none", stroke: "#2563eb", "stroke-width": 1.5
  }));
  return svg;
}
function headerOf(key) {
  const column = columns.find(c => c.key === key && !c.group);
  if (column) return column;
  const names = { share_change: "シェア増減(pt)", share_slope: "傾き(pt/期)", share_series: "推移" };
  return { key: key, header: names[key] || key, kind: "" };
}

// ---- the type table
if (types.length > 0) {
  document.getElementById("type-section").hidden = false;
  const typeTable = document.getElementById("types");
  const known = { name: 1, decks: 1, share: 1, cards: 1, average_deck: 1 };
  const extra = [];
  for (const type of types) for (const key in type) if (!known[key] && extra.indexOf(key) < 0) extra.push(key);
  const tr = typeTable.appendChild(el("tr"));
  tr.appendChild(el("th", null, "デッキタイプ"));
  tr.appendChild(el("th", { class: "num" }, "デッキ"));
  tr.appendChild(el("th", { class: "num" }, "シェア(%)"));
  tr.appendChild(el("th", { class: "no-print" }, ""));
  const extraColumns = extra.map(headerOf);
  for (const column of extraColumns) tr.appendChild(el("th", { class: "num" }, column.header));
  const top = Math.max.apply(null, types.map(t => t.share).concat([1]));
  types.forEach((type, i) => {
    const row = typeTable.appendChild(el("tr"));
    const button = row.appendChild(el("td")).appendChild(el("button", { type: "button" }, type.name));
    button.addEventListener("click", () => {
      scopeBox.value = String(i);
      showScope(type.cards || []);
      document.getElementById("card-section").scrollIntoView();
    });
    row.appendChild(el("td", { class: "num" }, String(type.decks)));
    row.appendChild(el("td", { class: "num" }, cellText(type.share, "rate")));
    const bar = row.appendChild(el("td", { class: "bar-cell no-print" })).appendChild(el("span", { class: "bar" }));
    bar.style.width = (type.share / top * 100).toFixed(1) + "%";
    for (const column of extraColumns) {
      const value = type[column.key];
      const td = row.appendChild(el("td", { class: "num" }));
      if (Array.isArray(value)) {
        td.appendChild(sparkline(value.map(p => p && typeof p === "object" ? (isNumber(p.share) ? p.share : null) : p)));
      } else {
        td.textContent = cellText(value === undefined ? null : value, column.kind);
      }
    }
  });
}

// ---- charts
const charts = document.getElementById("charts");
function figure(caption, note) {
  const fig = charts.appendChild(el("figure"));
  fig.appendChild(el("figcaption", null, caption));
  if (note) fig.appendChild(el("p", { class: "note" }, note));
  document.getElementById("chart-section").hidden = false;
  return fig;
}
// Charts are drawn at the width they are shown, so their text keeps its size.
const chartWidth = Math.round(Math.max(300, Math.min(640, document.getElementById("card-section").clientWidth - 24)));
function clip(text, length) {
  const chars = Array.from(text);
  return chars.length > length ? chars.slice(0, length - 1).join("") + "…" : text;
}
function barChart(caption, items) {
  if (items.length === 0) return;
  const row = 22, width = chartWidth, left = Math.round(width * 0.3), height = items.length * row + 8;
  const fig = figure(caption);
  const svg = fig.insertBefore(svgEl("svg", { viewBox: "0 0 " + width + " " + height, role: "img" }),
    fig.querySelector(".note"));
  svg.appendChild(svgEl("title", null, caption));
  const top = Math.max.apply(null, items.map(i => i.value).concat([1]));
  items.forEach((item, i) => {
    const y = 4 + i * row;
    const label = svg.appendChild(svgEl("text", { x: left - 6, y: y + 14, "text-anchor": "end" },
      clip(item.label, Math.floor(left / 12))));
    label.appendChild(svgEl("title", null, item.label));
    const w = Math.max(1, item.value / top * (width - left - 60));
    svg.appendChild(svgEl("rect", { x: left, y: y + 3, width: w.toFixed(1), height: row - 6, rx: 2,
      fill: PALETTE[0] }));
    svg.appendChild(svgEl("text", { x: (left + w + 4).toFixed(1), y: y + 14 }, decimal(item.value) + "%"));
  });
}
function cardLabel(card) { return card.name || card.number || ""; }

const adopted = report.cards.map((card, i) => ({ card: card, i: i }))
  .filter(x => isNumber(x.card.adoption))
  .sort((a, b) => b.card.adoption - a.card.adoption || a.i - b.i)
  .slice(0, 20);
barChart("採用率 上位 " + adopted.length + " 枚", adopted.map(x => ({ label: cardLabel(x.card), value: x.card.adoption })));
barChart("デッキタイプのシェア", types.filter(t => isNumber(t.share)).map(t => ({ label: t.name, value: t.share })));

// The top of an axis of four steps: a round number at or above `max`.
function roundTop(max) {
  const step = max / 4, power = Math.pow(10, Math.floor(Math.log10(step)));
  for (const m of [1, 2, 2.5, 5, 10]) if (m * power >= step - 1e-9) return m * power * 4;
  return max;
}
// Lines of several series over the periods.
function lineChart(caption, periods, lines, note) {
  if (periods.length < 2 || lines.length === 0) return;
  const width = chartWidth, height = 240, left = 40, right = 28, top = 10, bottom = 40;
  const fig = figure(caption, note);
  const svg = fig.insertBefore(svgEl("svg", { viewBox: "0 0 " + width + " " + height, role: "img" }),
    fig.querySelector(".note"));
  svg.appendChild(svgEl("title", null, caption));
  const all = [];
  for (const line of lines) for (const v of line.values) if (isNumber(v)) all.push(v);
  const max = roundTop(Math.max.apply(null, all.concat([1])));
  const x = i => left + i * (width - left - right) / (periods.length - 1);
  const y = v => top + (1 - v / max) * (height - top - bottom);
  for (let g = 0; g <= 4; ++g) {
    const value = max * g / 4;
    svg.appendChild(svgEl("line", { class: "grid", x1: left, x2: width - right, y1: y(value), y2: y(value) }));
    svg.appendChild(svgEl("text", { x: left - 4, y: y(value) + 4, "text-anchor": "end" }, decimal(value)));
  }
  const every = Math.ceil(periods.length / 8);
  periods.forEach((p, i) => {
    if (i % every === 0 || i === periods.length - 1) {
      const anchor = i === 0 ? "start" : i === periods.length - 1 ? "end" : "middle";
      svg.appendChild(svgEl("text", { x: x(i), y: height - bottom + 16, "text-anchor": anchor }, clip(String(p), 10)));
    }
  });
  const legend = fig.insertBefore(el("p", { class: "note" }), fig.querySelector(".note"));
  lines.forEach((line, n) => {
    const color = PALETTE[n % PALETTE.length];
    let path = "";
    line.values.forEach((v, i) => {
      if (!isNumber(v)) return;
      path += (path && isNumber(line.values[i - 1]) ? "L" : "M") + x(i).toFixed(1) + "," + y(v).toFixed(1);
    });
    const drawn = svg.appendChild(svgEl("path", { d: path, fill: "none", stroke: color, "stroke-width": 2 }));
    drawn.appendChild(svgEl("title", null, line.label));
    const key = legend.appendChild(el("span", null, "■ "));
    key.style.color = color;
    legend.appendChild(el("span", null, clip(line.label, 16) + "　"));
  });
}
const periodNames = Array.isArray(report.periods) ? report.periods.map(p => p.name) : [];
function seriesNames(series) {
  return periodNames.length === series.length ? periodNames : series.map((p, i) => p && p.period !== undefined ? p.period : String(i + 1));
}
const trended = report.cards.filter(c => c.trend && Array.isArray(c.trend.series)).slice(0, 8);
if (trended.length > 0) {
  const series = trended[0].trend.series;
  lineChart("採用率の推移（上位 " + trended.length + " 枚）", seriesNames(series), trended.map(c => ({
    label: cardLabel(c), values: c.trend.series.map(p => p && isNumber(p.adoption) ? p.adoption : null)
  })), "縦軸: 採用率(%)");
}
const shareTrended = types.filter(t => Array.isArray(t.share_series)).slice(0, 10);
if (shareTrended.length > 0) {
  const series = shareTrended[0].share_series;
  lineChart("デッキタイプのシェアの推移", seriesNames(series), shareTrended.map(t => ({
    label: t.name, values: t.share_series.map(p => p && isNumber(p.share) ? p.share : null)
  })), "縦軸: シェア(%)");
}

// Each type (or the most adopted cards) at (share or adoption, win rate),
// its 95 % interval as a bar; small samples are left out.
function metagameChart() {
  const byType = types.some(t => isNumber(t.win_rate));
  const source = byType ? types.map(t => ({ label: t.name, x: t.share, item: t, size: t.result_decks }))
    : report.cards.map((c, i) => ({ label: cardLabel(c), x: c.adoption, item: c, size: c.result_decks, i: i }))
      .filter(p => isNumber(p.x)).sort((a, b) => b.x - a.x || a.i - b.i).slice(0, 30);
  const withRate = source.filter(p => isNumber(p.item.win_rate) && isNumber(p.x));
  const points = withRate.filter(p => !p.item.small_sample);
  if (withRate.length === 0) return;
  const left = withRate.length - points.length;
  const note = (byType ? "横軸: シェア(%)" : "横軸: 採用率(%)") + "、縦軸: 勝率(%)、縦線は 95% 区間" +
    (left > 0 ? "。サンプルの少ない " + left + " 件は除いています" : "");
  const fig = figure(byType ? "メタゲーム（デッキタイプ）" : "メタゲーム（採用率上位のカード）", note);
  const width = chartWidth, height = 300, pad = 40;
  const svg = fig.insertBefore(svgEl("svg", { viewBox: "0 0 " + width + " " + height, role: "img" }),
    fig.querySelector(".note"));
  const maxX = roundTop(Math.max.apply(null, points.map(p => p.x).concat([1])) * 1.1);
  const ys = [];
  for (const p of points) ys.push(p.item.win_rate, isNumber(p.item.win_rate_low) ? p.item.win_rate_low : p.item.win_rate,
    isNumber(p.item.win_rate_high) ? p.item.win_rate_high : p.item.win_rate);
  const minY = Math.max(0, Math.floor((Math.min.apply(null, ys.concat([40])) - 5) / 10) * 10);
  const maxY = Math.min(100, Math.ceil((Math.max.apply(null, ys.concat([60])) + 5) / 10) * 10);
  const x = v => pad + v / maxX * (width - pad - 10);
  const y = v => 10 + (1 - (v - minY) / (maxY - minY)) * (height - pad - 10);
  for (let g = 0; g <= 4; ++g) {
    const anchor = g === 0 ? "start" : g === 4 ? "end" : "middle";
    svg.appendChild(svgEl("text", { x: x(maxX * g / 4), y: height - pad + 16, "text-anchor": anchor }, decimal(maxX * g / 4)));
  }
  for (let v = minY; v <= maxY; v += 10) {
    svg.appendChild(svgEl("line", { class: "grid", x1: pad, x2: width - 10, y1: y(v), y2: y(v) }));
    svg.appendChild(svgEl("text", { x: pad - 4, y: y(v) + 4, "text-anchor": "end" }, String(v)));
  }
  if (minY < 50 && maxY > 50) {
    svg.appendChild(svgEl("line", { class: "axis", x1: pad, x2: width - 10, y1: y(50), y2: y(50), "stroke-dasharray": "4 3" }));
  }
  const biggest = Math.max.apply(null, points.map(p => isNumber(p.size) ? p.size : 1).concat([1]));
  points.forEach((p, n) => {
    const color = PALETTE[n % PALETTE.length];
    const item = p.item;
    if (isNumber(item.win_rate_low) && isNumber(item.win_rate_high)) {
      svg.appendChild(svgEl("line", { x1: x(p.x), x2: x(p.x), y1: y(item.win_rate_low), y2: y(item.win_rate_high),
        stroke: color, "stroke-width": 1.5, opacity: 0.6 }));
    }
    const r = 3 + 9 * Math.sqrt((isNumber(p.size) ? p.size : 1) / biggest);
    const dot = svg.appendChild(svgEl("circle", { cx: x(p.x), cy: y(item.win_rate), r: r.toFixed(1), fill: color,
      "fill-opacity": 0.7 }));
    dot.appendChild(svgEl("title", null, p.label + "  勝率 " + decimal(item.win_rate) + "%"));
    svg.appendChild(svgEl("text", { x: x(p.x) + r + 2, y: y(item.win_rate) + 4 }, clip(p.label, 10)));
  });
}
metagameChart();
document.documentElement.setAttribute("data-ready", "1");
