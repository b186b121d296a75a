// The page's worker: the library, built for WebAssembly, run on workbooks given as bytes. A
// workbook goes into the module's memory file system, the job runs through the C interface as in
// every other front end, and the result comes back as bytes under the name the command gives it.
// Nothing leaves the page: there is no request, only the bytes handed in and out.
"use strict";

// The finding kinds of valdrex.h in the words the command prints.
const FINDING_WORDS = ["注意", "警告", "错误"];
const COUNTS = ["classes", "students", "subjects", "leftOut", "sheetsAdded", "reportSheets",
                "messages", "warnings", "completed", "charts"];
const PREVIEW_LIMIT = { rows: 200, columns: 40 };  // 两率一分 of the largest grade fits
// valdrex_run_options on wasm32: size_t, a pointer and eight ints, then from byte 40 the asked
// sheets' members: two doubles, four ints and the earlier workbook's path in 8 bytes; from byte
// 80 the slips, no ranks and the two level lists in 8 bytes each.
const RUN_OPTIONS_SIZE = 104;
// The sheets a run writes only when asked, named in the summary when this run wrote them.
const ASKED_SHEETS = ["临界生", "一分一段表", "进退步", "进退步汇总", "成绩条"];

function valdrexApi(M) {
  const c = (name, ret, args) => M.cwrap(name, ret, args);
  return {
    open: c("valdrex_open", "number", ["string", "number"]),
    check: c("valdrex_check", "number", ["number", "string", "number"]),
    finding: c("valdrex_finding", "number",
               ["number", "number", "number", "number", "number", "number"]),
    run: c("valdrex_run", "number", ["number", "number"]),
    saveAs: c("valdrex_save_as", "number", ["number", "string"]),
    close: c("valdrex_close", "number", ["number"]),
    lastError: c("valdrex_last_error", "string", []),
    countOf: c("valdrex_count_of", "number", ["number", "number"]),
    textOf: c("valdrex_text_of", "string", ["number", "number"]),
    warning: c("valdrex_warning", "number", ["number", "number"]),
    note: c("valdrex_note", "number", ["number", "number"]),
    resultName: c("valdrex_result_name", "string", ["string"]),
    classes: c("valdrex_classes", "number", ["number", "string"]),
    makeTemplate: c("valdrex_make_template", "number", ["string", "number", "number"]),
    makeSample: c("valdrex_make_sample", "number",
                  ["number", "number", "number", "number", "number"]),
    sheetName: c("valdrex_sheet_name", "number", ["number", "number"]),
    usedRange: c("valdrex_used_range", "number", ["number", "string", "number", "number"]),
    cellText: c("valdrex_cell_text", "string", ["number", "string", "number", "number"]),
    cellFormat: c("valdrex_cell_format", "string", ["number", "string", "number", "number"]),
    chart: c("valdrex_chart", "number",
             ["number", "string", "number", "number", "number", "number", "number"]),
    seriesColour: c("valdrex_series_colour", "number",
                    ["number", "string", "number", "number", "number"]),
    chartSeries: c("valdrex_chart_series", "number",
                   ["number", "string", "number", "number", "number", "number", "number"]),
  };
}

// The interface's advice names its functions; the page names its own controls instead, as the
// command names its subcommands and Calc its menu. A text ending in one of these ends in its
// counterpart instead.
const ADVICE_WORDS = [
  ["请在 valdrex_run_options 的 sheet 里写出成绩表的名字。", "请在下面的“成绩表：”里选出成绩表。"],
  ["请加入成绩表，或用 valdrex_make_template() 生成模板。",
   "请加入成绩表，或用本页的“下载空白模板”得到模板。"],
  ["请加入名为“属性表”的普通工作表（可参照 valdrex_make_template() 生成的模板）。",
   "请加入名为“属性表”的普通工作表（可参照本页“下载空白模板”得到的模板）。"],
  ["（valdrex_run() 会在末尾添加）", "（统计时会在末尾添加）"],
  ["。可调用 valdrex_classes() 列出班级", "。可用本页的“列出班级到属性表…”列出班级"],
  ["。可调用 valdrex_classes() 按成绩表重排（任课教师随班级移动）",
   "。可用本页的“列出班级到属性表…”按成绩表重排（任课教师随班级移动）"],
  ["（可调用 valdrex_check() 查看问题）。", "（问题已列在这个工作簿的下面）。"],
];

function inPageWords(text) {
  for (const [api, page] of ADVICE_WORDS)
    if (text.endsWith(api)) return text.slice(0, text.length - api.length) + page;
  return text;
}

let folders = 0;

// Runs `body()` in a new folder of the module's memory file system, made the current one
// so that the library's messages name a workbook as the teacher knows it, not by a path of
// the page's own; the workbook and what was written beside it leave the module's memory after.
function inFolder(M, body) {
  const folder = "/job" + ++folders;
  M.FS.mkdir(folder);
  M.FS.chdir(folder);
  try {
    return body();
  } finally {
    M.FS.chdir("/");
    removeAll(M, folder);
  }
}

function removeAll(M, path) {
  for (const entry of M.FS.readdir(path)) {
    if (entry === "." || entry === "..") continue;
    const inside = path + "/" + entry;
    if (M.FS.isDir(M.FS.stat(inside).mode)) removeAll(M, inside);
    else M.FS.unlink(inside);
  }
  M.FS.rmdir(path);
}

// Scratch memory for the pointers the interface fills, and the run options after them.
function withScratch(M, body) {
  const scratch = M._malloc(16 + RUN_OPTIONS_SIZE);
  try {
    return body(scratch);
  } finally {
    M._free(scratch);
  }
}

function textAt(M, at) {
  const p = M.getValue(at, "i32");
  return p ? M.UTF8ToString(p) : "";
}

function emptyOutcome() {
  return { status: 0, problem: "", findings: [], warnings: [], notes: [], counts: {}, asked: [],
           resultName: "", result: null };
}

// Opens the workbook at `input`: the job, or 0 with the outcome's status and problem set.
function openJob(M, api, input, scratch, outcome) {
  outcome.status = api.open(input, scratch);
  if (outcome.status === 0) return M.getValue(scratch, "i32");
  outcome.problem = inPageWords(api.lastError());
  return 0;
}

// The workbook's bytes opened as a job in a folder of its own; `body(job, scratch, outcome)`
// fills the outcome, and the job is closed after it.
function withOpenWorkbook(M, api, name, bytes, body) {
  return inFolder(M, () => withScratch(M, (scratch) => {
    const outcome = emptyOutcome();
    M.FS.writeFile(name, bytes);
    const job = openJob(M, api, name, scratch, outcome);
    if (!job) return outcome;
    try {
      body(job, scratch, outcome);
    } finally {
      api.close(job);
    }
    return outcome;
  }));
}

// The texts `textAt(i)` gives until it gives none.
function allTexts(M, textAt) {
  const texts = [];
  for (let i = 0, p; (p = textAt(i)); ++i) texts.push(M.UTF8ToString(p));
  return texts;
}

// What `valdrex check` finds, each with the place it names as the command does.
function readFindings(M, api, job, sheet, scratch) {
  api.check(job, sheet, scratch);
  const findings = [];
  const n = M.getValue(scratch, "i32");
  for (let i = 0; i < n; ++i) {
    api.finding(job, i, scratch, scratch + 4, scratch + 8, scratch + 12);
    const sheetName = textAt(M, scratch + 4), cell = textAt(M, scratch + 8);
    findings.push({ kind: FINDING_WORDS[M.getValue(scratch, "i32")] || "注意", sheet: sheetName,
                    cell, place: cell ? sheetName + "!" + cell : sheetName,
                    message: inPageWords(textAt(M, scratch + 12)) });
  }
  return findings;
}

function sheetNames(M, api, job) {
  const names = [];
  for (let i = 0, p; (p = api.sheetName(job, i)); ++i) names.push(M.UTF8ToString(p));
  return names;
}

// The sheet's cells from A1 as rows of texts, at most `limit` rows and columns, each number as
// its cell shows it (a rate with its two decimals): what a page shows of a report sheet. null
// when the workbook has no such sheet.
function sheetTable(M, api, job, sheet, scratch, limit) {
  if (api.usedRange(job, sheet, scratch, scratch + 4) !== 0) return null;
  const rows = Math.min(M.getValue(scratch, "i32"), limit.rows);
  const columns = Math.min(M.getValue(scratch + 4, "i32"), limit.columns);
  const table = [];
  for (let r = 1; r <= rows; ++r) {
    const row = [];
    for (let c = 1; c <= columns; ++c) {
      const text = api.cellText(job, sheet, r, c) || "";
      const twoDecimals = api.cellFormat(job, sheet, r, c) === "0.00" && text !== "";
      row.push(twoDecimals && !isNaN(Number(text)) ? Number(text).toFixed(2) : text);
    }
    table.push(row);
  }
  return table;
}

// The charts a run placed on 统计图表, each with its series' names, labels and values read from
// the cells the chart refers to: { title, stacked, percent, series: [{ name, labels, values }] }.
function readCharts(M, api, job, scratch) {
  const sheet = "统计图表";
  // Three valdrex_cells (a pointer and four ints each), then a series colour.
  const cells = M._malloc(64);
  const block = (at) => {
    const from = textAt(M, at);
    const [r1, c1, r2, c2] = [4, 8, 12, 16].map((o) => M.getValue(at + o, "i32"));
    const texts = [];
    for (let r = r1; r <= r2; ++r)
      for (let c = c1; c <= c2; ++c) texts.push(api.cellText(job, from, r, c) || "");
    return texts;
  };
  // The result's own colour of a series, as "#rrggbb".
  const colourOf = (i, k) => {
    if (api.seriesColour(job, sheet, i, k, cells + 60) !== 0) return null;
    return "#" + (M.getValue(cells + 60, "i32") >>> 0).toString(16).padStart(6, "0");
  };
  const charts = [];
  try {
    for (let i = 0; api.chart(job, sheet, i, scratch, scratch + 4, scratch + 8, scratch + 12) === 0;
         ++i) {
      const chart = { title: textAt(M, scratch), stacked: M.getValue(scratch + 4, "i32") === 1,
                      percent: M.getValue(scratch + 8, "i32") === 1, series: [] };
      const n = M.getValue(scratch + 12, "i32");
      for (let k = 0; k < n && api.chartSeries(job, sheet, i, k, cells, cells + 20, cells + 40) === 0;
           ++k)
        chart.series.push({ name: block(cells)[0], labels: block(cells + 20),
                            values: block(cells + 40).map((t) => (t === "" ? 0 : Number(t))),
                            colour: colourOf(i, k) });
      charts.push(chart);
    }
  } finally {
    M._free(cells);
  }
  return charts;
}

// Saves what the job made under `path`: the outcome's status, problem and result.
function save(M, api, job, path, outcome) {
  outcome.status = api.saveAs(job, path);
  if (outcome.status === 0 || outcome.status === 1) outcome.result = M.FS.readFile(path);
  else outcome.problem = inPageWords(api.lastError());
}

// Checks one workbook without running it: { status, problem, findings, sheets }.
function checkWorkbook(M, api, name, bytes, options = {}) {
  return withOpenWorkbook(M, api, name, bytes, (job, scratch, outcome) => {
    outcome.findings = readFindings(M, api, job, options.sheet || null, scratch);
    outcome.sheets = sheetNames(M, api, job);
  });
}

// Where the earlier exam's workbook goes: beside the workbook under its own name, so that a
// message names it as the teacher knows it, unless that is the workbook's or its result's name.
function earlierPath(M, api, name, earlierName) {
  if (earlierName !== name && earlierName !== api.resultName(name)) return earlierName;
  M.FS.mkdir("上次");
  return "上次/" + earlierName;
}

// Checks and runs one workbook. `options`: targets [first, second] (0 for the defaults), date
// [year, month, day] (omitted: today), charts (default true), sheet (default: found); the sheets
// written when asked: near (临界生) with margin (percent, 0: 5), segments (1: 一分一段表 of the
// total, 2: of every subject too) with segmentStep (0: 1), and compare { name, bytes }, the
// earlier exam's workbook for 进退步, with step (0: 20).
// Returns { status, problem, findings, warnings, notes, counts, asked, resultName, result }
// where asked names the sheets written only when asked that this run wrote and result is the
// result's bytes, or null when nothing was written; with options.preview, also preview: the
// cells of 两率一分 as rows of texts, and charts: the charts of 统计图表 with their data.
function runWorkbook(M, api, name, bytes, options = {}) {
  return withOpenWorkbook(M, api, name, bytes, (job, scratch, outcome) => {
    const sheet = options.sheet || null;
    outcome.findings = readFindings(M, api, job, sheet, scratch);
    const o = scratch + 16;
    const [first, second] = options.targets || [0, 0];
    const [year, month, day] = options.date || [0, 0, 0];
    const sheetName = sheet ? M.allocateUTF8(sheet) : 0;
    let compare = 0;
    if (options.compare) {
      const at = earlierPath(M, api, name, options.compare.name);
      M.FS.writeFile(at, new Uint8Array(options.compare.bytes));
      compare = M.allocateUTF8(at);
    }
    const ints = [first, second, year, month, day, 0, options.charts === false ? 1 : 0, 0];
    M.setValue(o, RUN_OPTIONS_SIZE, "i32");
    M.setValue(o + 4, sheetName, "i32");
    ints.forEach((v, i) => M.setValue(o + 8 + 4 * i, v, "i32"));
    M.setValue(o + 40, options.segmentStep || 0, "double");
    M.setValue(o + 48, options.margin || 0, "double");
    const asked = [options.segments || 0, options.near ? 1 : 0, options.step || 0, 0];
    asked.forEach((v, i) => M.setValue(o + 56 + 4 * i, v, "i32"));
    M.setValue(o + 72, compare, "i32");  // the path; the union's upper half stays 0
    M.setValue(o + 76, 0, "i32");
    const levels = typeof options.levels === "string" ? M.allocateUTF8(options.levels) : 0;
    [options.slips ? 1 : 0, options.noRanks ? 1 : 0, levels, 0, 0, 0]
        .forEach((v, i) => M.setValue(o + 80 + 4 * i, v, "i32"));
    outcome.status = api.run(job, o);
    if (levels) M._free(levels);
    if (sheetName) M._free(sheetName);
    if (compare) M._free(compare);
    outcome.problem = inPageWords(api.textOf(job, 0));
    COUNTS.forEach((key, i) => { outcome.counts[key] = api.countOf(job, i); });
    outcome.warnings = allTexts(M, (i) => api.warning(job, i));
    outcome.notes = allTexts(M, (i) => api.note(job, i));
    if ((outcome.status === 0 || outcome.status === 1) && !outcome.problem) {
      outcome.resultName = api.resultName(name);
      save(M, api, job, outcome.resultName, outcome);
      const wrote = { 临界生: options.near, 一分一段表: options.segments,
                      进退步: options.compare, 进退步汇总: options.compare, 成绩条: options.slips };
      // A chart sheet under such a name is not written over: only sheets with cells count.
      outcome.asked = ASKED_SHEETS.filter(
          (n) => wrote[n] && api.usedRange(job, n, scratch, scratch + 4) === 0 &&
                 M.getValue(scratch, "i32") > 0);
      if (options.preview && outcome.result) {
        outcome.preview = sheetTable(M, api, job, "两率一分", scratch, PREVIEW_LIMIT);
        outcome.charts = readCharts(M, api, job, scratch);
      }
    }
  });
}

// Lists the score sheet's classes into 属性表; the workbook comes back under its own name.
function listClasses(M, api, name, bytes, options = {}) {
  return withOpenWorkbook(M, api, name, bytes, (job, scratch, outcome) => {
    outcome.status = api.classes(job, options.sheet || null);
    outcome.problem = inPageWords(api.textOf(job, 0));
    if (outcome.status === 0 && !outcome.problem) {
      // Under its own name in a folder of its own: a save never writes over its input.
      outcome.resultName = name;
      M.FS.mkdir("listed");
      save(M, api, job, "listed/" + name, outcome);
    }
  });
}

// A blank template (kind "template") or a sample grade (kind "sample") to download, as the
// command makes them by default.
function makeWorkbook(M, api, kind) {
  return inFolder(M, () => withScratch(M, (scratch) => {
    const outcome = emptyOutcome();
    outcome.status = kind === "template" ? api.makeTemplate(null, 4, scratch)
                                         : api.makeSample(4, 40, 6, 1, scratch);
    if (outcome.status !== 0) {
      outcome.problem = api.lastError();
      return outcome;
    }
    const job = M.getValue(scratch, "i32");
    try {
      outcome.resultName = kind === "template" ? "成绩模板.xlsx" : "示例.xlsx";
      save(M, api, job, outcome.resultName, outcome);
    } finally {
      api.close(job);
    }
    return outcome;
  }));
}

const OPERATIONS = {
  check: (M, api, d) => checkWorkbook(M, api, d.name, new Uint8Array(d.bytes), d.options),
  run: (M, api, d) => runWorkbook(M, api, d.name, new Uint8Array(d.bytes), d.options),
  classes: (M, api, d) => listClasses(M, api, d.name, new Uint8Array(d.bytes), d.options),
  make: (M, api, d) => makeWorkbook(M, api, d.kind),
};

// In a worker: one message a request, { id, op, ... }, answered with its outcome, in order.
if (typeof WorkerGlobalScope !== "undefined" && typeof createValdrexModule === "function") {
  const ready = createValdrexModule().then((M) => ({ M, api: valdrexApi(M) }));
  ready.then(() => self.postMessage({ ready: true }),
             (e) => self.postMessage({ ready: false, problem: String(e) }));
  self.onmessage = async (event) => {
    const { M, api } = await ready;
    const request = event.data;
    let outcome;
    try {
      outcome = OPERATIONS[request.op](M, api, request);
    } catch (e) {
      outcome = emptyOutcome();
      outcome.status = 5;
      outcome.problem = "内部错误：" + e + "。请把工作簿和这条消息交给维护者。";
    }
    self.postMessage({ id: request.id, outcome }, outcome.result ? [outcome.result.buffer] : []);
  };
}

if (typeof module !== "undefined") module.exports = { valdrexApi, runWorkbook, checkWorkbook };
