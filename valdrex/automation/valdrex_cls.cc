#include "valdrex/automation/valdrex_cls.h"

#include "valdrex/bands/counters.h"
#include "valdrex/bands/score_bands.h"
#include "valdrex/gradebook/class_statistics.h"
#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/ranking_functions.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/gradebook/subject_ranking.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/failure.h"
#include "valdrex/reports/class_tables.h"
#include "valdrex/reports/formatting.h"
#include "valdrex/run/statistics_run.h"

namespace valdrex {

ValdrexCls::ValdrexCls(host::Application& app) : ValdrexCls(app, defaultLinks()) {}

ValdrexCls::ValdrexCls(host::Application& app, DesktopLinks links)
    : app_(app), links_(std::move(links)), g_(std::make_unique<GradeBook>()) {}

ValdrexCls::~ValdrexCls() = default;

void ValdrexCls::总人数(const Variant& v) { g_->studentCount = toInteger(numericValue(v)); }
void ValdrexCls::班级数(const Variant& v) { g_->classCount = toInteger(numericValue(v)); }
void ValdrexCls::教师数(const Variant& v) { g_->teacherCount = toInteger(numericValue(v)); }
void ValdrexCls::bjhh(const Variant& v) { g_->headerRow = toInteger(numericValue(v)); }
void ValdrexCls::bjlh(const Variant& v) { g_->classColumn = toInteger(numericValue(v)); }
void ValdrexCls::zhlh(const Variant& v) { g_->seatColumn = toInteger(numericValue(v)); }
void ValdrexCls::kmcl(const Variant& v) { g_->firstSubjectColumn = toInteger(numericValue(v)); }
void ValdrexCls::kmwl(const Variant& v) { g_->lastSubjectColumn = toInteger(numericValue(v)); }
void ValdrexCls::km(const Variant& v) { g_->subjectCount = toInteger(numericValue(v)); }
void ValdrexCls::t(const Variant& v) { t_ = toLong(numericValue(v)); }

// Each member calls the grade book's function of the same task; only 载入成绩 and 输出 round,
// and only they follow their roundings into t.
double ValdrexCls::F总人数(host::Worksheet& sh) { return countStudents(*g_, sh, app_.ui()); }
void ValdrexCls::初始化(host::Worksheet& sh) { findLayout(*g_, sh, app_.ui()); }
int16_t ValdrexCls::F班级数(host::Worksheet& sh1, host::Worksheet& sh2) {
  return countClasses(*g_, sh1, sh2, app_.ui());
}
void ValdrexCls::载入班级(host::Worksheet& sh) { loadClasses(*g_, sh, app_.ui()); }
void ValdrexCls::载入成绩(host::Worksheet& sh, host::Worksheet& sx) {
  loadScores(*g_, sh, &sx, app_.ui(), RoundingTrace(t_));
}
void ValdrexCls::求和() { sumTotals(*g_); }
void ValdrexCls::输出(host::Object*, host::Workbook& wb, host::Worksheet& sh1) {
  skipped_.clear();  // a run that throws leaves no stale list behind
  skipped_ = compileReports(*g_, wb, sh1, app_.ui(), app_.clock(), RoundingTrace(t_));
}
void ValdrexCls::复制工作表(host::Worksheet& sh1, host::Worksheet& sh2) { copySheet(sh1, sh2); }
void ValdrexCls::各班成绩表(host::Worksheet& sh1, bool& xx) { writeClassTables(*g_, sh1, xx); }
void ValdrexCls::各科排名() { rankSubjects(*g_); }
Variant ValdrexCls::排名(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e,
                         host::Worksheet& f) {
  return writeRank(a, b, c, d, e, f);
}
Variant ValdrexCls::新排名(Variant& b, Variant& c, Variant& d, std::string& f) {
  host::Workbook* active = app_.activeWorkbook();
  if (!active) throw Failure(FailureKind::HostError, "没有活动工作簿");
  return groupRank(b, c, d, f, *active);
}
void ValdrexCls::分段统计(host::Worksheet& sh) {
  writeScoreBands(*g_, sh, app_.ui(), app_.clock());
}
Variant ValdrexCls::计数器(int16_t& k, int16_t& b, std::string& s) {
  return countScoreBand(*g_, k, b, s);
}
Variant ValdrexCls::计数器2(int16_t& k, int16_t& b, std::string& s) {
  return countRankBand(*g_, k, b, s);
}
void ValdrexCls::保存() { saveCallingWorkbook(app_.thisWorkbook()); }
void ValdrexCls::主页() { openHomePage(app_.launcher(), links_); }
void ValdrexCls::帮助() { offerHelp(app_.ui(), app_.launcher(), app_.thisWorkbook(), links_); }
void ValdrexCls::统计(host::Worksheet& sh) { countClassResults(*g_, sh); }
Variant ValdrexCls::加边框(host::Worksheet& sh, Variant& x1, Variant& y1, Variant& x2,
                           Variant& y2) {
  return addBorders(sh, x1, y1, x2, y2);
}

}  // namespace valdrex
