// What every workflow of the job returns, whichever front end asked: how it ended, why, with
// what advice, and what it found, counted, changed and wrote.
#pragma once

#include <string>
#include <vector>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/host/ui.h"
#include "valdrex/job/outcome/advice.h"
#include "valdrex/job/outcome/check_finding.h"
#include "valdrex/job/outcome/job_status.h"

namespace valdrex {

// A message box the run showed.
struct ShownMessage {
  std::string title;
  std::string text;
  host::MessageStyle style = host::MessageStyle::plain;
  std::string place;  // the cell the run selected after it ("成绩表!D7"), or empty
};

// Student rows of the score sheet that the statistics leave out.
struct LeftOutRows {
  int blankClass = 0;     // rows without a class
  int belowBlankRow = 0;  // rows below the first row whose seat and name are both empty
  int total() const { return blankClass + belowBlankRow; }
};

// A class row of "属性表" (from row 18: the class name in column A, then each subject's teacher
// and the head teacher).
struct ClassRow {
  std::string name;
  std::vector<std::pair<int, host::Cell>> cells;  // by column, from column B
};

// Where the class rows went when the class list was rewritten.
struct ClassRowMoves {
  std::vector<std::pair<std::string, std::string>> renamed;  // old spelling, new class name
  // Classes without a row of their name that took a row left over, in order: row's name, class.
  std::vector<std::pair<std::string, std::string>> paired;
  std::vector<std::string> added;  // classes without a row: empty
  std::vector<std::string> kept;   // new classes whose row below the old list was not empty
  std::vector<ClassRow> dropped;   // rows of classes no longer there
  // Rows below the old list, without a class name, that an old row moved onto: the name is the
  // class now there, the cells what they held.
  std::vector<ClassRow> replaced;
  bool moved = false;  // some row changed its place
};

struct JobOutcome {
  JobStatus status = JobStatus::ok;
  std::string problem;           // why the job stopped or refused; empty otherwise
  Advice advice = Advice::none;  // what to do about it, worded by the front end after it
  std::string scoreSheet;
  int classes = 0, students = 0, subjects = 0;
  LeftOutRows leftOut;
  std::vector<std::string> layout;        // check: what was found, one line each
  std::vector<Finding> findings;          // of the check (before a run, too)
  std::vector<std::string> classNames;    // classes: the classes listed in "属性表"
  ClassRowMoves classMoves;               // classes: where the teachers' rows went
  std::vector<std::string> sheetsAdded;   // report sheets that were missing
  std::vector<std::string> reportSheets;  // report sheets holding something after the run
  std::string chartSheet;                 // "统计图表" when the run wrote its charts
  int charts = 0;                         // charts on it
  std::vector<ShownMessage> messages;     // every message box, the closing one included
  bool ran = false;                       // the statistics ran: not refused before
  bool completed = false;                 // the run showed its closing message
  int targetsCancelled = 0;               // target questions cancelled: completion rates kept
  // Each makes the result differ from what the teacher meant: findings of kind wrongResult,
  // messages other than the closing one, a cancelled target question, a run that did not end, a
  // step of the run that failed and was skipped.
  std::vector<std::string> warnings;
  std::vector<std::string> notes;  // told, not warnings: e.g. an edited earlier result kept
  std::string resultPath;          // the file written, once saved
  std::string backupPath;          // the input's backup, or the kept earlier result
};

}  // namespace valdrex
