// ValdrexCls: the members of the automation interface, as a spreadsheet's macros call them. For a
// whole job on a workbook file (check, missing sheets, saving) see valdrex/job/workbook_job.h.
//
// A program (or a scripting host through invoke(), see member_table.h) creates one object for a
// host application and calls its members with the host's workbooks and worksheets, which the
// object borrows for the length of one call. The object owns one grade book for its whole life and
// can run any number of compilations in a row.
//
//   host::MemoryWorkbook& wb = job.workbook();   // e.g. of a WorkbookJob
//   host::BasicApplication app(ui, clock, launcher, &wb);
//   ValdrexCls vd(app);
//   vd.输出(&app, wb, wb.sheet("成绩表"));        // every report sheet, then the closing message
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "valdrex/export.h"
#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/application.h"
#include "valdrex/host/variant.h"
#include "valdrex/host/worksheet.h"
#include "valdrex/run/statistics_run.h"
#include "valdrex/run/workbook_commands.h"

namespace valdrex {

class VALDREX_API ValdrexCls {
 public:
  // The links default to the documentation shipped with the library; not a default argument,
  // so that defaultLinks() stays inside the library.
  explicit ValdrexCls(host::Application& app);
  ValdrexCls(host::Application& app, DesktopLinks links);
  ~ValdrexCls();
  ValdrexCls(const ValdrexCls&) = delete;
  ValdrexCls& operator=(const ValdrexCls&) = delete;

  // Properties, under their historical names. Reads give the grade book's field (总人数
  // studentCount, 班级数 classCount, 教师数 teacherCount, bjhh headerRow, bjlh classColumn, zhlh
  // seatColumn, kmcl firstSubjectColumn, kmwl lastSubjectColumn, km subjectCount); writes take any
  // numeric value and fail (Overflow) outside the field's range (16-bit, t 32-bit). t is the
  // object's own: the working value of the last rounding of 载入成绩 or 输出 (member_table.h).
  int16_t 总人数() const { return g_->studentCount; }
  void 总人数(const Variant& v);
  int16_t 班级数() const { return g_->classCount; }
  void 班级数(const Variant& v);
  int16_t 教师数() const { return g_->teacherCount; }
  void 教师数(const Variant& v);
  int16_t bjhh() const { return g_->headerRow; }
  void bjhh(const Variant& v);
  int16_t bjlh() const { return g_->classColumn; }
  void bjlh(const Variant& v);
  int16_t zhlh() const { return g_->seatColumn; }
  void zhlh(const Variant& v);
  int16_t kmcl() const { return g_->firstSubjectColumn; }
  void kmcl(const Variant& v);
  int16_t kmwl() const { return g_->lastSubjectColumn; }
  void kmwl(const Variant& v);
  int16_t km() const { return g_->subjectCount; }
  void km(const Variant& v);
  int32_t t() const { return t_; }
  void t(const Variant& v);

  // Methods, in interface order. Arguments are by reference, as the interface passes them.
  double F总人数(host::Worksheet& sh);
  void 初始化(host::Worksheet& sh);
  int16_t F班级数(host::Worksheet& sh1, host::Worksheet& sh2);
  void 载入班级(host::Worksheet& sh);
  void 载入成绩(host::Worksheet& sh, host::Worksheet& sx);
  void 求和();
  void 输出(host::Object* EApp, host::Workbook& wb, host::Worksheet& sh1);
  void 复制工作表(host::Worksheet& sh1, host::Worksheet& sh2);
  void 各班成绩表(host::Worksheet& sh1, bool& xx);
  void 各科排名();
  Variant 排名(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e, host::Worksheet& f);
  Variant 新排名(Variant& b, Variant& c, Variant& d, std::string& f);
  void 分段统计(host::Worksheet& sh);
  Variant 计数器(int16_t& k, int16_t& b, std::string& s);
  Variant 计数器2(int16_t& k, int16_t& b, std::string& s);
  void 保存();
  void 主页();
  void 帮助();
  void 统计(host::Worksheet& sh);
  Variant 加边框(host::Worksheet& sh, Variant& x1, Variant& y1, Variant& x2, Variant& y2);

  // The grade book, for programs that read the loaded data directly.
  const GradeBook& gradeBook() const { return *g_; }
  // The steps of the last 输出 that failed and were skipped; empty after a complete run.
  const std::vector<SkippedStep>& skippedSteps() const { return skipped_; }

 private:
  host::Application& app_;
  DesktopLinks links_;
  std::unique_ptr<GradeBook> g_;
  int32_t t_ = 0;
  std::vector<SkippedStep> skipped_;
};

}  // namespace valdrex
