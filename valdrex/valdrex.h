/* Valdrex's C interface: open a grade workbook, check it, run the statistics, save the result
 * and read what happened. No C++ exception crosses it, and no misuse of a handle crashes it.
 *
 *   valdrex_job* job;
 *   if (valdrex_open("成绩.xlsx", &job) != VALDREX_OK) puts(valdrex_last_error());
 *   valdrex_run_options options = VALDREX_RUN_OPTIONS_INIT;
 *   options.first_target = 30; options.second_target = 20;
 *   if (valdrex_run(job, &options) <= VALDREX_ATTENTION) valdrex_save_as(job, "结果.xlsx");
 *   valdrex_close(job);
 *
 * Statuses: each call reports itself alone, whatever calls failed before. Every call but
 * valdrex_version() and valdrex_last_error() sets this thread's valdrex_last_error(): why it
 * failed (for a run or save, the job's VALDREX_PROBLEM), or "" when it succeeded.
 *
 * Texts: every text handed out is valid UTF-8 (bytes that are not are shown as U+FFFD), except
 * the result and backup paths, which are the bytes of the file's name, to be used again as they
 * are. Texts passed in are used as given; paths are the system's bytes.
 *
 * Lifetimes: no returned text is to be freed. Each stays valid as said at its function, and at
 * most until valdrex_close() of its job.
 *
 * Handles: a job is opened by valdrex_open() or valdrex_open_sample() and ends with
 * valdrex_close(). NULL, a closed job or a value that never was a job is VALDREX_BAD_HANDLE
 * (or the failing value of a function that returns no status); nothing is done then. Different
 * jobs may be used from different threads at once; calls on one job are taken one at a time
 * (a text one thread got from a job ends as said, whichever thread makes the call that ends it).
 *
 * The library is libvaldrex.so.1. */
#ifndef VALDREX_VALDREX_H
#define VALDREX_VALDREX_H

#include <stddef.h>

#include "valdrex/export.h"

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
  VALDREX_INVALID_ARGUMENT = 6, /* a null text or pointer to fill, an index out of range, or
                                  options of a size this library does not know */
  VALDREX_BAD_HANDLE = 7        /* the job is NULL, closed, or never was a job */
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

/* Start from VALDREX_RUN_OPTIONS_INIT: later versions add members at the end, and `size` tells
 * the library which members the caller knows. The size of version 0.1.0 (up to `reserved`) takes
 * the later members at their defaults; any other size smaller than the library knows, or a
 * member it does not know that is not 0, is VALDREX_INVALID_ARGUMENT. */
typedef struct valdrex_run_options {
  size_t size;       /* sizeof(valdrex_run_options) where the caller was compiled */
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
  int reserved;  /* 0. Room for a later option, so that the structure ends without padding and
                    each later member raises its size */
  /* Added after 0.1.0; a caller compiled before gives the size up to here and has them at their
     defaults. */
  double segment_step; /* points per row of "一分一段表", at most one decimal; 0: 1 */
  double margin;       /* "临界生": the margin around a line in percent of the full mark, at most
                          one decimal; 0: 5 */
  int segments;   /* 1: write "一分一段表" for the total, 2: for every subject too; 0: not */
  int near_lines; /* nonzero: write "临界生" */
  int step;       /* "进退步汇总": moved up or down by at least this many grade ranks; 0: 20 */
  int reserved_later; /* 0; keeps `compare` on an 8-byte boundary on every platform */
  /* The earlier exam's workbook (its scores or its result) to write "进退步" and "进退步汇总"
     against; NULL: not written. One that cannot be read or has no score sheet refuses the run
     with VALDREX_BAD_REQUEST. (A union so that the member takes 8 bytes everywhere.) */
  union {
    const char* path;
    unsigned long long room;
  } compare;
  /* Added after the members above; a caller compiled before gives the size up to here and has
     them at their defaults. */
  int slips;    /* nonzero: write "成绩条", a slip per student */
  int no_ranks; /* nonzero: no rank in any list nor an order by rank, so that the result may be
                   handed out: rank columns empty, lists by class and seat, "临界生" without the
                   tiers' lists */
  /* A level beside each rank and on the slips, by shares of the grade top down totalling 100,
     "A:15,B:35,C:35,D:13,E:2" ("" for that default); NULL: no levels. */
  union {
    const char* text;
    unsigned long long room;
  } levels;
  /* Or by lines in percent of the full mark, "A:90,B:75,C:60,D:40" (below the last: E); NULL:
     none. A list that cannot be used, or both lists, is VALDREX_BAD_REQUEST. */
  union {
    const char* text;
    unsigned long long room;
  } levels_by_score;
} valdrex_run_options;

/* Every option at its default. */
#define VALDREX_RUN_OPTIONS_INIT                                                                   \
  {                                                                                                \
    sizeof(valdrex_run_options), NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0.0, 0.0, 0, 0, 0, 0, {NULL}, 0, 0, \
        {NULL}, {                                                                                  \
      NULL                                                                                         \
    }                                                                                              \
  }

/* "0.1.0"; valid while the library is loaded. */
VALDREX_API const char* valdrex_version(void);
/* Why this thread's last call failed, "" when it succeeded. The text belongs to the thread and
 * stays valid until the thread's next call other than valdrex_last_error() and
 * valdrex_version(), or until the thread ends. */
VALDREX_API const char* valdrex_last_error(void);

/* The name a run's result takes: "期末.xlsx" gives "期末-统计结果.xlsx", a folder kept in front;
 * a macro workbook (.xlsm) keeps its extension. NULL for a NULL name. Valid until this thread's
 * next call of it. */
VALDREX_API const char* valdrex_result_name(const char* name);

/* Reads the workbook at `path` into a new job (VALDREX_UNREADABLE when it cannot be read);
 * *job is NULL when the call fails. */
VALDREX_API valdrex_status valdrex_open(const char* path, valdrex_job** job);
/* The built-in sample grade. */
VALDREX_API valdrex_status valdrex_open_sample(valdrex_job** job);
/* A new sample workbook to save (valdrex_save_as, which never replaces an existing file):
 * `classes` 1-20, `students` per class 1-100, `subjects` 1-12, `seed` any. Numbers out of range
 * are VALDREX_BAD_REQUEST. */
VALDREX_API valdrex_status valdrex_make_sample(int classes, int students, int subjects,
                                               unsigned seed, valdrex_job** job);
/* A new blank template to save: `subjects` as "语文,数学:150,英语" (a subject's raw full mark
 * after ':'; NULL for the six usual subjects), `classes` 1-20. */
VALDREX_API valdrex_status valdrex_make_template(const char* subjects, int classes,
                                                 valdrex_job** job);
/* Ends the job and every text it handed out. NULL is VALDREX_OK and does nothing; a job closed
 * before is VALDREX_BAD_HANDLE. */
VALDREX_API valdrex_status valdrex_close(valdrex_job* job);

/* Checks the workbook without changing it; `sheet` as in valdrex_run_options. */
VALDREX_API valdrex_status valdrex_check(valdrex_job* job, const char* sheet, size_t* findings);
/* The i-th finding of the last check. The texts stay valid until the job's next check. */
VALDREX_API valdrex_status valdrex_finding(valdrex_job* job, size_t i, valdrex_finding_kind* kind,
                                           const char** sheet, const char** cell,
                                           const char** message);

/* Lists the score sheet's classes into "属性表" from row 18, each class's teachers moving with
 * it; save with valdrex_save_as or valdrex_save_in_place. The status is VALDREX_ATTENTION, the
 * workbook unchanged, when the classes cannot be listed (VALDREX_PROBLEM says why). */
VALDREX_API valdrex_status valdrex_classes(valdrex_job* job, const char* sheet);

/* Runs the statistics: the job's status (VALDREX_OK or VALDREX_ATTENTION when it ran); NULL
 * options are the defaults. */
VALDREX_API valdrex_status valdrex_run(valdrex_job* job, const valdrex_run_options* options);
/* After a run, a class listing or a made workbook (that was not refused): writes it, never over
 * the input. The status is the
 * run's together with this save's own. Nothing is written when the save is refused: a name whose
 * extension is not what is written (VALDREX_BAD_REQUEST), a read-only target or one a spreadsheet
 * program holds open, its lock file beside it (VALDREX_UNWRITABLE). An existing file there is kept
 * as a backup (VALDREX_BACKUP_PATH) unless it is a result exactly as an earlier run wrote it. */
VALDREX_API valdrex_status valdrex_save_as(valdrex_job* job, const char* path);
/* After a run that was not refused: rewrites the input after a backup beside it. */
VALDREX_API valdrex_status valdrex_save_in_place(valdrex_job* job);

/* The outcome of the last run and the save after it. Texts, messages, warnings and notes stay valid
 * until the job's next run or save. */
VALDREX_API valdrex_status valdrex_status_of(valdrex_job* job);
/* -1 for a bad handle or an unknown `which`. */
VALDREX_API long valdrex_count_of(valdrex_job* job, valdrex_count which);
/* "" when there is none; NULL for a bad handle or an unknown `which`. */
VALDREX_API const char* valdrex_text_of(valdrex_job* job, valdrex_text which);
VALDREX_API valdrex_status valdrex_message(valdrex_job* job, size_t i, const char** title,
                                           const char** text, valdrex_message_style* style,
                                           const char** place);
/* NULL past the end or for a bad handle. */
VALDREX_API const char* valdrex_warning(valdrex_job* job, size_t i);
/* What the run tells beside its result ("注意" in the command): a sheet an earlier run wrote,
 * students paired without exam numbers, ... NULL past the end or for a bad handle. */
VALDREX_API const char* valdrex_note(valdrex_job* job, size_t i);

/* The workbook as the job holds it now: after a run or a class listing, the result. */
/* The i-th sheet's name; NULL past the last sheet or for a bad handle. Valid until the job's
 * next call of it. */
VALDREX_API const char* valdrex_sheet_name(valdrex_job* job, size_t i);
/* The last row and column (from 1) of `sheet` that hold anything; both 0 for an empty sheet.
 * VALDREX_BAD_REQUEST when the workbook has no sheet of that name. */
VALDREX_API valdrex_status valdrex_used_range(valdrex_job* job, const char* sheet, int* rows,
                                              int* columns);
/* A cell's value as text: a number in its shortest form, a date as yyyy/m/d, "" when empty. NULL
 * for a bad handle, a sheet the workbook has not, or a row or column below 1. Valid until the
 * job's next call of it. */
VALDREX_API const char* valdrex_cell_text(valdrex_job* job, const char* sheet, int row, int column);
/* How a cell shows its number: its number format code ("0.00" for the rates and averages a run
 * writes), "" for the general format. NULL as for valdrex_cell_text. */
VALDREX_API const char* valdrex_cell_format(valdrex_job* job, const char* sheet, int row,
                                            int column);

/* A block of cells of the workbook: its sheet and corners, from 1. */
typedef struct valdrex_cells {
  const char* sheet;
  int first_row, first_column, last_row, last_column;
} valdrex_cells;

/* The i-th chart Valdrex placed on `sheet` (after a run with charts: on "统计图表"); a chart a
 * file brought with it is not among them. `stacked`: 1 for stacked columns, 0 for columns side
 * by side; `percent`: 1 when the values are percentages (33.33 for 33.33 %). VALDREX_BAD_REQUEST
 * when the workbook has no such sheet, VALDREX_INVALID_ARGUMENT past the last chart. The title is
 * valid until the job's next call of it. */
VALDREX_API valdrex_status valdrex_chart(valdrex_job* job, const char* sheet, size_t i,
                                         const char** title, int* stacked, int* percent,
                                         size_t* series);
/* Where the s-th series of that chart takes its name (a cell), its labels and its values (a row
 * or column each, as many values as labels): to be read with valdrex_cell_text(). The sheets'
 * names are valid until the job's next call of it. */
VALDREX_API valdrex_status valdrex_chart_series(valdrex_job* job, const char* sheet, size_t chart,
                                                size_t s, valdrex_cells* name,
                                                valdrex_cells* labels, valdrex_cells* values);
/* The colour of that series as 0xRRGGBB, the one the result's chart and every front end give it. */
VALDREX_API valdrex_status valdrex_series_colour(valdrex_job* job, const char* sheet, size_t chart,
                                                 size_t s, unsigned long* rgb);

#ifdef __cplusplus
}
#endif

#endif /* VALDREX_VALDREX_H */
