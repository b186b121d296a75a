/* The library built for WebAssembly, run by node on a workbook the way `valdrex run` runs it:
 * check, run with the targets 5 and 20 on the given date, save the result. The WebAssembly build's
 * test compares its result with the command's, part by part.
 *
 *   node check_run.js WORKBOOK RESULT YYYY-MM-DD
 */
#include <stdio.h>

#include "valdrex/valdrex.h"

int main(int argc, char** argv) {
  int year = 0, month = 0, day = 0;
  if (argc != 4 || sscanf(argv[3], "%d-%d-%d", &year, &month, &day) != 3) {
    fprintf(stderr, "用法：check_run 工作簿 结果 年-月-日\n");
    return 2;
  }
  valdrex_job* job = NULL;
  if (valdrex_open(argv[1], &job) != VALDREX_OK) {
    fprintf(stderr, "%s\n", valdrex_last_error());
    return 1;
  }
  size_t findings = 0;
  valdrex_check(job, NULL, &findings);
  valdrex_run_options options = VALDREX_RUN_OPTIONS_INIT;
  options.first_target = 5;
  options.second_target = 20;
  options.year = year;
  options.month = month;
  options.day = day;
  const valdrex_status ran = valdrex_run(job, &options);
  const valdrex_status saved =
      ran == VALDREX_OK || ran == VALDREX_ATTENTION ? valdrex_save_as(job, argv[2]) : ran;
  printf("findings %zu, run %d, save %d %s\n", findings, (int)ran, (int)saved,
         valdrex_last_error());
  valdrex_close(job);
  return saved == VALDREX_OK ? 0 : 1;
}
