#include "cli/valdrex_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "cli/check_command.h"
#include "cli/chinese_cli.h"
#include "cli/classes_command.h"
#include "cli/exit_codes.h"
#include "cli/generate_commands.h"
#include "cli/members_command.h"
#include "cli/run_command.h"
#include "cli/terminal.h"
#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/argument_text.h"
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
};

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

  CLI::App* check =
      subcommand(app, "check", "检查工作簿中会让统计出错或失败的地方，不写入任何文件");
  check->add_option("工作簿", c.workbook, "要检查的工作簿")->required();
  addSheetOption(check, c);

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
    app.parse(argc, argv);
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
    if (check->parsed()) return checkCommand(c.workbook, c.sheet, out, err);
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
