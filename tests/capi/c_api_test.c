/* The C interface end to end from C: the sample run and saved, findings read, the error paths a
 * caller must be able to tell apart, and the misuse it must survive. Argument: a folder to write
 * into. */
#include <malloc.h>
#include <pthread.h>
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

#define REPLACEMENT "\xEF\xBF\xBD" /* U+FFFD */

/* Every call on a handle that is not an open job reports it, and reads nothing through it. */
static void expectBadHandle(valdrex_job* job, const char* what) {
  valdrex_run_options options = VALDREX_RUN_OPTIONS_INIT;
  size_t n;
  const char* text;
  int bad = 0;
  bad += valdrex_check(job, NULL, &n) != VALDREX_BAD_HANDLE;
  bad += valdrex_finding(job, 0, NULL, NULL, NULL, &text) != VALDREX_BAD_HANDLE;
  bad += valdrex_run(job, &options) != VALDREX_BAD_HANDLE;
  bad += valdrex_save_as(job, "x.xlsx") != VALDREX_BAD_HANDLE;
  bad += valdrex_save_in_place(job) != VALDREX_BAD_HANDLE;
  bad += valdrex_status_of(job) != VALDREX_BAD_HANDLE;
  bad += valdrex_count_of(job, VALDREX_STUDENTS) != -1;
  bad += valdrex_text_of(job, VALDREX_PROBLEM) != NULL;
  bad += valdrex_message(job, 0, &text, NULL, NULL, NULL) != VALDREX_BAD_HANDLE;
  bad += valdrex_warning(job, 0) != NULL;
  bad += valdrex_note(job, 0) != NULL;
  int rows, columns;
  bad += valdrex_sheet_name(job, 0) != NULL;
  bad += valdrex_used_range(job, "成绩表", &rows, &columns) != VALDREX_BAD_HANDLE;
  bad += valdrex_cell_text(job, "成绩表", 1, 1) != NULL;
  bad += valdrex_chart(job, "统计图表", 0, &text, NULL, NULL, NULL) != VALDREX_BAD_HANDLE;
  bad += valdrex_chart_series(job, "统计图表", 0, 0, NULL, NULL, NULL) != VALDREX_BAD_HANDLE;
  bad += valdrex_series_colour(job, "统计图表", 0, 0, NULL) != VALDREX_BAD_HANDLE;
  bad += strstr(valdrex_last_error(), "作业") == NULL;
  if (job) bad += valdrex_close(job) != VALDREX_BAD_HANDLE;
  if (bad) fprintf(stderr, "%s: %d calls did not report a bad handle\n", what, bad);
  failures += bad != 0;
}

static void* openAndClose(void* unused) {
  (void)unused;
  valdrex_job* job;
  if (valdrex_open_sample(&job) == VALDREX_OK) valdrex_close(job);
  return NULL;
}

/* Bytes of the heap in use after `threads` threads, one after another, each opened a job. */
static size_t heapAfterThreads(int threads) {
  for (int i = 0; i < threads; ++i) {
    pthread_t thread;
    if (pthread_create(&thread, NULL, openAndClose, NULL) != 0) return (size_t)-1;
    pthread_join(thread, NULL);
  }
  return mallinfo2().uordblks;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  /* One heap for every thread, so that mallinfo2() counts what each thread left. */
  mallopt(M_ARENA_MAX, 1);
  char result[4096], junk[4096], raw[4096];
  snprintf(result, sizeof result, "%s/c-api-结果.xlsx", argv[1]);
  snprintf(junk, sizeof junk, "%s/not-a-workbook.xlsx", argv[1]);
  snprintf(raw, sizeof raw, "%s/c-api-\xff\xfe.xlsx", argv[1]); /* a name that is not UTF-8 */
  remove(result);
  remove(raw);

  /* The result's name, as the command gives it; a page has only names to go by. */
  EXPECT(strcmp(valdrex_result_name("期末.xlsx"), "期末-统计结果.xlsx") == 0);
  EXPECT(strcmp(valdrex_result_name("a/期末.XLSM"), "a/期末-统计结果.XLSM") == 0);
  EXPECT(strcmp(valdrex_result_name("成绩.xls"), "成绩-统计结果.xlsx") == 0);
  EXPECT(valdrex_result_name(NULL) == NULL && *valdrex_last_error() != '\0');

  valdrex_job* job = NULL;
  EXPECT(valdrex_open(NULL, &job) == VALDREX_INVALID_ARGUMENT);
  EXPECT(valdrex_open("/nonexistent/成绩.xlsx", &job) == VALDREX_UNREADABLE && job == NULL);
  EXPECT(strstr(valdrex_last_error(), "成绩.xlsx") != NULL);
  FILE* f = fopen(junk, "w");
  fputs("plain text", f);
  fclose(f);
  EXPECT(valdrex_open(junk, &job) == VALDREX_UNREADABLE);

  /* Texts handed out are UTF-8 whatever the bytes of a path in them. */
  static const struct {
    const char *path, *shown;
  } paths[] = {
      {"/nonexistent/\xff成绩.xlsx", "/nonexistent/" REPLACEMENT "成绩.xlsx"},
      {"/nonexistent/\xe6\x88.xlsx", "/nonexistent/" REPLACEMENT ".xlsx"}, /* cut short */
      {"/nonexistent/\xc0\xaf.xlsx", REPLACEMENT REPLACEMENT ".xlsx"},     /* overlong '/' */
      {"/nonexistent/\xed\xa0\x80.xlsx",
       REPLACEMENT REPLACEMENT REPLACEMENT ".xlsx"}, /* surrogate */
      {"/nonexistent/\xf4\x90\x80\x80", REPLACEMENT REPLACEMENT REPLACEMENT REPLACEMENT},
  };
  for (size_t i = 0; i < sizeof paths / sizeof paths[0]; ++i) {
    EXPECT(valdrex_open(paths[i].path, &job) == VALDREX_UNREADABLE);
    EXPECT(strstr(valdrex_last_error(), paths[i].shown) != NULL);
  }

  EXPECT(valdrex_open_sample(&job) == VALDREX_OK);
  size_t findings = 99;
  EXPECT(valdrex_check(job, "没有这张表", &findings) == VALDREX_OK && findings == 1);
  valdrex_finding_kind kind;
  const char *sheet, *cell, *message;
  EXPECT(valdrex_finding(job, 0, &kind, &sheet, &cell, &message) == VALDREX_OK);
  EXPECT(kind == VALDREX_FINDING_STOPS_LOADING && strcmp(sheet, "没有这张表") == 0 && *cell == 0);
  EXPECT(valdrex_finding(job, 1, &kind, &sheet, &cell, &message) == VALDREX_INVALID_ARGUMENT);

  valdrex_run_options options = VALDREX_RUN_OPTIONS_INIT;
  options.first_target = 9;
  options.second_target = 3; /* below the first */
  EXPECT(valdrex_run(job, &options) == VALDREX_BAD_REQUEST);
  EXPECT(valdrex_save_as(job, result) == VALDREX_BAD_REQUEST); /* nothing ran */

  /* The options' size tells which members the caller knows. */
  const size_t known = sizeof(valdrex_run_options), later = known + sizeof(size_t);
  const struct {
    size_t size;
    int reserved;
    size_t later; /* a member of a later version */
    valdrex_status status;
  } sizes[] = {
      {0, 0, 0, VALDREX_INVALID_ARGUMENT}, /* = {0}: not from VALDREX_RUN_OPTIONS_INIT */
      {offsetof(valdrex_run_options, no_charts), 0, 0, VALDREX_INVALID_ARGUMENT},
      /* compiled before the asked sheets: those are off */
      {offsetof(valdrex_run_options, segment_step), 0, 0, VALDREX_OK},
      /* compiled before the slips and levels: those are off */
      {offsetof(valdrex_run_options, slips), 0, 0, VALDREX_OK},
      {offsetof(valdrex_run_options, no_ranks), 0, 0, VALDREX_INVALID_ARGUMENT},
      {offsetof(valdrex_run_options, margin), 0, 0, VALDREX_INVALID_ARGUMENT},
      {known, 1, 0, VALDREX_INVALID_ARGUMENT},
      {later, 0, 0, VALDREX_OK}, /* newer, its own options unset */
      {later, 0, 1, VALDREX_INVALID_ARGUMENT},
  };
  for (size_t i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
    struct {
      valdrex_run_options known;
      size_t later;
    } caller = {VALDREX_RUN_OPTIONS_INIT, sizes[i].later};
    caller.known.size = sizes[i].size;
    caller.known.reserved = sizes[i].reserved;
    EXPECT(valdrex_run(job, &caller.known) == sizes[i].status);
  }

  options.first_target = 3;
  options.second_target = 8192; /* 4 classes × 8192 is beyond 16 bits */
  EXPECT(valdrex_run(job, &options) == VALDREX_BAD_REQUEST);
  EXPECT(strstr(valdrex_last_error(), "最大为 8191") != NULL);
  options.first_target = 3;
  options.second_target = 9;
  options.year = 2026, options.month = 12, options.day = 6;
  EXPECT(valdrex_run(job, &options) == VALDREX_OK && *valdrex_last_error() == 0);
  EXPECT(valdrex_count_of(job, VALDREX_CLASSES) == 4 && valdrex_count_of(job, VALDREX_COMPLETED));
  EXPECT(valdrex_count_of(job, VALDREX_REPORT_SHEETS) == 9);
  /* The sheets written only when asked. */
  valdrex_run_options asked = options;
  asked.compare.path = "/nonexistent/期中.xlsx";
  EXPECT(valdrex_run(job, &asked) == VALDREX_BAD_REQUEST);
  EXPECT(strstr(valdrex_last_error(), "对比的工作簿") != NULL);
  asked.compare.path = NULL;
  asked.segments = 3;
  EXPECT(valdrex_run(job, &asked) == VALDREX_BAD_REQUEST);
  asked.segments = 2;
  asked.segment_step = 0.25; /* tenths only */
  EXPECT(valdrex_run(job, &asked) == VALDREX_BAD_REQUEST);
  asked.segment_step = 5;
  asked.margin = 2.5;
  asked.near_lines = 1;
  EXPECT(valdrex_run(job, &asked) == VALDREX_OK);
  EXPECT(valdrex_count_of(job, VALDREX_REPORT_SHEETS) == 11);
  EXPECT(valdrex_run(job, &options) == VALDREX_OK);
  EXPECT(valdrex_count_of(job, VALDREX_REPORT_SHEETS) == 9);
  const char *title = "", *text = "", *place = "";
  valdrex_message_style style;
  EXPECT(valdrex_message(job, 0, &title, &text, &style, &place) == VALDREX_OK);
  EXPECT(strcmp(text, "成绩统计操作完成!") == 0 && style == VALDREX_MESSAGE_INFORMATION);

  /* The result's cells read back as text: how a page shows a report sheet without the file. */
  size_t sheets = 0;
  int twoRates = 0;
  for (const char* name; (name = valdrex_sheet_name(job, sheets)) != NULL; ++sheets)
    twoRates += strcmp(name, "两率一分") == 0;
  /* 成绩表, 属性表, nine report sheets, 统计图表, and the two sheets the run before asked for. */
  EXPECT(sheets == 14 && twoRates == 1 && strcmp(valdrex_sheet_name(job, 0), "成绩表") == 0);
  int rows = 0, columns = 0;
  EXPECT(valdrex_used_range(job, "两率一分", &rows, &columns) == VALDREX_OK);
  EXPECT(rows > 4 && columns > 4);
  EXPECT(valdrex_used_range(job, "没有这张表", &rows, &columns) == VALDREX_BAD_REQUEST);
  EXPECT(valdrex_used_range(job, NULL, &rows, &columns) == VALDREX_INVALID_ARGUMENT);
  static const struct {
    int row, column;
    const char* text;
  } cells[] = {
      {2, 4, "150"}, /* a number in its shortest form */
      {3, 1, "班级"},
      {4, 1, "1班"},
      {2000, 1, ""}, /* never used */
  };
  for (size_t i = 0; i < sizeof cells / sizeof cells[0]; ++i) {
    const char* shown = valdrex_cell_text(job, "成绩表", cells[i].row, cells[i].column);
    EXPECT(shown != NULL && strcmp(shown, cells[i].text) == 0);
  }
  EXPECT(valdrex_cell_text(job, "成绩表", 0, 1) == NULL && *valdrex_last_error() != 0);
  EXPECT(valdrex_cell_text(job, "没有这张表", 1, 1) == NULL);
  /* A rate shows two decimals; a count the general format. */
  const char* format = valdrex_cell_format(job, "两率一分", 4, 5);
  EXPECT(format != NULL && strcmp(format, "0.00") == 0);
  format = valdrex_cell_format(job, "两率一分", 4, 2);
  EXPECT(format != NULL && *format == 0);

  /* The charts: each series' name, labels and values are cells of the result. */
  const char* chartTitle = NULL;
  int stacked = -1, percent = -1;
  size_t series = 0, charts = 0;
  while (valdrex_chart(job, "统计图表", charts, &chartTitle, &stacked, &percent, &series) ==
         VALDREX_OK) {
    ++charts;
    EXPECT(*chartTitle != 0 && series > 0 && (stacked == 0 || stacked == 1));
    for (size_t k = 0; k < series; ++k) {
      valdrex_cells name, labels, values;
      EXPECT(valdrex_chart_series(job, "统计图表", charts - 1, k, &name, &labels, &values) ==
             VALDREX_OK);
      EXPECT(name.first_row == name.last_row && name.first_column == name.last_column);
      EXPECT(labels.last_row - labels.first_row + labels.last_column - labels.first_column ==
             values.last_row - values.first_row + values.last_column - values.first_column);
      const char* value =
          valdrex_cell_text(job, values.sheet, values.first_row, values.first_column);
      EXPECT(value != NULL && *value != 0);
      /* A stack's bands darken toward its top; other series differ from the one before. */
      unsigned long colour = 0, below = 0;
      EXPECT(valdrex_series_colour(job, "统计图表", charts - 1, k, &colour) == VALDREX_OK);
      if (k > 0 && valdrex_series_colour(job, "统计图表", charts - 1, k - 1, &below) == VALDREX_OK)
        EXPECT(colour != below && (!stacked || (colour & 0xFF) < (below & 0xFF)));
    }
  }
  EXPECT((long)charts == valdrex_count_of(job, VALDREX_CHARTS) && charts > 0);
  EXPECT(valdrex_chart(job, "成绩表", 0, NULL, NULL, NULL, NULL) == VALDREX_INVALID_ARGUMENT);
  EXPECT(valdrex_chart(job, "没有这张表", 0, NULL, NULL, NULL, NULL) == VALDREX_BAD_REQUEST);
  EXPECT(valdrex_chart_series(job, "统计图表", 0, 99, NULL, NULL, NULL) ==
         VALDREX_INVALID_ARGUMENT);
  EXPECT(valdrex_series_colour(job, "统计图表", 0, 0, NULL) == VALDREX_INVALID_ARGUMENT);

  /* Slips with levels and no ranks; a level list that cannot be used refuses the run. */
  valdrex_run_options slips = options;
  slips.slips = slips.no_ranks = 1;
  slips.levels.text = "A:50,B:40";
  EXPECT(valdrex_run(job, &slips) == VALDREX_BAD_REQUEST);
  EXPECT(strstr(valdrex_last_error(), "加起来是 90") != NULL);
  slips.levels_by_score.text = "A:90,B:75,C:60,D:40";
  EXPECT(valdrex_run(job, &slips) == VALDREX_BAD_REQUEST); /* both lists */
  slips.levels.text = NULL;
  EXPECT(valdrex_run(job, &slips) == VALDREX_OK);
  EXPECT(strcmp(valdrex_cell_text(job, "成绩条", 1, 5), "语文等级") == 0);
  EXPECT(strcmp(valdrex_cell_text(job, "年级排名表", 3, 11), "") == 0); /* no rank */
  slips.levels_by_score.text = NULL;
  slips.levels.text = ""; /* the default shares */
  EXPECT(valdrex_run(job, &slips) == VALDREX_OK);
  EXPECT(valdrex_run(job, &options) == VALDREX_OK);

  /* A failed save leaves nothing behind for the next one: status, reason and problem. */
  EXPECT(valdrex_save_as(job, "/nonexistent/\xff.xlsx") == VALDREX_UNWRITABLE);
  EXPECT(strstr(valdrex_last_error(), "/nonexistent/" REPLACEMENT) != NULL);
  EXPECT(strstr(valdrex_text_of(job, VALDREX_PROBLEM), REPLACEMENT) != NULL);
  EXPECT(valdrex_save_as(job, result) == VALDREX_OK && *valdrex_last_error() == 0);
  EXPECT(valdrex_status_of(job) == VALDREX_OK && *valdrex_text_of(job, VALDREX_PROBLEM) == 0);
  EXPECT(strcmp(valdrex_text_of(job, VALDREX_RESULT_PATH), result) == 0);
  /* A path handed back is the file's own bytes, to be used again. */
  EXPECT(valdrex_save_as(job, raw) == VALDREX_OK);
  EXPECT(strcmp(valdrex_text_of(job, VALDREX_RESULT_PATH), raw) == 0);
  EXPECT(valdrex_close(job) == VALDREX_OK);

  /* A result opened again may not be saved over itself. */
  EXPECT(valdrex_open(result, &job) == VALDREX_OK);
  EXPECT(valdrex_run(job, NULL) == VALDREX_OK);
  /* Against itself as the earlier exam: "进退步" and "进退步汇总". */
  valdrex_run_options compared = VALDREX_RUN_OPTIONS_INIT;
  compared.compare.path = result;
  compared.step = 5;
  EXPECT(valdrex_run(job, &compared) == VALDREX_OK);
  EXPECT(valdrex_count_of(job, VALDREX_REPORT_SHEETS) == 11);
  EXPECT(valdrex_save_as(job, result) == VALDREX_BAD_REQUEST);
  EXPECT(strstr(valdrex_last_error(), "不会被覆盖") != NULL);

  /* A template and a sample made and saved; a made workbook never replaces a file. The template's
   * classes are listed into its property sheet and saved in place of nothing: it has no file. */
  char made[4096];
  snprintf(made, sizeof made, "%s/c-api-模板.xlsx", argv[1]);
  remove(made);
  valdrex_job* blank = NULL;
  EXPECT(valdrex_make_template("语文，数学:150", 25, &blank) == VALDREX_BAD_REQUEST && !blank);
  EXPECT(strstr(valdrex_last_error(), "班级数") != NULL);
  EXPECT(valdrex_make_template("语文,数学:150", 3, &blank) == VALDREX_OK);
  EXPECT(valdrex_save_as(blank, made) == VALDREX_OK);
  EXPECT(valdrex_save_as(blank, made) == VALDREX_BAD_REQUEST);
  EXPECT(strstr(valdrex_last_error(), "已经存在") != NULL);
  EXPECT(valdrex_close(blank) == VALDREX_OK);
  EXPECT(valdrex_make_sample(2, 5, 3, 7, &blank) == VALDREX_OK);
  EXPECT(valdrex_classes(blank, NULL) == VALDREX_OK &&
         valdrex_count_of(blank, VALDREX_CLASSES) == 2);
  EXPECT(valdrex_save_in_place(blank) == VALDREX_BAD_REQUEST);
  EXPECT(valdrex_close(blank) == VALDREX_OK);
  /* A workbook without its property sheet: the advice names this interface's function. */
  EXPECT(valdrex_open(made, &blank) == VALDREX_OK);
  EXPECT(valdrex_classes(blank, "没有这张表") == VALDREX_BAD_REQUEST);
  EXPECT(strstr(valdrex_last_error(), "valdrex_run_options") != NULL);
  EXPECT(valdrex_close(blank) == VALDREX_OK);
  remove(made);

  /* A closed job, NULL and a handle that never was one. */
  valdrex_job* closed = job;
  EXPECT(valdrex_close(job) == VALDREX_OK);
  expectBadHandle(closed, "closed");
  expectBadHandle(NULL, "NULL");
  expectBadHandle((valdrex_job*)&failures, "made up");
  EXPECT(valdrex_close(NULL) == VALDREX_OK);

  /* Threads that ended leave nothing behind: the heap after many is the heap after a few. */
  const size_t warm = heapAfterThreads(50);
  const size_t after = heapAfterThreads(2000);
  if (after > warm + 512 * 1024) {
    fprintf(stderr, "2000 threads left %zu bytes on the heap\n", after - warm);
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}
