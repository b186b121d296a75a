// Times the page on one workbook in the system's headless Chromium: from the click on 开始统计 to
// the result offered for download (the worker's check, run and save, and the bytes both ways),
// best of ROUNDS. Prints the seconds. Run by bench/web_bench.sh.
//
//   node web_bench.js PAGE WORKBOOK ROUNDS
"use strict";
const path = require("path");
const { chromium } = require(path.join(__dirname, "../web/test/node_modules/playwright-core"));

async function main() {
  const [pagePath, workbook, rounds] = process.argv.slice(2);
  const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", headless: true,
                                          args: ["--no-sandbox"] });
  const page = await browser.newPage();
  await page.goto("file://" + path.resolve(pagePath));
  await page.waitForSelector("#template:not([disabled])");
  await page.fill("#date", "2026-12-06");
  await page.setInputFiles("#files", workbook);
  await page.waitForSelector("#run:not([disabled])", { timeout: 120000 });
  let best = Infinity;
  for (let i = 0; i < Number(rounds); ++i) {
    const seconds = await page.evaluate(() => new Promise((resolve) => {
      const started = performance.now();
      const done = new MutationObserver(() => {
        if (!document.querySelector("#progress-text").textContent.startsWith("完成")) return;
        done.disconnect();
        resolve((performance.now() - started) / 1000);
      });
      done.observe(document.querySelector("#progress-text"), { childList: true });
      document.querySelector("#run").click();
    }));
    const link = await page.$("#results .result a");
    if (!link) throw new Error("no result: " + (await page.textContent("#results")));
    best = Math.min(best, seconds);
  }
  console.log(best.toFixed(2));
  await browser.close();
}

main().catch((e) => {
  console.error(e);
  process.exitCode = 1;
});
