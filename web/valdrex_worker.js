// The page's worker: the library, built for WebAssembly, run on workbooks given as bytes. A
// workbook goes into the module's memory file system, the job runs through the C interface as in
// every other front end, and the result comes back as bytes under the name the command gives it.
// Nothing leaves the page: there is no request, only the bytes handed in and out.
"use strict";

// The finding kinds of valdrex.h in the words the command prints.
const FINDING_WORDS = ["注意", "警告", "错误"];
const COUNTS = ["classes", "students", "subjects", "leftOut", "sheetsAdded", "reportSheets",
                "messages", "warnings", "completed", "charts"];
const RUN_OPTIONS_SIZE = 40;  // valdrex_run_options on wasm32: size_t, a pointer and eight ints

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
    resultName: c("valdrex_result_name", "string", ["string"]),
  };
}

let folders = 0;

// Checks and runs one workbook. `options`: targets [first, second] (0 for the defaults), date
// [year, month, day] (omitted: today), charts (default true), sheet (default: found).
// Returns { status, problem, findings, warnings, counts, resultName, result } where result is the
// result's bytes, or null when nothing was written.
function runWorkbook(M, api, name, bytes, options = {}) {
  const folder = "/job" + ++folders;
  M.FS.mkdir(folder);
  const input = folder + "/" + name;
  M.FS.writeFile(input, bytes);
  const scratch = M._malloc(16 + RUN_OPTIONS_SIZE);
  const text = (at) => {
    const p = M.getValue(at, "i32");
    return p ? M.UTF8ToString(p) : "";
  };
  const outcome = { status: 0, problem: "", findings: [], warnings: [], counts: {},
                    resultName: "", result: null };
  try {
    outcome.status = api.open(input, scratch);
    if (outcome.status !== 0) {
      outcome.problem = api.lastError();
      return outcome;
    }
    const job = M.getValue(scratch, "i32");
    try {
      const sheet = options.sheet || null;
      api.check(job, sheet, scratch);
      const n = M.getValue(scratch, "i32");
      for (let i = 0; i < n; ++i) {
        api.finding(job, i, scratch, scratch + 4, scratch + 8, scratch + 12);
        outcome.findings.push({ kind: FINDING_WORDS[M.getValue(scratch, "i32")] || "注意",
                                sheet: text(scratch + 4), cell: text(scratch + 8),
                                message: text(scratch + 12) });
      }
      const o = scratch + 16;
      const [first, second] = options.targets || [0, 0];
      const [year, month, day] = options.date || [0, 0, 0];
      const sheetName = sheet ? M.allocateUTF8(sheet) : 0;
      const ints = [first, second, year, month, day, 0, options.charts === false ? 1 : 0, 0];
      M.setValue(o, RUN_OPTIONS_SIZE, "i32");
      M.setValue(o + 4, sheetName, "i32");
      ints.forEach((v, i) => M.setValue(o + 8 + 4 * i, v, "i32"));
      outcome.status = api.run(job, o);
      if (sheetName) M._free(sheetName);
      outcome.problem = api.textOf(job, 0);
      COUNTS.forEach((key, i) => { outcome.counts[key] = api.countOf(job, i); });
      for (let i = 0; ; ++i) {
        const p = api.warning(job, i);
        if (!p) break;
        outcome.warnings.push(M.UTF8ToString(p));
      }
      if ((outcome.status === 0 || outcome.status === 1) && !outcome.problem) {
        outcome.resultName = api.resultName(name);
        const path = folder + "/" + outcome.resultName;
        outcome.status = api.saveAs(job, path);
        if (outcome.status === 0 || outcome.status === 1) outcome.result = M.FS.readFile(path);
        else outcome.problem = api.lastError();
      }
    } finally {
      api.close(job);
    }
    return outcome;
  } finally {
    M._free(scratch);
    // The workbook and its result leave the module's memory.
    for (const entry of M.FS.readdir(folder))
      if (entry !== "." && entry !== "..") M.FS.unlink(folder + "/" + entry);
    M.FS.rmdir(folder);
  }
}

// In a worker: one message a workbook, { name, bytes, options }, answered with its outcome.
if (typeof importScripts === "function" && typeof createValdrexModule === "function") {
  const ready = createValdrexModule().then((M) => ({ M, api: valdrexApi(M) }));
  self.onmessage = async (event) => {
    const { M, api } = await ready;
    const { id, name, bytes, options } = event.data;
    let outcome;
    try {
      outcome = runWorkbook(M, api, name, new Uint8Array(bytes), options);
    } catch (e) {
      outcome = { status: 5, problem: "内部错误：" + e, findings: [], warnings: [], counts: {},
                  resultName: "", result: null };
    }
    self.postMessage({ id, outcome }, outcome.result ? [outcome.result.buffer] : []);
  };
}

if (typeof module !== "undefined") module.exports = { valdrexApi, runWorkbook };
