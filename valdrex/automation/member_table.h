// The member table of ValdrexCls and a dispatch by name over tagged values: what a scripting host
// needs to call the object without compiling against it. The names are the historical ones; the
// library beneath uses descriptive ones (总人数 studentCount, 班级数 classCount, 教师数
// teacherCount, bjhh headerRow, bjlh classColumn, zhlh seatColumn, kmcl firstSubjectColumn, kmwl
// lastSubjectColumn, km subjectCount; F总人数 countStudents, 初始化 findLayout, F班级数
// countClasses, 载入班级 loadClasses, 载入成绩 loadScores, 求和 sumTotals, 输出 compileReports,
// 复制工作表 copySheet, 各班成绩表 writeClassTables, 各科排名 rankSubjects, 排名 writeRank, 新排名
// groupRank, 分段统计 writeScoreBands, 计数器 countScoreBand, 计数器2 countRankBand, 保存
// saveCallingWorkbook, 主页 openHomePage, 帮助 offerHelp, 统计 countClassResults, 加边框
// addBorders).
//
// The property t is the working value of the last rounding: the rounded number times 10 or 100,
// as the whole number it was rounded to. Only two members change it:
// - 载入成绩: each score it scales (a score × 10), so t is the last score read, row by row in
//   sheet order and subject by subject; when the load stops at a failure, the last one scaled
//   before it. A load that scales no score leaves t as it was.
// - 输出: its load as 载入成绩 does, then every rate, average and composite of "两率一分"
//   (× 100: a rate 33.33% is 3333) and of "完成率表", in the order they are written. A step
//   that fails or is skipped stops adding to t where it stopped, a missing sheet adds nothing.
//   After a whole run t is the "合计" average of the last table of "完成率表", or of "两率一分"
//   when the completion targets were not given.
// Every other member, and a failed write of t itself, leaves t as it was.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/automation/valdrex_cls.h"
#include "valdrex/export.h"
#include "valdrex/host/variant.h"

namespace valdrex {

enum class ParamType {
  Void,
  Integer,
  Long,
  Double,
  Boolean,
  Text,
  Variant,
  Worksheet,
  Workbook,
  Application
};
enum class MemberKind { Property, Method };

struct Parameter {
  std::string_view name;
  ParamType type;
};

struct Member {
  std::string_view name;
  MemberKind kind;
  std::vector<Parameter> parameters;  // a property's type is its one parameter's type
  ParamType result;                   // a property's reads give its type
};

// Every member in interface order.
VALDREX_API const std::vector<Member>& members();

// The name of a type as the member table prints it ("Integer", "Worksheet", ...).
VALDREX_API std::string_view typeName(ParamType type);

// Calls a member by name. A property with no argument is read, with one argument written.
// Arguments are by reference: what the member changes (a trimmed label, say) comes back in args.
// An unknown name, a wrong number of arguments or an argument of the wrong type fails with a
// message naming the member; failures of the member itself reach the caller unchanged.
VALDREX_API Variant invoke(ValdrexCls& object, std::string_view name, std::vector<Variant>& args);

}  // namespace valdrex
