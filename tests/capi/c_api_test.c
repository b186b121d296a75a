/* The C interface end to end from C: the sample run and saved, findings read, and the error
 * paths a caller must be able to tell apart. Argument: a folder to write into. */
#include <stdio.h>
#include <string.h>

#include "valdrex/valdrex.h"

static int failures = 0;
#define EXPECT(condition)                                                                        \
  do {                                                                                           \
    if (!(condition)) {                                                                          \
      fprintf(stderr, "%s:%d: %s (%s)\n", __FILE__, __LINE__, #condition, valdrex_last_error()); \
      ++failures;                                                                                \
    }                                                                                            \
  } while (0)

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  char result[4096], junk[4096];
  snprintf(result, sizeof result, "%s/c-api-结果.xlsx", argv[1]);
  snprintf(junk, sizeof junk, "%s/not-a-workbook.xlsx", argv[1]);
  remove(result);

  valdrex_job* job = NULL;
  EXPECT(valdrex_open(NULL, &job) == VALDREX_INVALID_ARGUMENT);
  EXPECT(valdrex_open("/nonexistent/成绩.xlsx", &job) == VALDREX_UNREADABLE && job == NULL);
  EXPECT(strstr(valdrex_last_error(), "成绩.xlsx") != NULL);
  FILE* f = fopen(junk, "w");
  fputs("plain text", f);
  fclose(f);
  EXPECT(valdrex_open(junk, &job) == VALDREX_UNREADABLE);

  EXPECT(valdrex_open_sample(&job) == VALDREX_OK);
  size_t findings = 99;
  EXPECT(valdrex_check(job, "没有这张表", &findings) == VALDREX_OK && findings == 1);
  valdrex_finding_kind kind;
  const char *sheet, *cell, *message;
  EXPECT(valdrex_finding(job, 0, &kind, &sheet, &cell, &message) == VALDREX_OK);
  EXPECT(kind == VALDREX_FINDING_STOPS_LOADING && strcmp(sheet, "没有这张表") == 0 && *cell == 0);
  EXPECT(valdrex_finding(job, 1, &kind, &sheet, &cell, &message) == VALDREX_INVALID_ARGUMENT);

  valdrex_run_options options = {0};
  options.first_target = 9;
  options.second_target = 3; /* below the first */
  EXPECT(valdrex_run(job, &options) == VALDREX_BAD_REQUEST);
  EXPECT(valdrex_save_as(job, result) == VALDREX_BAD_REQUEST); /* nothing ran */
  options.first_target = 3;
  options.second_target = 8192; /* 4 classes × 8192 is beyond 16 bits */
  EXPECT(valdrex_run(job, &options) == VALDREX_BAD_REQUEST);
  EXPECT(strstr(valdrex_last_error(), "最大为 8191") != NULL);
  options.first_target = 3;
  options.second_target = 9;
  options.year = 2026, options.month = 12, options.day = 6;
  EXPECT(valdrex_run(job, &options) == VALDREX_OK);
  EXPECT(valdrex_count_of(job, VALDREX_CLASSES) == 4 && valdrex_count_of(job, VALDREX_COMPLETED));
  EXPECT(valdrex_count_of(job, VALDREX_REPORT_SHEETS) == 9);
  const char *title = "", *text = "", *place = "";
  valdrex_message_style style;
  EXPECT(valdrex_message(job, 0, &title, &text, &style, &place) == VALDREX_OK);
  EXPECT(strcmp(text, "成绩统计操作完成!") == 0 && style == VALDREX_MESSAGE_INFORMATION);
  EXPECT(valdrex_save_as(job, result) == VALDREX_OK);
  EXPECT(strcmp(valdrex_text_of(job, VALDREX_RESULT_PATH), result) == 0);
  valdrex_close(job);

  /* A result opened again may not be saved over itself. */
  EXPECT(valdrex_open(result, &job) == VALDREX_OK);
  EXPECT(valdrex_run(job, NULL) == VALDREX_OK);
  EXPECT(valdrex_save_as(job, result) == VALDREX_BAD_REQUEST);
  EXPECT(strstr(valdrex_last_error(), "不会被覆盖") != NULL);
  valdrex_close(job);
  valdrex_close(NULL);
  return failures == 0 ? 0 : 1;
}
