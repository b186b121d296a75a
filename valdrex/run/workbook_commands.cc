#include "valdrex/run/workbook_commands.h"

#include "valdrex/gradebook/limits_message.h"
#include "valdrex/host/failure.h"

#ifndef VALDREX_DOC_DIR
#define VALDREX_DOC_DIR "/usr/share/doc/valdrex"
#endif

namespace valdrex {

DesktopLinks defaultLinks() {
  const std::string docs = VALDREX_DOC_DIR;
  return DesktopLinks{"file://" + docs + "/index.html", "file://" + docs + "/help.html"};
}

void saveCallingWorkbook(host::Workbook* callingWorkbook) {
  if (!callingWorkbook) throw Failure(FailureKind::HostError, "没有可保存的工作簿");
  callingWorkbook->save();
}

void openHomePage(host::Launcher& launcher, const DesktopLinks& links) {
  launcher.start({links.opener, links.homePage});
}

std::string helpFilePath(const std::string& folder) {
  const std::string name = "说明.txt";
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

void offerHelp(host::Ui& ui, host::Launcher& launcher, host::Workbook* callingWorkbook,
               const DesktopLinks& links) {
  if (ui.messageBox("是否连接到互联网?", host::MessageStyle::yesNoQuestion, messageTitle()) ==
      host::Button::yes) {
    launcher.start({links.opener, links.productPage});
    return;
  }
  std::string folder = callingWorkbook ? callingWorkbook->folderPath() : "";
  launcher.start({links.opener, helpFilePath(folder)});
}

}  // namespace valdrex
