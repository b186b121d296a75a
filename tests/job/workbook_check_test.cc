// What check finds in a workbook held in memory: one defect at a time on a clean sample, and
// lists far longer than a class.
#include "valdrex/job/checks/workbook_check.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>

#include "valdrex/job/made/sample_workbook.h"

namespace valdrex {
namespace {

using Defect = std::function<void(host::MemoryWorkbook&)>;

std::vector<std::string> findings(host::MemoryWorkbook& wb) {
  std::vector<std::string> lines;
  for (const Finding& f : checkWorkbook(wb, std::nullopt).findings)
    lines.push_back(f.place + "：" + f.text);
  return lines;
}

host::MemorySheet& scores(host::MemoryWorkbook& wb) { return *wb.find("成绩表"); }
host::MemorySheet& props(host::MemoryWorkbook& wb) { return *wb.find("属性表"); }

TEST(WorkbookCheck, ACleanSampleHasNoFindings) {
  auto wb = sampleWorkbook({3, 6, 4, 2});
  EXPECT_THAT(findings(*wb), ::testing::IsEmpty());
  auto report = checkWorkbook(*wb, std::nullopt);
  EXPECT_EQ(report.layout.back(), "班级：3 个（1班 6 人、2班 6 人、3班 6 人），共 18 名学生");
}

TEST(WorkbookCheck, EachDefectIsFoundAtItsCell) {
  // Sample: 2 classes of 4 students (rows 4-11), subjects in D-F, total in 属性表 column E.
  const struct {
    const char* what;
    Defect defect;
    const char* expected;
  } cases[] = {
      {"word score", [](auto& wb) { scores(wb).setCell(4, 5, "85分"); },
       "成绩表!E4：“85分”不是分数，会按 85 分计算"},
      {"negative score", [](auto& wb) { scores(wb).setCell(9, 6, Variant::number(-2)); },
       "成绩表!F9：分数 -2 是负数"},
      {"raw full mark missing", [](auto& wb) { scores(wb).setCell(2, 4, ""); },
       "成绩表!D2：“语文”的原始满分没有填写"},
      {"empty full mark", [](auto& wb) { props(wb).setCell(3, 5, ""); }, "属性表!E3：满分为 0"},
      {"word weight", [](auto& wb) { props(wb).setCell(13, 2, "四成"); },
       "属性表!B13：“四成”不是数字"},
      {"line too large", [](auto& wb) { props(wb).setCell(4, 2, Variant::number(40000)); },
       "属性表!B4：“40000”超出了范围"},
      {"score with a full stop for the point", [](auto& wb) { scores(wb).setCell(4, 5, "85。5"); },
       "成绩表!E4：“85。5”中的“。”不是小数点，会按 85 分计算"},
      {"class without a row of its name", [](auto& wb) { props(wb).setCell(18, 1, "甲班"); },
       "属性表!A18：成绩表中的“1班”在属性表的班级行里没有同名的行，这一行“甲班”是剩下的行"},
      {"21 class rows",
       [](auto& wb) {
         for (int r = 20; r <= 38; ++r) props(wb).setCell(r, 1, "班" + std::to_string(r));
       },
       "属性表!A38：班级行超过 20 行"},
      {"missing report sheet", [](auto& wb) { wb.find("两率一分")->rename("别的表"); },
       "两率一分：缺少报告表"},
      {"bad score band",
       [](auto& wb) {
         auto& s = *wb.find("分数段统计");
         s.setCell(3, 3, "100");
         s.setCell(8, 3, "90-");
         s.setCell(8, 4, "0-59");
       },
       "分数段统计!D8：“0-59”不是有效的区间"},
      {"bad rank band",
       [](auto& wb) {
         auto& s = *wb.find("名次段统计");
         s.setCell(3, 3, "前10名");
         s.setCell(3, 4, "第十");
       },
       "名次段统计!D3：“第十”不是有效的区间"},
  };
  for (const auto& c : cases) {
    auto wb = sampleWorkbook({2, 4, 3, 5});
    c.defect(*wb);
    auto found = findings(*wb);
    EXPECT_THAT(found, ::testing::Contains(::testing::StartsWith(c.expected))) << c.what;
  }
}

// Absence words, full-width numbers and class rows in another order are read as meant: nothing to
// tell.
TEST(WorkbookCheck, WhatTheLoadingReadsAsMeantIsNoFinding) {
  const struct {
    const char* what;
    Defect change;
  } cases[] = {
      {"absence words",
       [](auto& wb) {
         scores(wb).setCell(4, 4, "缺考");
         scores(wb).setCell(5, 4, " 请假　");
         scores(wb).setCell(6, 4, "缺");
       }},
      {"full-width scores",
       [](auto& wb) {
         scores(wb).setCell(4, 4, "９０");
         scores(wb).setCell(5, 4, "９０．５");
         scores(wb).setCell(6, 4, " ８５ ");
       }},
      {"full-width marks and weights",
       [](auto& wb) {
         props(wb).setCell(3, 2, "１５０");
         props(wb).setCell(9, 2, "０．５");
       }},
      {"class rows in another order",
       [](auto& wb) {
         props(wb).setCell(18, 1, "2班");
         props(wb).setCell(19, 1, "1班");
       }},
  };
  for (const auto& c : cases) {
    auto wb = sampleWorkbook({2, 4, 3, 5});
    c.change(*wb);
    EXPECT_THAT(findings(*wb), ::testing::IsEmpty()) << c.what;
  }
}

// A table out of place is one error before every other finding, instead of a finding for each
// cell read wrongly; a subject with some students' cells written "缺勤" is still a subject.
TEST(WorkbookCheck, ATableOutOfPlaceIsOneError) {
  auto fill = [](host::MemorySheet& s, int col, const char* text) {
    for (int r = 4; r <= 11; ++r) s.setCell(r, col, text);
  };
  const struct {
    const char* what;
    Defect defect;
    const char* first;  // nullptr: the cells are told one by one
  } cases[] = {
      {"name among the subjects", [](auto& wb) { scores(wb).setCell(3, 4, "姓名"); },
       "成绩表!D3：表头应在第 3 行：A3 班级、B3 座号或考号、C3 姓名，科目从 D3 起；这里是 A3 班级、"
       "B3 座号、C3 姓名、D3 姓名，“姓名”会被当作科目"},
      {"class header in D",
       [](auto& wb) {
         scores(wb).setCell(3, 1, "序号");
         scores(wb).setCell(3, 5, "班级");
       },
       "成绩表!E3：表头应在第 3 行"},
      {"a column of words without a full mark",
       [&](auto& wb) {
         scores(wb).setCell(2, 5, "");
         fill(scores(wb), 5, "女");
       },
       "成绩表!E3：表头应在第 3 行：A3 班级、B3 座号或考号、C3 姓名，科目从 D3 起；这里是 A3 班级、"
       "B3 座号、C3 姓名、D3 语文、E3 数学，“数学”列不是分数"},
      {"header typed in row 2",
       [](auto& wb) {
         scores(wb).setCell(3, 1, "");
         scores(wb).setCell(2, 1, "班级");
       },
       "成绩表!A2：表头应在第 3 行：A3 班级、B3 座号或考号、C3 姓名，科目从 D3 起（第 1 行标题，第 "
       "2 "
       "行各科原始满分）；这里第 2 行是表头。请在表头上方插入 1 行"},
      {"a subject among the first three columns",
       [](auto& wb) {
         scores(wb).setCell(3, 2, "姓名");
         scores(wb).setCell(3, 3, "化学");
         scores(wb).setCell(2, 3, Variant::number(100));
       },
       "成绩表!C3：表头应在第 3 行：A3 班级、B3 座号或考号、C3 姓名，科目从 D3 起；这里是 A3 班级、"
       "B3 姓名、C3 化学，“化学”上方有原始满分，却在前三列里"},
      {"a word written out", [&](auto& wb) { fill(scores(wb), 5, "缺勤"); }, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto wb = sampleWorkbook({2, 4, 3, 5});
    c.defect(*wb);
    const std::vector<std::string> found = findings(*wb);
    ASSERT_FALSE(found.empty());
    if (!c.first) {
      EXPECT_THAT(found, ::testing::Each(::testing::HasSubstr("不是分数，会按")));
      continue;
    }
    EXPECT_THAT(found[0], ::testing::StartsWith(c.first));
    EXPECT_THAT(found, ::testing::Each(::testing::Not(::testing::HasSubstr("不是分数，会按"))));
    EXPECT_THAT(found, ::testing::Each(::testing::Not(::testing::HasSubstr("的原始满分"))));
    EXPECT_TRUE(checkWorkbook(*wb, std::nullopt).findings[0].stopsLoading);
  }
}

TEST(WorkbookCheck, BandLabelsReadOtherwiseThanMeantAreWrongResults) {
  const struct {
    const char* sheet;
    const char* label;
    const char* expected;  // "" when the label is read as meant; "（wrong）": a wrong result
  } cases[] = {
      {"分数段统计", "120—135", ""},
      {"分数段统计", "60-70分", ""},
      {"分数段统计", "120〜135", "会统计分数正好是 120 的人数，而不是分数在 120（含）到 135"},
      {"分数段统计", "120——135", "会统计分数低于 120 的人数，而不是分数在 120（含）到 135"},
      {"分数段统计", "60－70", "请写成“60-70”（wrong）"},
      {"分数段统计", "60一70", "请写成“60-70”（wrong）"},
      {"分数段统计", "１２０-135",
       "不是有效的区间，统计会在这里停下并提示“区间划分格式错误”。若指的是"},
      {"名次段统计", "1～50", "会统计第 1 名的人数，而不是第 1 到第 50 名的人数"},
  };
  for (const auto& c : cases) {
    auto wb = sampleWorkbook({2, 4, 3, 5});
    wb->find(c.sheet)->setCell(3, 3, c.label);
    const auto report = checkWorkbook(*wb, std::nullopt);
    std::vector<std::string> found;
    for (const Finding& f : report.findings)
      found.push_back(f.place + "：" + f.text + (f.wrongResult ? "（wrong）" : ""));
    if (!*c.expected)
      EXPECT_THAT(found, ::testing::IsEmpty()) << c.label;
    else
      EXPECT_THAT(found, ::testing::ElementsAre(::testing::AllOf(
                             ::testing::StartsWith(c.sheet + std::string("!C3：“") + c.label),
                             ::testing::HasSubstr(c.expected))))
          << c.label;
  }
}

TEST(WorkbookCheck, AClassSplitOverTheSheetIsOnlyNoted) {
  auto wb = sampleWorkbook({2, 4, 3, 5});
  scores(*wb).setCell(6, 1, "2班");
  auto report = checkWorkbook(*wb, std::nullopt);
  EXPECT_THAT(report.findings, ::testing::IsEmpty());
  EXPECT_THAT(report.layout, ::testing::Contains(::testing::HasSubstr("成绩表!A7 起又是“1班”")));
}

TEST(WorkbookCheck, BlankClassCellsBeyondTheFirstTenAreSummedUp) {
  auto wb = sampleWorkbook({2, 10, 2, 1});  // students in rows 4-23
  for (int row = 6; row <= 20; ++row) scores(*wb).setCell(row, 1, "");
  auto found = findings(*wb);
  EXPECT_EQ(std::count_if(found.begin(), found.end(),
                          [](const std::string& f) { return f.find("班级为空") != f.npos; }),
            11);
  EXPECT_THAT(found, ::testing::Contains(
                         "成绩表!A16：另有 5 行班级为空（从这一格起），这些学生都不会被统计"));
}

TEST(WorkbookCheck, AListBeyondTheCountableRowsIsWhyNothingLoads) {
  auto wb = sampleWorkbook({1, 3, 2, 1});
  for (int row = 7; row <= 32800; ++row) scores(*wb).setCell(row, 2, Variant::number(1));
  auto found = findings(*wb);
  EXPECT_THAT(found,
              ::testing::Contains(::testing::HasSubstr("成绩表!B32767：名单一直排到第 32800 行")));
  EXPECT_LT(found.size(), 20u);

  scores(*wb).setCell(32767, 2, "");  // one row shorter: the list ends in time
  EXPECT_THAT(findings(*wb),
              ::testing::Not(::testing::Contains(::testing::HasSubstr("名单一直排到"))));
}

}  // namespace
}  // namespace valdrex
