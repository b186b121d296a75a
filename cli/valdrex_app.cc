#include "cli/valdrex_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "cli/check_command.h"
#include "cli/chinese_cli.h"
#include "cli/classes_command.h"
#include "cli/exit_codes.h"
#include "cli/generate_commands.h"
#include "cli/members_command.h"
#include "cli/run_command.h"
#include "cli/terminal.h"
#include "valdrex/gradebook/levels.h"
#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/argument_text.h"
#include "valdrex/host/number_text.h"
#include "valdrex/job/class_rows.h"
#include "valdrex/job/session/ready_dialogs.h"

#ifndef VALDREX_VERSION
#define VALDREX_VERSION "0"
#endif

namespace valdrex::cli {

namespace {

struct Choices {
  RunOptions run;
  std::string targets;
  std::string date;
  std::string workbook;
  std::optional<std::string> sheet;
  std::string out;
  std::optional<std::string> output;
  SampleOptions sample;
  TemplateOptions blank;
  std::optional<std::string> subjects;
  bool force = false;
  std::string segments;  // "", "all", or a word that is neither
  std::string segmentStep;
  std::string margin;
  std::string levels;         // "", "true" for the bare flag, or the shares
  std::string levelsByScore;  // the lines
  RunSettings checked;        // what `check` is asked about the sheets written only when asked
};

// "--segments all" is "--segments=all", and "--levels A:15,…" is "--levels=A:15,…": the flags
// take no other word, so a workbook's name after them stays a workbook.
std::vector<const char*> joinFlagValues(int argc, const char* const* argv,
                                        std::vector<std::string>& joined) {
  std::vector<const char*> args(argv, argv + argc);
  joined.reserve(args.size());
  auto levelList = [](std::string_view a) {
    return a.find(':') != std::string_view::npos || a.find("\uff1a") != std::string_view::npos;
  };
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    const std::string_view flag(args[i]), next(args[i + 1]);
    if ((flag == "--segments" && next == "all") || (flag == "--levels" && levelList(next))) {
      joined.push_back(std::string(flag) + "=" + std::string(next));
      args[i] = joined.back().c_str();
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
  }
  return args;
}

// A positive number of points with at most one decimal, in tenths; 0 when it is not one.
int32_t tenthsOption(const std::string& text, double largest) {
  const std::optional<double> value = wholeTextNumber(text);
  if (!value || !(*value > 0) || *value > largest) return 0;
  const double tenths = *value * 10;
  if (std::abs(tenths - std::round(tenths)) > 1e-9) return 0;
  return static_cast<int32_t>(std::lround(tenths));
}

CLI::App* subcommand(CLI::App& app, const std::string& name, const std::string& what) {
  CLI::App* sub = app.add_subcommand(name, what);
  sub->get_help_ptr()->group("选项");  // made before the subcommand takes the option defaults
  sub->footer("退出码的含义见 valdrex --help。");
  return sub;
}

// "班级数（1-20，默认 4）": the range from the model's limits.
std::string countHelp(const std::string& what, int limit, int byDefault) {
  return what + "（1-" + std::to_string(limit) + "，默认 " + std::to_string(byDefault) + "）";
}

void addSheetOption(CLI::App* sub, Choices& c) {
  sub->add_option("--sheet", c.sheet,
                  "成绩表的名字（默认：第一张既不是“属性表”也不是报告表的工作表）")
      ->option_text("名字");
}

// The help fills the terminal when the shell tells its width.
std::size_t helpWidth() {
  constexpr std::size_t kUsual = 80, kWidest = 200;
  const char* columns = std::getenv("COLUMNS");
  if (!columns || !*columns) return kUsual;
  char* end = nullptr;
  const unsigned long width = std::strtoul(columns, &end, 10);
  return *end || width == 0 ? kUsual : std::min<std::size_t>(width, kWidest);
}

// Options of `run` that CLI11 cannot check by itself; empty when fine.
std::string finishRunOptions(Choices& c) {
  c.run.settings.sheet = c.sheet;
  if (!c.targets.empty()) {
    c.run.settings.targets = parseTargets(c.targets);
    if (!c.run.settings.targets)
      return "--targets 应为两个整数“一档,二档”，且 1 ≤ 一档 ≤ 二档 ≤ " +
             std::to_string(kMaxTarget) + "，例如 --targets 5,20；而不是“" + c.targets + "”。";
  }
  AskedReports& asked = c.run.settings.asked;
  if (!c.segments.empty()) {
    // A bare flag gives CLI11's own "true".
    if (c.segments != "all" && c.segments != "true")
      return "--segments 后只能写 all（各科也写一分一段表），而不是“" + c.segments + "”。";
    asked.segments = true;
    asked.segmentsAllSubjects = c.segments == "all";
  }
  if (!c.segmentStep.empty()) {
    asked.segmentStep = tenthsOption(c.segmentStep, 1000);
    if (asked.segmentStep == 0)
      return "--segment-step 应为大于 0、最多一位小数的分数，例如 --segment-step 5；而不是“" +
             c.segmentStep + "”。";
  }
  if (!c.margin.empty()) {
    const int32_t tenths = tenthsOption(c.margin, 100);
    if (tenths == 0)
      return "--margin 应为大于 0、不超过 100、最多一位小数的百分数，例如 --margin 5；而不是“" +
             c.margin + "”。";
    asked.marginPercent = tenths / 10.0;
  }
  if (!c.levels.empty() && !c.levelsByScore.empty())
    return "--levels 和 --levels-by-score 只能用一个。";
  std::string problem;
  if (!c.levels.empty()) {
    const std::string shares = c.levels == "true" ? std::string(kDefaultLevelShares) : c.levels;
    if (!(asked.levels = parseLevelShares(shares, problem)))
      return "--levels 应为“等级:百分比”的列表，百分比加起来为 100，例如 --levels "
             "优秀:15,良好:35,合格:35,待合格:15；而“" +
             shares + "”中" + problem + "。";
  }
  if (!c.levelsByScore.empty() && !(asked.levels = parseLevelLines(c.levelsByScore, problem)))
    return "--levels-by-score 应为“等级:满分的百分数”的列表，从高到低，例如 --levels-by-score "
           "A:90,B:75,C:60,D:40；而“" +
           c.levelsByScore + "”中" + problem + "。";
  if (!c.date.empty()) {
    c.run.settings.date = parseDate(c.date);
    if (!c.run.settings.date)
      return "--date 应为 YYYY-MM-DD 格式的日期，例如 --date 2026-01-15；而不是“" + c.date + "”。";
  }
  return "";
}

}  // namespace

int runValdrex(int argc, const char* const* argv, std::istream& in, std::ostream& out,
               std::ostream& err, bool interactive) {
  Choices c;
  CLI::App app{"valdrex：根据工作簿中的成绩表和属性表，统计一个年级的考试成绩并写出各张报告表。",
               "valdrex"};
  // Subcommands inherit the formatter, the option group and the help flag from here.
  app.formatter(std::make_shared<ChineseFormatter>(helpWidth()));
  app.option_defaults()->group("选项");
  app.set_help_flag("-h,--help", "显示此帮助并退出");
  app.set_version_flag("--version", std::string("valdrex ") + VALDREX_VERSION, "显示版本号并退出");
  app.require_subcommand(1);

  CLI::App* run = subcommand(
      app, "run", "统计工作簿，结果另存为“<原名>-统计结果.xlsx”；不给工作簿时统计内置示例");
  run->add_option("工作簿", c.run.workbooks, "要统计的工作簿（.xlsx 或 .xlsm），可以有多个");
  run->add_option("-o,--output", c.run.output, "结果写入这个文件（只能和一个工作簿一起用）")
      ->option_text("文件");
  addSheetOption(run, c);
  run->add_option("--targets", c.targets,
                  "完成率的两个指标“一档,二档”，例如 5,20 或 5，20（不再询问）")
      ->option_text("一档,二档");
  run->add_option("--date", c.date, "标题行中的日期（默认今天）")->option_text("YYYY-MM-DD");
  run->add_flag("--in-place", c.run.settings.inPlace, "直接改写原工作簿（先备份为“<原名>-备份”）");
  run->add_flag("--force", c.run.settings.force,
                "结果文件旁有电子表格程序的锁文件时照样写入（先确认没有程序打开它）");
  run->add_flag("--strict", c.run.settings.strict, "有会让统计出错的警告时不写入结果（退出码 1）");
  run->add_flag_callback(
      "--no-charts", [&c] { c.run.settings.charts = false; },
      "不写“统计图表”工作表（已有的原样保留）");
  run->add_option("--compare", c.run.settings.compare,
                  "写“进退步”和“进退步汇总”：与这个工作簿（上次考试的成绩或统计结果）对比")
      ->option_text("文件");
  run->add_option("--step", c.run.settings.asked.progressStep,
                  "“进退步汇总”中年级名次升降多少名算进步或退步（默认 20）")
      ->option_text("名次")
      ->check(CLI::Range(1, 32767));
  run->add_flag_callback(
      "--near", [&c] { c.run.settings.asked.nearLines = true; },
      "写“临界生”：总分和各科在优秀线、及格线上下不远的学生，以及总分一档、二档边上的学生");
  run->add_option("--margin", c.margin, "“临界生”中线上下的范围，占满分的百分数（默认 5）")
      ->option_text("百分数");
  run->add_flag("--segments", c.segments, "写“一分一段表”（总分的）；后面跟 all 时各科也写")
      ->option_text("[all]");
  run->add_option("--segment-step", c.segmentStep, "“一分一段表”每段的分数（默认 1）")
      ->option_text("分数");
  run->add_flag_callback(
      "--slips", [&c] { c.run.settings.asked.slips = true; },
      "写“成绩条”：每个学生一条（表头和成绩），按班级分页，剪开后发给学生");
  run->add_flag("--levels", c.levels,
                "在排名表和成绩条中给出等级：按年级排名的百分比从高到低划分，加起来为 100"
                "（不写时为 " +
                    std::string(kDefaultLevelShares) + "）")
      ->option_text("[等级:百分比,…]");
  run->add_option("--levels-by-score", c.levelsByScore,
                  "按分数给出等级：各等级的分数线占满分的百分数，从高到低，例如 A:90,B:75,C:60,D:40"
                  "（最后一条线以下为 E）")
      ->option_text("等级:百分数,…");
  run->add_flag_callback(
      "--no-ranks", [&c] { c.run.settings.asked.noRanks = true; },
      "不公布名次：排名表和成绩条的名次列空着，按班级和座号排列，进退步只写分数变化，"
      "临界生不列一档、二档名单");
  run->add_flag_callback(
      "--extra",
      [&c] {
        c.run.settings.asked.nearLines = true;
        c.run.settings.asked.segments = true;
      },
      "同时写“临界生”和“一分一段表”，同 --near 加 --segments");

  CLI::App* check =
      subcommand(app, "check", "检查工作簿中会让统计出错或失败的地方，不写入任何文件");
  check->add_option("工作簿", c.workbook, "要检查的工作簿")->required();
  addSheetOption(check, c);
  check
      ->add_option("--compare", c.checked.compare,
                   "也检查“进退步”需要的：这个工作簿能否对比、学生能否一一对上")
      ->option_text("文件");
  check->add_flag_callback(
      "--near", [&c] { c.checked.asked.nearLines = true; },
      "也检查“临界生”需要的：属性表里的优秀线和及格线");
  check->add_flag_callback(
      "--extra", [&c] { c.checked.asked.nearLines = c.checked.asked.segments = true; },
      "同 --near（“一分一段表”不需要别的）");

  CLI::App* classes = subcommand(
      app, "classes",
      "把成绩表中的班级列到" + classListPlace() + "，并保存工作簿（先备份为“<原名>-备份”）");
  classes->add_option("工作簿", c.workbook, "要列出班级的工作簿")->required();
  classes->add_option("-o,--output", c.output, "另存为这个文件，原工作簿不变")->option_text("文件");
  addSheetOption(classes, c);
  classes->add_flag("--force", c.force, "要写入的文件旁有电子表格程序的锁文件时照样写入");

  CLI::App* sample = subcommand(app, "sample", "生成一个示例工作簿（虚构的学生和成绩）");
  sample->add_option("文件", c.out, "要写入的 .xlsx 文件")->required();
  using Limits = ModelLimits;
  const SampleOptions sampleDefaults;
  sample
      ->add_option("--classes", c.sample.classes,
                   countHelp("班级数", Limits::classes, sampleDefaults.classes))
      ->check(CLI::Range(1, Limits::classes));
  sample
      ->add_option("--students", c.sample.students,
                   countHelp("每班人数", Limits::studentsPerClass, sampleDefaults.students))
      ->check(CLI::Range(1, Limits::studentsPerClass));
  sample
      ->add_option("--subjects", c.sample.subjects,
                   countHelp("科目数", Limits::subjects, sampleDefaults.subjects))
      ->check(CLI::Range(1, Limits::subjects));
  sample->add_option("--seed", c.sample.seed, "随机种子（默认 1；相同种子生成相同的工作簿）");
  sample->add_flag("--force", c.force, "覆盖已有的文件（先备份）");

  CLI::App* blank = subcommand(app, "template", "生成一个空白工作簿，含统计所需的全部工作表");
  blank->add_option("文件", c.out, "要写入的 .xlsx 文件")->required();
  const TemplateOptions blankDefaults;
  std::string defaultSubjects;
  for (const std::string& s : blankDefaults.subjects)
    defaultSubjects += (defaultSubjects.empty() ? "" : ",") + s;
  blank
      ->add_option("--subjects", c.subjects,
                   "科目，用逗号分隔，可在科目后写“:满分”，例如 语文:150,数学:150,英语（默认 " +
                       defaultSubjects + "，满分都是 " + std::to_string(kDefaultFullMark) + "）")
      ->option_text("科目列表");
  blank
      ->add_option("--classes", c.blank.classes,
                   countHelp("班级数", Limits::classes, blankDefaults.classes))
      ->check(CLI::Range(1, Limits::classes));
  blank->add_flag("--force", c.force, "覆盖已有的文件（先备份）");

  CLI::App* members =
      subcommand(app, "members", "列出 ValdrexCls 的成员（名称、种类、参数和结果类型）");
  app.footer(kExitCodeHelp);  // after the subcommands: they would inherit it

  try {
    std::vector<std::string> joined;
    const std::vector<const char*> args = joinFlagValues(argc, argv, joined);
    app.parse(static_cast<int>(args.size()), args.data());
  } catch (const CLI::Success& e) {  // --help or --version
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    err << argumentError(app, e, std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    return kExitBadArguments;
  }

  try {
    if (run->parsed()) {
      if (std::string problem = finishRunOptions(c); !problem.empty()) {
        err << "参数有误：" << problem << "请改正后重试。\n";
        return kExitBadArguments;
      }
      Terminal terminal(in, out, err, interactive);
      return runCommand(std::move(c.run), terminal);
    }
    if (check->parsed()) {
      c.checked.sheet = c.sheet;
      return checkCommand(c.workbook, c.checked, out, err);
    }
    if (classes->parsed()) return classesCommand(c.workbook, c.sheet, c.output, c.force, out, err);
    if (sample->parsed()) return sampleCommand(c.out, c.sample, c.force, out, err);
    if (blank->parsed()) {
      if (c.subjects) c.blank.subjects = splitItems(*c.subjects);
      return templateCommand(c.out, c.blank, c.force, out, err);
    }
    if (members->parsed()) {
      membersCommand(out);
      return kExitOk;
    }
  } catch (const std::exception& e) {
    err << "内部错误：" << e.what() << "。请把所用的工作簿和这条消息交给维护者。\n";
    return kExitInternal;
  }
  return kExitBadArguments;
}

}  // namespace valdrex::cli
