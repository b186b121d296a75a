// The page: workbooks chosen or dropped are checked, run and handed back for download. All the
// work is done by the library in a worker (valdrex_worker.js); the page only shows its outcomes
// in the command's words.
"use strict";

(() => {
  if (window.valdrexUnsupported) return;
  const $ = (id) => document.getElementById(id);

  // --- The worker, always from a blob: it then lives under the page's own policy, which lets
  // it reach nothing. Its source is inlined in the single-file page; on a web server it is the
  // file beside the page.
  async function startWorker() {
    const inlined = $("valdrex-worker-source");
    const source = inlined ? inlined.textContent
                           : await (await fetch("valdrex-worker.js")).text();
    return new Worker(URL.createObjectURL(new Blob([source], { type: "text/javascript" })));
  }

  const waiting = new Map();
  let nextId = 0;
  let worker;
  const ready = startWorker().then((started) => new Promise((resolve, reject) => {
    worker = started;
    worker.onmessage = (event) => {
      const data = event.data;
      if ("ready" in data) {
        data.ready ? resolve() : reject(new Error(data.problem));
        return;
      }
      const answer = waiting.get(data.id);
      waiting.delete(data.id);
      answer(data.outcome);
    };
    worker.onerror = (event) => reject(new Error(event.message || "工作线程出错"));
  }));
  ready.then(() => {
    for (const id of ["template", "sample", "classes"]) $(id).disabled = false;
    refreshRunButton();
  }, (e) => {
    showUnsupported("统计程序没有能启动，这个浏览器可能太旧或限制了本页。请用近三年内的 Microsoft Edge 或 " +
                    "Google Chrome 打开本页；360 浏览器、QQ 浏览器请切换到极速模式。（浏览器的说明：" +
                    e.message + "）");
  });

  // One request at a time, answered in order. The workbook's bytes are copied, not handed over:
  // the page keeps them for the run after the check.
  function ask(op, fields) {
    return ready.then(() => new Promise((resolve) => {
      const id = ++nextId;
      waiting.set(id, resolve);
      worker.postMessage({ id, op, ...fields });
    }));
  }

  function showUnsupported(text) {
    const box = $("unsupported");
    box.textContent = text;
    box.hidden = false;
  }

  function element(tag, className, text) {
    const e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function download(name, bytes, type) {
    const a = element("a");
    a.href = URL.createObjectURL(new Blob([bytes], { type }));
    a.download = name;
    a.textContent = "下载 " + name;
    return a;
  }

  // A macro workbook keeps its macros and its kind.
  const workbookType = (name) => /\.xlsm$/i.test(name)
      ? "application/vnd.ms-excel.sheet.macroEnabled.12"
      : "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

  // --- The chosen workbooks, each checked as soon as it is chosen.
  const workbooks = [];
  let running = false;
  let readingEarlier = false;  // the earlier exam's workbook: no run starts while it is read

  function usable() {
    return workbooks.filter((w) => w.check && !w.check.problem);
  }

  function refreshRunButton() {
    const checking = workbooks.some((w) => !w.check);
    $("run").disabled = running || checking || readingEarlier || usable().length === 0;
  }

  // The score sheet, found by the library unless the teacher names one: offered when the check
  // finds what would stop or spoil the run, so that a workbook whose score sheet was not found
  // (a cover sheet in front of it, say) is not a dead end.
  function showSheetChoice(w) {
    const place = w.item.querySelector(".sheet-choice");
    const c = w.check;
    const serious = c.findings.some((f) => f.kind !== "注意");
    if (c.problem || !c.sheets || (!serious && !w.sheet)) {
      place.textContent = "";
      return;
    }
    if (place.querySelector("select")) return;
    const select = element("select");
    select.append(new Option("自动识别", ""));
    for (const name of c.sheets) select.append(new Option(name, name));
    select.value = w.sheet || "";
    select.onchange = async () => {
      w.sheet = select.value || null;
      w.check = null;
      refreshRunButton();
      w.item.querySelector(".status").textContent = "正在检查…";
      w.check = await ask("check", { name: w.name, bytes: w.bytes.slice(0),
                                     options: { sheet: w.sheet } });
      showCheck(w);
      refreshRunButton();
    };
    const label = element("label", "", "成绩表：");
    label.append(select);
    place.append(label);
  }

  function showCheck(w) {
    const status = w.item.querySelector(".status");
    const list = w.item.querySelector(".findings");
    list.textContent = "";
    const c = w.check;
    showSheetChoice(w);
    if (c.problem) {
      status.className = "status problem";
      status.textContent = c.problem;
      return;
    }
    status.className = "status";
    status.textContent =
        c.findings.length ? "发现 " + c.findings.length + " 个问题。" : "没有发现问题。";
    for (const f of c.findings) {
      const li = element("li", "finding kind-" + ({ 错误: "error", 警告: "warning" }[f.kind] || "note"));
      li.append(element("span", "kind", f.kind + "："),
                element("span", "line", f.place + "：" + f.message));
      list.append(li);
    }
  }

  async function addFiles(files) {
    for (const file of files) {
      const w = { name: file.name, bytes: null, check: null, sheet: null,
                  item: element("li", "workbook") };
      const head = element("div", "head");
      const remove = element("button", "plain small", "移除");
      remove.type = "button";
      remove.onclick = () => {
        const at = workbooks.indexOf(w);
        if (at >= 0) workbooks.splice(at, 1);
        w.item.remove();
        refreshRunButton();
      };
      head.append(element("span", "name", file.name),
                  element("span", "quiet", "（" + Math.max(1, Math.round(file.size / 1024)) + " KB）"),
                  remove);
      w.item.append(head, element("div", "status", "正在检查…"), element("ul", "findings"),
                    element("div", "sheet-choice"));
      $("workbooks").append(w.item);
      workbooks.push(w);
      refreshRunButton();
      w.bytes = await file.arrayBuffer();
      w.check = await ask("check", { name: w.name, bytes: w.bytes.slice(0) });
      showCheck(w);
      refreshRunButton();
    }
  }

  $("files").onchange = (event) => {
    addFiles([...event.target.files]);
    event.target.value = "";
  };
  const drop = $("drop");
  drop.ondragover = (event) => {
    event.preventDefault();
    drop.classList.add("over");
  };
  drop.ondragleave = () => drop.classList.remove("over");
  drop.ondrop = (event) => {
    event.preventDefault();
    drop.classList.remove("over");
    addFiles([...event.dataTransfer.files]);
  };

  // --- The options, read as the command reads --targets and --date.
  function today() {
    const d = new Date();
    const two = (n) => String(n).padStart(2, "0");
    return d.getFullYear() + "-" + two(d.getMonth() + 1) + "-" + two(d.getDate());
  }
  $("date").value = today();

  // The earlier exam's workbook for 进退步, kept as bytes until it is cleared or another is chosen.
  let earlier = null;
  function showEarlier() {
    $("earlier-name").textContent = earlier ? earlier.name : "（未选择，不比较）";
    $("earlier-clear").hidden = !earlier;
  }
  $("earlier-choose").onclick = () => $("earlier").click();
  $("earlier").onchange = async (event) => {
    const file = event.target.files[0];
    event.target.value = "";
    if (!file) return;
    earlier = null;
    readingEarlier = true;
    refreshRunButton();
    try {
      earlier = { name: file.name, bytes: await file.arrayBuffer() };
    } finally {
      readingEarlier = false;
      showEarlier();
      refreshRunButton();
    }
  };
  $("earlier-clear").onclick = () => {
    earlier = null;
    showEarlier();
  };

  function options() {
    const target = (id, label) => {
      const v = Number($(id).value);
      if (!Number.isInteger(v) || v < 1 || v > 32767)
        throw new Error(label + "应是 1 到 32767 之间的整数。");
      return v;
    };
    // A number above 0 with at most one decimal, as the command takes --margin and --segment-step.
    const tenths = (id, largest, what) => {
      const v = Number($(id).value);
      if (!(v > 0) || v > largest || Math.abs(v * 10 - Math.round(v * 10)) > 1e-9)
        throw new Error(what);
      return v;
    };
    const targets = [target("first", "完成率一档指标"), target("second", "完成率二档指标")];
    const date = ($("date").value || today()).split("-").map(Number);
    const chosen = { targets, date, charts: $("charts").checked };
    if ($("near").checked) {
      chosen.near = true;
      chosen.margin = tenths("margin", 100, "临界生的边缘应是大于 0、不超过 100、最多一位小数的百分数。");
    }
    if ($("segments").checked) {
      chosen.segments = $("segments-all").checked ? 2 : 1;
      chosen.segmentStep = tenths("segment-step", 1000,
                                  "一分一段表每段的分数应是大于 0、不超过 1000、最多一位小数的数。");
    }
    if ($("slips").checked) chosen.slips = true;
    if ($("no-ranks").checked) chosen.noRanks = true;
    if ($("levels").checked) chosen.levels = $("level-shares").value.trim();
    if (earlier) {
      chosen.compare = earlier;
      chosen.step = target("step", "进退步的名次升降");
    }
    return chosen;
  }

  // The closing line the command prints for a finished workbook.
  function summary(name, o) {
    const c = o.counts;
    let line = name + "：" + c.classes + " 个班，" + c.students + " 名学生";
    if (c.leftOut > 0) line += "（另有 " + c.leftOut + " 行没有统计）";
    line += "，" + c.subjects + " 个科目；写入 " + c.reportSheets + " 张报告表";
    if (o.asked.length) line += "（含" + o.asked.join("、") + "）";
    if (c.charts > 0) line += "；统计图表 " + c.charts + " 幅";
    line += o.warnings.length ? "；警告 " + o.warnings.length + " 条" : "；没有警告";
    return line;
  }

  // A report sheet's cells as a table; rows and columns left empty at the end are dropped.
  function previewTable(rows) {
    const filled = (cells) => cells.some((t) => t !== "");
    while (rows.length && !filled(rows[rows.length - 1])) rows.pop();
    let width = 0;
    for (const cells of rows)
      for (let c = cells.length; c > width; --c)
        if (cells[c - 1] !== "") width = c;
    const table = element("table", "preview");
    for (const cells of rows) {
      const tr = element("tr");
      for (const text of cells.slice(0, width)) {
        // Numbers to the right as a spreadsheet shows them; a long note may wrap.
        const kind = /^-?[0-9.]+%?$/.test(text) ? "number" : text.length > 12 ? "note" : "";
        tr.append(element("td", kind, text));
      }
      table.append(tr);
    }
    return table;
  }

  function showResult(w, o, open) {
    const li = element("li", "result");
    if (!o.result) {
      li.classList.add("refused");
      li.append(element("div", "name", w.name + "：未统计"), element("div", "problem", o.problem));
    } else {
      li.append(element("div", "summary", summary(w.name, o)));
      if (o.warnings.length) {
        const list = element("ul", "warnings");
        for (const text of o.warnings) list.append(element("li", "", "警告：" + text));
        li.append(list);
      }
      if (o.notes && o.notes.length) {
        const list = element("ul", "notes");
        for (const text of o.notes) list.append(element("li", "", "注意：" + text));
        li.append(list);
      }
      li.append(download(o.resultName, o.result, workbookType(o.resultName)));
      if (o.charts && o.charts.length) {
        const details = element("details", "charts");
        details.append(element("summary", "", "统计图表（预览，" + o.charts.length + " 幅）"));
        const grid = element("div", "chart-grid");
        // Drawn when first opened: a batch of large grades holds hundreds of charts.
        details.ontoggle = () => {
          if (details.open && !grid.firstChild) for (const chart of o.charts) grid.append(chartSvg(chart));
        };
        details.append(grid);
        li.append(details);
      }
      if (o.preview && o.preview.length) {
        const details = element("details", "preview");
        details.open = open;
        details.append(element("summary", "", "两率一分（预览）"));
        const scroll = element("div", "scroll");
        scroll.append(previewTable(o.preview));
        details.append(scroll);
        li.append(details);
      }
    }
    $("results").append(li);
  }

  $("run").onclick = async () => {
    let chosen;
    try {
      chosen = options();
    } catch (e) {
      $("progress-text").textContent = e.message;
      return;
    }
    const batch = usable();
    running = true;
    refreshRunButton();
    $("results").textContent = "";
    $("zip-line").hidden = true;
    $("results-section").hidden = false;
    const bar = $("progress");
    bar.hidden = false;
    bar.max = batch.length;
    bar.value = 0;
    const done = [];
    const started = performance.now();
    for (const [i, w] of batch.entries()) {
      $("progress-text").textContent = "正在统计 " + (i + 1) + "/" + batch.length + "：" + w.name;
      const compare = chosen.compare && { name: chosen.compare.name,
                                          bytes: chosen.compare.bytes.slice(0) };
      const o = await ask("run", { name: w.name, bytes: w.bytes.slice(0),
                                   options: { ...chosen, compare, sheet: w.sheet, preview: true } });
      showResult(w, o, i === 0);
      if (o.result) done.push({ name: o.resultName, bytes: o.result });
      bar.value = i + 1;
    }
    const seconds = ((performance.now() - started) / 1000).toFixed(1);
    $("progress-text").textContent = "完成：" + done.length + "/" + batch.length + " 个工作簿已统计，用时 " +
                                     seconds + " 秒。";
    if (done.length > 1) {
      const names = distinctNames(done.map((d) => d.name));
      const zip = zipStored(done.map((d, i) => ({ name: names[i], bytes: d.bytes })));
      const old = $("zip");
      const a = download("统计结果.zip", zip, "application/zip");
      a.id = "zip";
      a.className = "button";
      a.textContent = "下载全部结果（统计结果.zip，" + done.length + " 个工作簿）";
      old.replaceWith(a);
      $("zip-line").hidden = false;
    }
    running = false;
    refreshRunButton();
  };

  // --- Made workbooks and the class listing, downloaded at once.
  function save(name, bytes) {
    const a = download(name, bytes, workbookType(name));
    document.body.append(a);
    a.click();
    a.remove();
  }

  for (const kind of ["template", "sample"]) {
    $(kind).onclick = async () => {
      const o = await ask("make", { kind });
      if (o.result) save(o.resultName, o.result);
      $("other").textContent = o.result ? "已生成 " + o.resultName + "。" : o.problem;
    };
  }

  $("classes").onclick = () => $("classes-file").click();
  $("classes-file").onchange = async (event) => {
    const file = event.target.files[0];
    event.target.value = "";
    if (!file) return;
    $("other").textContent = "正在列出 " + file.name + " 的班级…";
    const o = await ask("classes", { name: file.name, bytes: await file.arrayBuffer() });
    if (o.result) save(o.resultName, o.result);
    $("other").textContent = o.result ? "已把班级列到 " + o.resultName + " 的属性表。" : o.problem;
  };
})();
