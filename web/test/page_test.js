// The page in the system's headless Chromium, as a teacher uses it: the inlined page opened from
// a file, workbooks chosen, checked, run and their results downloaded. scripts/test-web.sh made
// the workbooks and the command's outputs in WORK and compares the downloads with them.
//
//   node page_test.js PAGE SITE WORK DATE
//
// SITE is the same page in files, served here from a local web server for one run of the sample.
// WORK holds the workbooks (sample.xlsx, ten.xlsx, broken.xlsx, old.xls, noprops.xlsx,
// earlier.xlsx: the sample's students at an earlier exam), check-NAME.txt, what `valdrex check
// NAME` printed, and run-asked.txt, what the run of the sample against earlier.xlsx printed.
// Downloads go to WORK/page/, the screenshot to WORK/page.png. Prints one line per failed expectation; the exit status says whether any did.
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");
const { chromium } = require("playwright-core");

const [pagePath, site, work, date] = process.argv.slice(2);
const failures = [];
const expect = (ok, what) => {
  if (!ok) failures.push(what);
};

async function chooseAndWait(page, names) {
  await page.setInputFiles("#files", names.map((n) => path.join(work, n)));
  await page.waitForFunction(
      (n) => document.querySelectorAll("#workbooks .workbook").length === n &&
             ![...document.querySelectorAll("#workbooks .status")].some(
                 (s) => s.textContent === "正在检查…"),
      names.length);
}

// The command's advice and the page's: the same finding names the page's own controls.
const PAGE_ADVICE = [
  ["请用 --sheet 指定成绩表的名字。", "请在下面的“成绩表：”里选出成绩表。"],
  ["请加入成绩表，或用 valdrex template 生成模板。",
   "请加入成绩表，或用本页的“下载空白模板”得到模板。"],
  ["请加入名为“属性表”的普通工作表（可参照 valdrex template 生成的模板）。",
   "请加入名为“属性表”的普通工作表（可参照本页“下载空白模板”得到的模板）。"],
  ["（valdrex run 会在末尾添加）", "（统计时会在末尾添加）"],
  ["。可运行 valdrex classes 列出班级", "。可用本页的“列出班级到属性表…”列出班级"],
  ["。可运行 valdrex classes 按成绩表重排（任课教师随班级移动）",
   "。可用本页的“列出班级到属性表…”按成绩表重排（任课教师随班级移动）"],
  ["（可运行 valdrex check 查看问题）。", "（问题已列在这个工作簿的下面）。"],
];
function inPageWords(line) {
  for (const [command, words] of PAGE_ADVICE)
    if (line.endsWith(command)) return line.slice(0, line.length - command.length) + words;
  return line;
}

// Each chosen workbook's findings as shown: its lines, then the closing line (or why it cannot
// be read). They must be what `valdrex check` printed last, its advice in the page's words.
async function shownChecks(page, sheet = "") {
  const shown = await page.$$eval("#workbooks .workbook", (items) => items.map((item) => ({
    name: item.querySelector(".name").textContent,
    problem: item.querySelector(".status").classList.contains("problem"),
    lines: [...item.querySelectorAll(".findings .line")].map((e) => e.textContent)
               .concat(item.querySelector(".status").textContent),
  })));
  for (const s of shown) {
    const printed = fs.readFileSync(path.join(work, "check-" + s.name + sheet + ".txt"), "utf8")
                        .trimEnd().split("\n").map(inPageWords);
    const tail = printed.slice(printed.length - s.lines.length);
    expect(JSON.stringify(tail) === JSON.stringify(s.lines),
           `${s.name}: shown ${JSON.stringify(s.lines)}, check printed ${JSON.stringify(printed)}`);
  }
  return shown;
}

async function removeAll(page) {
  while (await page.$("#workbooks .workbook button")) await page.click("#workbooks .workbook button");
}

// The split page from a web server: it loads its own files and nothing else, and runs.
async function fromServer(browser) {
  const types = { ".html": "text/html; charset=utf-8", ".js": "text/javascript",
                  ".css": "text/css" };
  const server = http.createServer((req, res) => {
    const file = path.join(site, path.basename(new URL(req.url, "http://x").pathname));
    if (!fs.existsSync(file)) {
      res.writeHead(404).end();
      return;
    }
    res.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    res.end(fs.readFileSync(file));
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const origin = "http://127.0.0.1:" + server.address().port;
  const context = await browser.newContext({ acceptDownloads: true });
  const page = await context.newPage();
  const elsewhere = [];
  context.on("request", (r) => {
    if (!r.url().startsWith(origin + "/") && !/^(blob|data):/.test(r.url())) elsewhere.push(r.url());
  });
  page.on("console", (m) => {
    if (m.type() === "error") failures.push("site console: " + m.text().slice(0, 200));
  });
  await page.goto(origin + "/valdrex.html");
  await page.waitForSelector("#template:not([disabled])", { timeout: 30000 });
  await page.fill("#date", date);
  await chooseAndWait(page, ["sample.xlsx"]);
  await page.click("#run");
  const link = await page.waitForSelector("#results .result a", { timeout: 60000 });
  const [download] = await Promise.all([page.waitForEvent("download"), link.click()]);
  await download.saveAs(path.join(work, "page", "site-" + download.suggestedFilename()));
  expect(elsewhere.length === 0, "the site's page asked elsewhere: " + elsewhere.join(", "));
  await context.close();
  server.close();
}

// A browser without WebAssembly and workers is told so in Chinese, and shown nothing to use.
async function withoutWasm(browser, url) {
  const context = await browser.newContext();
  await context.addInitScript(() => {
    delete window.WebAssembly;
    delete window.Worker;
  });
  const page = await context.newPage();
  await page.goto(url);
  const told = await page.textContent("#unsupported");
  expect(await page.isVisible("#unsupported") && told.includes("WebAssembly") &&
         told.includes("Web Worker") && told.includes("浏览器") && !(await page.isVisible("#app")),
         "without WebAssembly and workers the page says: " + told);
  await context.close();
}

async function main() {
  const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", headless: true,
                                          args: ["--no-sandbox"] });
  const context = await browser.newContext({ acceptDownloads: true, locale: "zh-CN",
                                             viewport: { width: 1000, height: 900 } });
  context.setDefaultTimeout(30000);
  const page = await context.newPage();
  const requests = [];
  let loaded = false;
  // The page's own blobs (its worker, its downloads) and data stay inside it; anything else left.
  context.on("request", (r) => {
    if (loaded && !/^(blob|data):/.test(r.url())) requests.push(r.url().slice(0, 80));
  });
  page.on("console", (m) => {
    if (m.type() === "error") failures.push("console: " + m.text().slice(0, 200));
  });
  page.on("pageerror", (e) => failures.push("page error: " + e.message));
  const url = "file://" + path.resolve(pagePath);
  await page.goto(url);
  loaded = true;
  await page.waitForSelector("#template:not([disabled])", { timeout: 30000 });
  await page.fill("#date", date);
  const downloads = path.join(work, "page");
  fs.mkdirSync(downloads, { recursive: true });

  // Two good workbooks: the findings as `valdrex check` prints them, then one run of both.
  const good = ["sample.xlsx", "ten.xlsx"];
  await chooseAndWait(page, good);
  await shownChecks(page);
  await page.click("#run");
  await page.waitForSelector("#zip-line:not([hidden])", { timeout: 60000 });
  const links = await page.$$("#results .result a");
  expect(links.length === good.length, `${links.length} downloads for ${good.length} workbooks`);
  for (const link of [...links, await page.$("#zip")]) {
    const [download] = await Promise.all([page.waitForEvent("download"), link.click()]);
    await download.saveAs(path.join(downloads, download.suggestedFilename()));
  }
  // The preview of 两率一分 beside each result, kept for test-web.sh to hold to the command's.
  const previews = await page.$$eval("#results .result", (items) => items.map((item) =>
      [...item.querySelectorAll("table.preview tr")].map(
          (tr) => [...tr.querySelectorAll("td")].map((td) => td.textContent))));
  good.forEach((name, i) => fs.writeFileSync(path.join(downloads, "preview-" + name + ".json"),
                                             JSON.stringify(previews[i])));
  expect(previews.every((rows) => rows.length > 3), "no preview of 两率一分");
  // The charts drawn from the result's data: as many as the summary counts, each with a bar for
  // every class and series.
  await page.click("#results .result details.charts summary");
  await page.waitForSelector("#results .result svg.chart");
  const drawn = await page.$$eval("#results .result:first-child svg.chart", (svgs) =>
      svgs.map((svg) => svg.querySelectorAll("rect title").length));
  const counted = await page.textContent("#results .result .summary");
  expect(counted.includes("统计图表 " + drawn.length + " 幅") && drawn.every((n) => n >= 4),
         `charts drawn ${JSON.stringify(drawn)}, summary: ${counted}`);
  const progress = await page.textContent("#progress-text");
  expect(progress.startsWith("完成：2/2"), "progress after the batch: " + progress);
  await page.screenshot({ path: path.join(work, "page.png"), fullPage: true });

  // Files the library cannot use: their Chinese messages, and no download.
  await removeAll(page);
  const bad = ["broken.xlsx", "old.xls", "noprops.xlsx"];
  await chooseAndWait(page, bad);
  const checks = await shownChecks(page);
  for (const c of checks) {
    const text = c.lines.join("\n");
    expect(/[\u4e00-\u9fff]/.test(text), `${c.name}: no Chinese message: ${text}`);
  }
  expect(checks[0].problem && checks[1].problem, "a broken file and an .xls are not refused");
  expect(checks[1].lines.join("").includes(".xls"), "the .xls message does not name .xls");
  expect(checks[2].lines.join("").includes("属性表"), "no 属性表 is not told");
  if (!(await page.isDisabled("#run"))) {
    await page.click("#run");
    await page.waitForFunction(() => document.querySelector("#progress-text").textContent
                                                 .startsWith("完成"));
    const refused = await page.$$eval("#results .result", (r) => r.map((e) => e.textContent));
    expect(refused.every((t) => t.includes("未统计") && /属性表/.test(t)),
           "without 属性表 the run does not say why: " + refused.join(" | "));
  }
  expect((await page.$$("#results a")).length === 0 && (await page.isHidden("#zip-line")),
         "a download is offered for workbooks that were not run");

  // Findings of each kind, in the command's words.
  await removeAll(page);
  await chooseAndWait(page, ["findings.xlsx"]);
  const [found] = await shownChecks(page);
  expect(found.lines.length === 4, "findings.xlsx: " + found.lines.join(" | "));

  // A workbook dropped on the page is taken as one chosen.
  await removeAll(page);
  const bytes = [...fs.readFileSync(path.join(work, "sample.xlsx"))];
  const dropped = await page.evaluateHandle((b) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(b)], "拖入.xlsx"));
    return transfer;
  }, bytes);
  await page.dispatchEvent("#drop", "drop", { dataTransfer: dropped });
  await page.waitForFunction(() => document.querySelector("#workbooks .status") &&
                                   document.querySelector("#workbooks .status").textContent ===
                                       "没有发现问题。");
  expect(await page.textContent("#workbooks .name") === "拖入.xlsx", "the dropped workbook is not listed");

  // A cover sheet in front of the score sheet: the teacher names the score sheet instead, and
  // runs it without charts.
  await removeAll(page);
  await chooseAndWait(page, ["cover.xlsx"]);
  await shownChecks(page);
  await page.selectOption("#workbooks .sheet-choice select", "成绩表");
  await page.waitForFunction(() => document.querySelector("#workbooks .status").textContent !==
                                   "正在检查…");
  await shownChecks(page, "-成绩表");
  // Without charts, too.
  await page.uncheck("#charts");
  await page.click("#run");
  const coverLink = await page.waitForSelector("#results .result a");
  const [coverDownload] = await Promise.all([page.waitForEvent("download"), coverLink.click()]);
  await coverDownload.saveAs(path.join(downloads, coverDownload.suggestedFilename()));
  expect((await page.$$("#results details.charts")).length === 0, "charts shown for a run without");
  await page.check("#charts");

  // The sheets written only when asked: 临界生, 一分一段表 of every subject and 进退步 against
  // the earlier exam, counted and named in the summary as the command's run counts them. An
  // earlier workbook that cannot be read refuses the run with its reason.
  await removeAll(page);
  await chooseAndWait(page, ["sample.xlsx"]);
  await page.check("#near");
  await page.check("#segments");
  await page.check("#segments-all");
  const chooseEarlier = async (name) => {
    await page.setInputFiles("#earlier", path.join(work, name));
    await page.waitForFunction((n) => document.querySelector("#earlier-name").textContent === n,
                               name);
  };
  await chooseEarlier("earlier.xlsx");
  await page.click("#run");
  const askedLink = await page.waitForSelector("#results .result a");
  const [askedDownload] = await Promise.all([page.waitForEvent("download"), askedLink.click()]);
  await askedDownload.saveAs(path.join(downloads, "asked-" + askedDownload.suggestedFilename()));
  const askedSummary = await page.textContent("#results .result .summary");
  const written = fs.readFileSync(path.join(work, "run-asked.txt"), "utf8").match(/写入 \d+ 张报告表/);
  expect(written && askedSummary.includes(written[0] + "（含临界生、一分一段表、进退步、进退步汇总）"),
         `summary: ${askedSummary}, the command: ${written}`);
  // What the run tells beside its result, as the command tells it.
  const notes = await page.$$eval("#results .result .notes li", (items) =>
    items.map((e) => e.textContent));
  const printedNotes = fs.readFileSync(path.join(work, "run-asked.txt"), "utf8").split("\n")
                         .filter((line) => line.startsWith("注意："));
  expect(printedNotes.length > 0 && JSON.stringify(notes) === JSON.stringify(printedNotes),
         `notes shown ${JSON.stringify(notes)}, the command's ${JSON.stringify(printedNotes)}`);
  await chooseEarlier("broken.xlsx");
  await page.click("#run");
  await page.waitForFunction(() => document.querySelector("#progress-text").textContent
                                               .startsWith("完成"));
  const refusedRun = await page.textContent("#results");
  expect(refusedRun.includes("未统计") && refusedRun.includes("对比的工作簿") &&
             refusedRun.includes("broken.xlsx") && (await page.$$("#results a")).length === 0,
         "an unreadable earlier workbook: " + refusedRun);
  await page.click("#earlier-clear");
  for (const id of ["near", "segments"]) await page.uncheck("#" + id);

  // 成绩条 with levels and no rank anywhere, what a school may hand out: the command's
  // --slips --levels --no-ranks, the summary naming the sheet.
  await removeAll(page);
  await chooseAndWait(page, ["sample.xlsx"]);
  const handedOut = ["slips", "levels", "no-ranks"];
  for (const id of handedOut) await page.check("#" + id);
  await page.click("#run");
  const slipsLink = await page.waitForSelector("#results .result a");
  const [slipsDownload] = await Promise.all([page.waitForEvent("download"), slipsLink.click()]);
  await slipsDownload.saveAs(path.join(downloads, "slips-" + slipsDownload.suggestedFilename()));
  const slipsSummary = await page.textContent("#results .result .summary");
  expect(slipsSummary.includes("（含成绩条）"), "summary: " + slipsSummary);
  for (const id of handedOut) await page.uncheck("#" + id);

  // The template and the sample made in the page, and the classes listed in a workbook, which
  // comes back under its own name.
  for (const id of ["template", "sample"]) {
    const [download] = await Promise.all([page.waitForEvent("download"), page.click("#" + id)]);
    await download.saveAs(path.join(downloads, "made-" + download.suggestedFilename()));
  }
  const [listed] = await Promise.all([
    page.waitForEvent("download"),
    page.setInputFiles("#classes-file", path.join(work, "ten.xlsx")),
  ]);
  expect(listed.suggestedFilename() === "ten.xlsx", "classes downloaded as " + listed.suggestedFilename());
  await listed.saveAs(path.join(downloads, "classes-ten.xlsx"));

  expect(requests.length === 0, "requests after load: " + requests.join(", "));
  await fromServer(browser);
  await withoutWasm(browser, url);
  await browser.close();
  for (const f of failures) console.log("FAILED: " + f);
  process.exitCode = failures.length ? 1 : 0;
}

// However the browser hangs, the test ends, and says so.
const WATCHDOG_SECONDS = 100;
setTimeout(() => {
  console.log(`FAILED: not done after ${WATCHDOG_SECONDS} s`);
  for (const f of failures) console.log("FAILED: " + f);
  process.exit(1);
}, WATCHDOG_SECONDS * 1000).unref();

main().then(() => process.exit(), (e) => {
  console.log("FAILED: " + (e.stack || e));
  for (const f of failures) console.log("FAILED: " + f);
  process.exit(1);
});
