// The dialogs of the menu's commands: LibreOffice's message boxes and small dialogs over the
// document's window.
//
// When the environment variable VALDREX_CALC_TEST_DIR names a folder, no dialog is shown, so that
// a headless office can be driven by a test. Each command then reads the answers to its input
// boxes from $VALDREX_CALC_TEST_DIR/answers.txt, one line per question in order (a missing line
// takes the default text), message boxes take their default button, and every dialog is appended
// to $VALDREX_CALC_TEST_DIR/dialogs.txt as a header line of three tab-separated fields, then its
// text, one line each after a tab:
//
//   message <TAB> style <TAB> title     style: plain, critical, yesNoQuestion, information,
//                                       plainSecondDefault; the lines are the message
//   input   <TAB> answer <TAB> title    the lines are the question
//   list    <TAB> count <TAB> title     the lines are the items to choose from
//   file    <TAB> path  <TAB> title     a workbook chosen: the next answer, none when empty
//
// 统计 also writes $VALDREX_CALC_TEST_DIR/timings.txt: "statistics" and "charts", each with its
// seconds after a tab, for the benchmark.
#pragma once

#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/job/session/ready_dialogs.h"

namespace valdrex::calc {

class OfficeDialogs : public JobDialogs {
 public:
  // Lines to choose from under a heading; `chosen` gets the index of each line the user selects,
  // while the list stays open.
  virtual void showList(const std::string& title, const std::string& heading,
                        const std::vector<std::string>& lines,
                        const std::function<void(std::size_t)>& chosen) = 0;
  // A workbook file to open, chosen by the user; nothing when the choice was cancelled.
  virtual std::optional<std::string> chooseWorkbook(const std::string& title) = 0;
};

// The test hook's folder, empty when the dialogs are real.
std::string testHookFolder();

std::unique_ptr<OfficeDialogs> makeOfficeDialogs(
    const css::uno::Reference<css::uno::XComponentContext>& context,
    const css::uno::Reference<css::frame::XFrame>& frame);

}  // namespace valdrex::calc
