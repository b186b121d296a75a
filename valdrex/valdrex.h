/* Valdrex's C interface: open a grade workbook, check it, run the statistics, save the result
 * and read what happened. Every text is UTF-8. No C++ exception crosses it: a failing call
 * returns a status other than VALDREX_OK and valdrex_last_error() says why (per thread).
 *
 *   valdrex_job* job;
 *   if (valdrex_open("成绩.xlsx", &job) != VALDREX_OK) puts(valdrex_last_error());
 *   valdrex_run_options options = {0};
 *   options.first_target = 30; options.second_target = 20;
 *   if (valdrex_run(job, &options) <= VALDREX_ATTENTION) valdrex_save_as(job, "结果.xlsx");
 *   valdrex_close(job);
 */
#ifndef VALDREX_VALDREX_H
#define VALDREX_VALDREX_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* How a call ended; the first six are the job's statuses (larger is worse). */
typedef enum valdrex_status {
  VALDREX_OK = 0,
  VALDREX_ATTENTION = 1,   /* done with warnings to read, or refused: the result would be wrong */
  VALDREX_BAD_REQUEST = 2, /* a sheet, target or path that cannot be used; nothing written */
  VALDREX_UNREADABLE = 3,
  VALDREX_UNWRITABLE = 4,
  VALDREX_INTERNAL = 5,
  VALDREX_INVALID_ARGUMENT = 6 /* a null handle or text, an index out of range */
} valdrex_status;

typedef enum valdrex_finding_kind {
  VALDREX_FINDING_NOTE = 0,
  VALDREX_FINDING_WRONG_RESULT = 1, /* the run would go on, but its statistics would be wrong */
  VALDREX_FINDING_STOPS_LOADING = 2 /* the run would stop loading here */
} valdrex_finding_kind;

typedef enum valdrex_message_style {
  VALDREX_MESSAGE_PLAIN = 0,
  VALDREX_MESSAGE_CRITICAL = 1,
  VALDREX_MESSAGE_QUESTION = 2,
  VALDREX_MESSAGE_INFORMATION = 3,
  VALDREX_MESSAGE_PLAIN_SECOND_DEFAULT = 4
} valdrex_message_style;

/* Numbers of the outcome. */
typedef enum valdrex_count {
  VALDREX_CLASSES = 0,
  VALDREX_STUDENTS = 1,
  VALDREX_SUBJECTS = 2,
  VALDREX_LEFT_OUT = 3,      /* student rows the statistics leave out */
  VALDREX_SHEETS_ADDED = 4,  /* missing report sheets added */
  VALDREX_REPORT_SHEETS = 5, /* report sheets holding something after the run */
  VALDREX_MESSAGES = 6,
  VALDREX_WARNINGS = 7,
  VALDREX_COMPLETED = 8, /* 1 when the run showed its closing message */
  VALDREX_CHARTS = 9     /* charts written on the sheet "统计图表" */
} valdrex_count;

/* Texts of the outcome; "" when there is none. */
typedef enum valdrex_text {
  VALDREX_PROBLEM = 0, /* why the job stopped or refused, with advice */
  VALDREX_SCORE_SHEET = 1,
  VALDREX_RESULT_PATH = 2,
  VALDREX_BACKUP_PATH = 3
} valdrex_text;

typedef struct valdrex_job valdrex_job;

typedef struct valdrex_run_options {
  const char* sheet; /* the score sheet's name; NULL: the first sheet that is neither "属性表"
                        nor a report sheet */
  /* the completion targets; 0: the questions' defaults. The second at most 32767 divided by
     the number of classes, else VALDREX_BAD_REQUEST */
  int first_target;
  int second_target;
  int year, month, day; /* the date of the title rows; year 0: today */
  int strict;           /* nonzero: a warning refuses the result */
  int no_charts; /* nonzero: no charts; a sheet "统计图表" is neither added nor changed. 0 (the
                    default): the result is charted on "统计图表", added at the end if missing */
} valdrex_run_options;

/* "0.1.0" */
const char* valdrex_version(void);
/* The last failing call's reason in this thread, "" when none failed. */
const char* valdrex_last_error(void);

/* Reads the workbook at `path` (VALDREX_UNREADABLE when it cannot be read). */
valdrex_status valdrex_open(const char* path, valdrex_job** job);
/* The built-in sample grade. */
valdrex_status valdrex_open_sample(valdrex_job** job);
void valdrex_close(valdrex_job* job);

/* Checks the workbook without changing it; `sheet` as in valdrex_run_options. */
valdrex_status valdrex_check(valdrex_job* job, const char* sheet, size_t* findings);
/* The i-th finding of the last check; texts stay valid until the next call on `job`. */
valdrex_status valdrex_finding(valdrex_job* job, size_t i, valdrex_finding_kind* kind,
                               const char** sheet, const char** cell, const char** message);

/* Runs the statistics: the job's status (VALDREX_OK or VALDREX_ATTENTION when it ran). */
valdrex_status valdrex_run(valdrex_job* job, const valdrex_run_options* options);
/* After a run that was not refused: writes the result, never over the input. */
valdrex_status valdrex_save_as(valdrex_job* job, const char* path);
/* After a run that was not refused: rewrites the input after a backup beside it. */
valdrex_status valdrex_save_in_place(valdrex_job* job);

/* The outcome of the last run and save. */
valdrex_status valdrex_status_of(valdrex_job* job);
long valdrex_count_of(valdrex_job* job, valdrex_count which);
const char* valdrex_text_of(valdrex_job* job, valdrex_text which);
valdrex_status valdrex_message(valdrex_job* job, size_t i, const char** title, const char** text,
                               valdrex_message_style* style, const char** place);
const char* valdrex_warning(valdrex_job* job, size_t i); /* NULL past the end */

#ifdef __cplusplus
}
#endif

#endif /* VALDREX_VALDREX_H */
