// A chart of 统计图表 drawn as SVG from the data the result's chart refers to: columns side by
// side or stacked, one colour a series, the labels (the classes) below, a legend above. Only a
// preview: the workbook's own chart is what prints.
"use strict";

const CHART_COLOURS = ["#4472c4", "#ed7d31", "#a5a5a5", "#ffc000", "#5b9bd5", "#70ad47",
                       "#264478", "#9e480e", "#636363", "#997300", "#255e91", "#43682b"];

// A step of 1, 2 or 5 times a power of ten giving about five gridlines up to `top`.
function niceStep(top) {
  const rough = top / 5;
  const power = Math.pow(10, Math.floor(Math.log10(rough)));
  for (const m of [1, 2, 5, 10]) if (m * power >= rough) return m * power;
  return 10 * power;
}

function chartSvg(chart) {
  const ns = "http://www.w3.org/2000/svg";
  const node = (tag, attributes, text) => {
    const e = document.createElementNS(ns, tag);
    for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, v);
    if (text !== undefined) e.textContent = text;
    return e;
  };
  const labels = chart.series.length ? chart.series[0].labels : [];
  const width = 440, height = 250;
  const plot = { left: 44, right: width - 10, top: 46, bottom: height - 30 };
  const svg = node("svg", { viewBox: `0 0 ${width} ${height}`, width, height, class: "chart",
                            role: "img", "aria-label": chart.title });
  svg.append(node("text", { x: width / 2, y: 16, "text-anchor": "middle", "font-size": 13,
                            "font-weight": "bold" }, chart.title));

  // The legend, one entry a series, in rows as wide as the chart.
  let x = plot.left, y = 32;
  chart.series.forEach((s, k) => {
    const w = 16 + 12 * [...s.name].length;
    if (x + w > plot.right) {
      x = plot.left;
      y += 12;
    }
    svg.append(node("rect", { x, y: y - 8, width: 9, height: 9,
                              fill: s.colour || CHART_COLOURS[k % CHART_COLOURS.length] }));
    svg.append(node("text", { x: x + 12, y, "font-size": 10 }, s.name));
    x += w;
  });
  plot.top = Math.max(plot.top, y + 10);

  const totals = labels.map((_, i) => chart.series.reduce(
      (sum, s) => (chart.stacked ? sum + Math.max(0, s.values[i]) : Math.max(sum, s.values[i])), 0));
  const step = niceStep(Math.max(1, ...totals));
  const top = Math.ceil(Math.max(1, ...totals) / step) * step;
  const scale = (v) => plot.bottom - (v / top) * (plot.bottom - plot.top);
  for (let v = 0; v <= top + step / 2; v += step) {
    svg.append(node("line", { x1: plot.left, x2: plot.right, y1: scale(v), y2: scale(v),
                              stroke: v ? "#e0e0e0" : "#888" }));
    const shown = +v.toFixed(6) + (chart.percent ? "%" : "");
    svg.append(node("text", { x: plot.left - 4, y: scale(v) + 3, "text-anchor": "end",
                              "font-size": 9, fill: "#555" }, shown));
  }

  const group = (plot.right - plot.left) / Math.max(1, labels.length);
  const bars = chart.stacked ? 1 : chart.series.length;
  const bar = Math.max(1, (group * 0.8) / Math.max(1, bars));
  labels.forEach((label, i) => {
    const left = plot.left + i * group + group * 0.1;
    let base = 0;
    chart.series.forEach((s, k) => {
      const v = Math.max(0, s.values[i]);
      const from = chart.stacked ? base : 0;
      const at = chart.stacked ? left : left + k * bar;
      const r = node("rect", { x: at, y: scale(from + v), width: chart.stacked ? group * 0.8 : bar,
                               height: scale(from) - scale(from + v),
                               fill: s.colour || CHART_COLOURS[k % CHART_COLOURS.length] });
      r.append(node("title", {}, `${label} ${s.name}：${s.values[i]}${chart.percent ? "%" : ""}`));
      svg.append(r);
      base += v;
    });
    svg.append(node("text", { x: left + group * 0.4, y: plot.bottom + 13, "text-anchor": "middle",
                              "font-size": labels.length > 12 ? 8 : 10 }, label));
  });
  return svg;
}

if (typeof module !== "undefined") module.exports = { niceStep };
