#include "cli/advice_words.h"

namespace valdrex::cli {

std::string adviceWords(Advice advice, std::string_view command) {
  switch (advice) {
    case Advice::none:
      return "";
    case Advice::nameScoreSheet:
      return "请用 --sheet 指定成绩表的名字。";
    case Advice::addScoreSheet:
      return "请加入成绩表，或用 valdrex template 生成模板。";
    case Advice::addPropertySheet:
      return "请加入名为“属性表”的普通工作表（可参照 valdrex template 生成的模板）。";
    case Advice::reportSheetAdded:
      return "（valdrex run 会在末尾添加）";
    case Advice::listClasses:
      return "。可运行 valdrex classes 列出班级";
    case Advice::reorderClasses:
      return "。可运行 valdrex classes 按成绩表重排（任课教师随班级移动）";
    case Advice::checkFirst:
      return "（可运行 valdrex check 查看问题）。";
    case Advice::strictRefused:
      return "请改正上面列出的问题后重试，或去掉 --strict。";
    case Advice::resultIsInput:
      return "请换一个结果文件名；要改写原工作簿请用 --in-place（会先备份）。";
    case Advice::replaceExisting:
      return "请换一个文件名，或加 --force 覆盖它（原文件会先备份）。";
    case Advice::closeOrForce:
      return "请先在程序里关闭它再重试；如果没有程序打开它（程序崩溃时会留下锁文件），"
             "可以删除这个锁文件，或加 --force 照样写入。";
    case Advice::fixOptions:
      return "\n请运行 valdrex " + std::string(command) + " --help 查看用法。";
  }
  return "";
}

std::string findingLine(const Finding& finding) {
  return finding.place + "：" + finding.text + adviceWords(finding.advice);
}

std::string problemLine(const JobOutcome& outcome, std::string_view command) {
  return outcome.problem + adviceWords(outcome.advice, command);
}

}  // namespace valdrex::cli
