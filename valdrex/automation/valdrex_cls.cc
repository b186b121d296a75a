#include "valdrex/automation/valdrex_cls.h"

#include "valdrex/bands/counters.h"
#include "valdrex/bands/score_bands.h"
#include "valdrex/gradebook/class_statistics.h"
#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/ranking_functions.h"
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

void ValdrexCls::总人数(const Variant& v) { g_->总人数 = toInteger(numericValue(v)); }
void ValdrexCls::班级数(const Variant& v) { g_->班级数 = toInteger(numericValue(v)); }
void ValdrexCls::教师数(const Variant& v) { g_->教师数 = toInteger(numericValue(v)); }
void ValdrexCls::bjhh(const Variant& v) { g_->bjhh = toInteger(numericValue(v)); }
void ValdrexCls::bjlh(const Variant& v) { g_->bjlh = toInteger(numericValue(v)); }
void ValdrexCls::zhlh(const Variant& v) { g_->zhlh = toInteger(numericValue(v)); }
void ValdrexCls::kmcl(const Variant& v) { g_->kmcl = toInteger(numericValue(v)); }
void ValdrexCls::kmwl(const Variant& v) { g_->kmwl = toInteger(numericValue(v)); }
void ValdrexCls::km(const Variant& v) { g_->km = toInteger(numericValue(v)); }
void ValdrexCls::t(const Variant& v) { g_->t = toLong(numericValue(v)); }

double ValdrexCls::F总人数(host::Worksheet& sh) { return valdrex::F总人数(*g_, sh, app_.ui()); }
void ValdrexCls::初始化(host::Worksheet& sh) { valdrex::初始化(*g_, sh, app_.ui()); }
int16_t ValdrexCls::F班级数(host::Worksheet& sh1, host::Worksheet& sh2) {
  return valdrex::F班级数(*g_, sh1, sh2, app_.ui());
}
void ValdrexCls::载入班级(host::Worksheet& sh) { valdrex::载入班级(*g_, sh, app_.ui()); }
void ValdrexCls::载入成绩(host::Worksheet& sh, host::Worksheet& sx) {
  valdrex::载入成绩(*g_, sh, &sx, app_.ui());
}
void ValdrexCls::求和() { valdrex::求和(*g_); }
void ValdrexCls::输出(host::Object*, host::Workbook& wb, host::Worksheet& sh1) {
  skipped_.clear();  // a run that throws leaves no stale list behind
  skipped_ = valdrex::输出(*g_, wb, sh1, app_.ui(), app_.clock());
}
void ValdrexCls::复制工作表(host::Worksheet& sh1, host::Worksheet& sh2) {
  valdrex::复制工作表(sh1, sh2);
}
void ValdrexCls::各班成绩表(host::Worksheet& sh1, bool& xx) { valdrex::各班成绩表(*g_, sh1, xx); }
void ValdrexCls::各科排名() { valdrex::各科排名(*g_); }
Variant ValdrexCls::排名(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e,
                         host::Worksheet& f) {
  return valdrex::排名(a, b, c, d, e, f);
}
Variant ValdrexCls::新排名(Variant& b, Variant& c, Variant& d, std::string& f) {
  host::Workbook* active = app_.activeWorkbook();
  if (!active) throw Failure(FailureKind::HostError, "没有活动工作簿");
  return valdrex::新排名(b, c, d, f, *active);
}
void ValdrexCls::分段统计(host::Worksheet& sh) {
  valdrex::分段统计(*g_, sh, app_.ui(), app_.clock());
}
Variant ValdrexCls::计数器(int16_t& k, int16_t& b, std::string& s) {
  return valdrex::计数器(*g_, k, b, s);
}
Variant ValdrexCls::计数器2(int16_t& k, int16_t& b, std::string& s) {
  return valdrex::计数器2(*g_, k, b, s);
}
void ValdrexCls::保存() { valdrex::保存(app_.thisWorkbook()); }
void ValdrexCls::主页() { valdrex::主页(app_.launcher(), links_); }
void ValdrexCls::帮助() { valdrex::帮助(app_.ui(), app_.launcher(), app_.thisWorkbook(), links_); }
void ValdrexCls::统计(host::Worksheet& sh) { valdrex::统计(*g_, sh); }
Variant ValdrexCls::加边框(host::Worksheet& sh, Variant& x1, Variant& y1, Variant& x2,
                           Variant& y2) {
  return valdrex::加边框(sh, x1, y1, x2, y2);
}

}  // namespace valdrex
