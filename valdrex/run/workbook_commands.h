// The small commands a workbook offers its user: save, home page, help.
#pragma once

#include <string>

#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Where the home page and the product page are, and the desktop's opener that shows an address
// or a file with the program the user has chosen for it.
struct DesktopLinks {
  std::string homePage;
  std::string productPage;
  std::string opener = "xdg-open";
};

// The links to the documentation shipped with the library.
DesktopLinks defaultLinks();

// Saves the calling workbook under its present name and format; failures reach the caller.
void saveCallingWorkbook(host::Workbook* callingWorkbook);

// Opens the home page.
void openHomePage(host::Launcher& launcher, const DesktopLinks& links);

// Asks whether to go online: Yes opens the product page, No the help file "说明.txt" beside the
// calling workbook in the system's text viewer.
void offerHelp(host::Ui& ui, host::Launcher& launcher, host::Workbook* callingWorkbook,
               const DesktopLinks& links);

// The help file's path: the folder, this platform's separator unless the folder already ends in
// one, and the file name. An unsaved workbook (empty folder) gives "/说明.txt".
std::string helpFilePath(const std::string& folder);

}  // namespace valdrex
