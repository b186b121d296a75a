// Runs the page's worker code under node on one workbook, as the page does (bytes in, bytes out),
// and writes the result beside it for scripts/test-web.sh to compare with the command's.
//
//   node worker_check.js VALDREX_JS WORKBOOK RESULT YYYY-MM-DD
"use strict";
const fs = require("fs");
const path = require("path");
const { valdrexApi, runWorkbook } = require("./valdrex_worker.js");

async function main() {
  const [moduleFile, workbook, result, date] = process.argv.slice(2);
  const createValdrexModule = require(path.resolve(moduleFile));
  const M = await createValdrexModule();
  const api = valdrexApi(M);
  const run = () => runWorkbook(M, api, path.basename(workbook), fs.readFileSync(workbook),
                                { targets: [5, 20], date: date.split("-").map(Number) });
  // Twice in one module, as a page runs a batch: the second run must tell the same and write as
  // much (its bytes may differ in the files' times).
  const outcome = run();
  const again = run();
  const told = (o) => JSON.stringify({ ...o, result: o.result && o.result.length });
  if (told(outcome) !== told(again)) {
    console.error("第二次统计的结果与第一次不同");
    process.exitCode = 1;
    return;
  }
  if (outcome.result) fs.writeFileSync(result, outcome.result);
  console.log(told(outcome));
  process.exitCode = outcome.result ? 0 : 1;
}

main();
