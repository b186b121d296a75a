// A host that counts every operation and fails the k-th one, around a small complete workbook.
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "support/forwarding_host.h"
#include "support/scripted_ui.h"
#include "valdrex/automation/valdrex_cls.h"
#include "valdrex/host/application.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex::testing {

// Shared by the workbook, its sheets and the dialogs, so that k counts across all of them.
struct FaultPlan {
  long count = 0;
  long failAt = 0;  // 0: nothing fails
  std::optional<host::Operation> failed;

  void operator()(host::Operation op) {
    if (++count != failAt) return;
    failed = op;
    throw Failure(FailureKind::HostError,
                  "injected failure of " + std::string(host::operationName(op)));
  }
};

// A forwarding workbook or dialog host whose every operation goes through the plan.
template <class Forwarding>
class Faulty final : public Forwarding {
 public:
  template <class Target>
  Faulty(Target& target, FaultPlan& plan) : Forwarding(target), plan_(plan) {}

 protected:
  void onOperation(host::Operation op) const override { plan_(op); }

 private:
  FaultPlan& plan_;
};
using FaultyWorkbook = Faulty<host::ForwardingWorkbook>;
using FaultyUi = Faulty<host::ForwardingUi>;

inline const char* const kReportSheets[] = {"输出表",     "各班详细排名", "各班排名表",
                                            "年级排名表", "年级详细排名", "两率一分",
                                            "完成率表",   "分数段统计",   "名次段统计"};

// Cells of one row from column 1, as typed input; "" leaves a cell empty.
inline void typeRow(host::Worksheet& sh, int r, std::initializer_list<const char*> cells) {
  int col = 1;
  for (const char* c : cells) {
    if (*c) sh.setCell(r, col, Variant::text(c));
    ++col;
  }
}

// Three classes, two subjects, "属性表" filled, every report sheet present.
inline void fillSmallBook(host::MemoryWorkbook& wb) {
  auto& scores = wb.addSheet("成绩表");
  typeRow(scores, 2, {"", "", "", "150", "100"});
  typeRow(scores, 3, {"班级", "座号", "姓名", "语文", "数学"});
  typeRow(scores, 4, {"1", "1", "甲", "135", "80"});
  typeRow(scores, 5, {"1", "2", "乙", "", "95"});
  typeRow(scores, 6, {"2", "1", "丙", "100", "60"});
  typeRow(scores, 7, {"2", "2", "丁", "88", "缺考"});
  typeRow(scores, 8, {"3", "1", "戊", "120", "30"});
  auto& props = wb.addSheet("属性表");
  typeRow(props, 3, {"满分", "100", "100", "200"});
  typeRow(props, 4, {"优秀", "85", "85", "170"});
  typeRow(props, 5, {"及格", "60", "60", "120"});
  typeRow(props, 6, {"低分", "40", "40", "80"});
  typeRow(props, 9, {"平均分", "0.3", "0.3", "0.3"});
  typeRow(props, 10, {"优秀率", "0.25", "0.25", "0.25"});
  typeRow(props, 11, {"及格率", "1", "1", "1"});
  typeRow(props, 12, {"低分率", "0.5", "0.5", "0.5"});
  typeRow(props, 13, {"完成1", "0.5", "0.5", "0.5"});
  typeRow(props, 14, {"完成2", "0.5", "0.5", "0.5"});
  typeRow(props, 15, {"综合", "1", "1", "1"});
  typeRow(props, 18, {"1", "张", "李", "王"});
  typeRow(props, 19, {"2", "赵", "钱", "孙"});
  typeRow(props, 20, {"3", "周", "吴", "郑"});
  for (const char* name : kReportSheets) wb.addSheet(name);
}

// A ValdrexCls on a faulty host. The object is kept from one workbook to the next, as a
// workbook's macro keeps it, so a faulty call also must not spoil the calls after it.
struct FaultySession {
  FaultPlan plan;
  host::ScriptedUi ui;
  FaultyUi faultyUi{ui, plan};
  host::FixedClock clock;
  host::RecordingLauncher launcher;
  host::BasicApplication app{faultyUi, clock, launcher};
  ValdrexCls vd{app};
  std::unique_ptr<host::MemoryWorkbook> book;
  std::unique_ptr<FaultyWorkbook> wb;

  // A fresh copy of the small workbook, no dialogs yet, nothing armed.
  void freshBook() {
    wb.reset();
    book = std::make_unique<host::MemoryWorkbook>();
    fillSmallBook(*book);
    wb = std::make_unique<FaultyWorkbook>(*book, plan);
    app.setWorkbook(wb.get());
    ui = host::ScriptedUi{};
    plan = FaultPlan{};
  }
  // A sheet through the faulty workbook, looked up by the caller: neither counted nor failed.
  host::Worksheet& sheet(const char* name) {
    FaultPlan saved = plan;
    plan.failAt = 0;
    host::Worksheet& found = wb->sheet(name);
    plan = saved;
    return found;
  }
  // From now on the k-th operation fails (counting from 1); 0 only counts.
  void arm(long k) {
    plan.count = 0;
    plan.failAt = k;
  }
  bool showed(const std::string& message) const {
    for (const auto& m : ui.messages())
      if (m == message) return true;
    return false;
  }
};

}  // namespace valdrex::testing
