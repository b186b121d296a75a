// The UNO component Calc loads from valdrex.oxt: a protocol handler for the "成绩统计" menu's
// commands (vnd.valdrex:run, check, classes, help, home) on spreadsheet documents.
#include <uno/lbnames.h>

#include <com/sun/star/deployment/PackageInformationProvider.hpp>
#include <com/sun/star/frame/FeatureStateEvent.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatch.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/lang/XInitialization.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/system/SystemShellExecute.hpp>
#include <com/sun/star/system/SystemShellExecuteFlags.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <cppuhelper/implbase4.hxx>
#include <cppuhelper/implementationentry.hxx>
#include <cppuhelper/supportsservice.hxx>
#include <fstream>
#include <osl/file.hxx>
#include <string>
#include <vector>

#include "libreoffice/calc_commands.h"
#include "libreoffice/office_dialogs.h"
#include "libreoffice/run_report.h"
#include "libreoffice/uno_text.h"
#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/failure.h"
#include "valdrex/run/workbook_commands.h"

namespace valdrex::calc {
namespace {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

constexpr char kImplementationName[] = "org.valdrex.calc.CommandHandler";
constexpr char kExtensionId[] = "org.valdrex.calc";
constexpr char kProtocol[] = "vnd.valdrex:";

enum class Command {
  none,
  run,
  runAnalyses,
  runAgainstEarlier,
  runSlips,
  check,
  classes,
  help,
  home
};

Command commandOf(const css::util::URL& url) {
  const OUString& complete = url.Complete;
  if (!complete.startsWithIgnoreAsciiCase(kProtocol)) return Command::none;
  const OUString name = complete.copy(sizeof kProtocol - 1);
  if (name == "run") return Command::run;
  if (name == "analyse") return Command::runAnalyses;
  if (name == "compare") return Command::runAgainstEarlier;
  if (name == "slips") return Command::runSlips;
  if (name == "check") return Command::check;
  if (name == "classes") return Command::classes;
  if (name == "help") return Command::help;
  if (name == "home") return Command::home;
  return Command::none;
}

// Opens addresses and files with the desktop's program for them; the opener's name in the
// command is the library's, the office chooses its own.
class OfficeLauncher final : public host::Launcher {
 public:
  explicit OfficeLauncher(const Context& context) : context_(context) {}
  void start(const std::vector<std::string>& command) override {
    if (command.empty()) throw Failure(FailureKind::HostError, "没有要打开的文件");
    OUString target = ustr(command.back());
    if (target.startsWith("/")) {
      OUString url;
      osl::FileBase::getFileURLFromSystemPath(target, url);
      target = url;
    }
    try {
      css::system::SystemShellExecute::create(context_)->execute(
          target, OUString(), css::system::SystemShellExecuteFlags::URIS_ONLY);
    } catch (const css::uno::Exception& e) {
      throw Failure(FailureKind::HostError, "无法打开 " + command.back() + "：" + utf8(e.Message));
    }
  }

 private:
  Context context_;
};

// The document as offerHelp sees it: only the folder its help file is looked for in.
class DocumentFolder final : public host::Workbook {
 public:
  explicit DocumentFolder(std::string folder) : folder_(std::move(folder)) {}
  host::Worksheet& sheet(std::string_view name) override {
    throw Failure(FailureKind::HostError, "没有工作表 " + std::string(name));
  }
  std::string folderPath() const override { return folder_; }
  void save() override { throw Failure(FailureKind::HostError, "无法保存"); }

 private:
  std::string folder_;
};

// For the benchmark, beside the test hook's dialogs: how long the last 统计 took.
void logTimings(const RunTimings& timings) {
  const std::string folder = testHookFolder();
  if (folder.empty()) return;
  std::ofstream out(folder + "/timings.txt");
  out << "statistics\t" << timings.statistics << "\npages\t" << timings.pages << "\ncharts\t"
      << timings.charts << '\n';
}

class CommandHandler final
    : public cppu::WeakImplHelper4<css::frame::XDispatchProvider, css::frame::XDispatch,
                                   css::lang::XInitialization, css::lang::XServiceInfo> {
 public:
  explicit CommandHandler(const Context& context) : context_(context) {}

  // XInitialization: the frame the commands work in.
  void SAL_CALL initialize(const Sequence<Any>& arguments) override {
    if (arguments.hasElements()) arguments[0] >>= frame_;
  }

  // XDispatchProvider
  Reference<css::frame::XDispatch> SAL_CALL queryDispatch(const css::util::URL& url,
                                                          const OUString&, sal_Int32) override {
    if (commandOf(url) == Command::none || !document().is()) return {};
    return this;
  }
  Sequence<Reference<css::frame::XDispatch>> SAL_CALL
  queryDispatches(const Sequence<css::frame::DispatchDescriptor>& requests) override {
    Sequence<Reference<css::frame::XDispatch>> result(requests.getLength());
    for (sal_Int32 i = 0; i < requests.getLength(); ++i)
      result.getArray()[i] =
          queryDispatch(requests[i].FeatureURL, requests[i].FrameName, requests[i].SearchFlags);
    return result;
  }

  // XDispatch
  void SAL_CALL dispatch(const css::util::URL& url,
                         const Sequence<css::beans::PropertyValue>&) override {
    const Document doc = document();
    if (!doc.is()) return;
    // Nothing may escape into the office: a failure is told, and a failing dialog swallowed.
    std::string failure;
    try {
      auto dialogs = makeOfficeDialogs(context_, frame_);
      try {
        run(commandOf(url), doc, *dialogs);
        return;
      } catch (const std::exception& e) {
        failure = e.what();
      } catch (const css::uno::Exception& e) {
        failure = utf8(e.Message);
      }
      dialogs->messageBox(failure, host::MessageStyle::critical, messageTitle());
    } catch (...) {
    }
  }
  void SAL_CALL addStatusListener(const Reference<css::frame::XStatusListener>& listener,
                                  const css::util::URL& url) override {
    css::frame::FeatureStateEvent state;
    state.FeatureURL = url;
    state.IsEnabled = true;
    state.Source = static_cast<cppu::OWeakObject*>(this);
    listener->statusChanged(state);
  }
  void SAL_CALL removeStatusListener(const Reference<css::frame::XStatusListener>&,
                                     const css::util::URL&) override {}

  // XServiceInfo
  OUString SAL_CALL getImplementationName() override {
    return OUString::createFromAscii(kImplementationName);
  }
  sal_Bool SAL_CALL supportsService(const OUString& name) override {
    return cppu::supportsService(this, name);
  }
  Sequence<OUString> SAL_CALL getSupportedServiceNames() override { return serviceNames(); }

  static Sequence<OUString> serviceNames() {
    Sequence<OUString> names(1);
    names.getArray()[0] = "com.sun.star.frame.ProtocolHandler";
    return names;
  }

 private:
  Document document() const {
    if (!frame_.is()) return {};
    auto controller = frame_->getController();
    return controller.is() ? Document(controller->getModel(), UNO_QUERY) : Document();
  }

  void run(Command command, const Document& doc, OfficeDialogs& dialogs) {
    switch (command) {
      case Command::none:
        return;
      case Command::run:
        return runStatisticsAndTell(doc, dialogs, {});
      case Command::runAnalyses: {
        // 临界生 and the total's 一分一段表, as the command's --extra.
        AskedReports asked;
        asked.nearLines = asked.segments = true;
        return runStatisticsAndTell(doc, dialogs, {asked, std::nullopt});
      }
      case Command::runAgainstEarlier: {
        const std::optional<std::string> earlier =
            dialogs.chooseWorkbook("选择上次考试的工作簿（成绩表或它的统计结果）");
        if (!earlier) return;
        return runStatisticsAndTell(doc, dialogs, {AskedReports{}, earlier});
      }
      case Command::runSlips: {
        // What a school may hand out: 成绩条 with levels and no rank anywhere, as the command's
        // --slips --levels --no-ranks.
        AskedReports asked;
        asked.slips = asked.noRanks = true;
        std::string problem;
        asked.levels = parseLevelShares(kDefaultLevelShares, problem);
        return runStatisticsAndTell(doc, dialogs, {asked, std::nullopt});
      }
      case Command::check:
        return check(doc, dialogs);
      case Command::classes: {
        const ClassesResult result = listClassesInDocument(doc);
        if (result.lines.empty()) return;
        std::string text;
        for (const std::string& line : result.lines) text += (text.empty() ? "" : "\n") + line;
        dialogs.messageBox(text, host::MessageStyle::information, messageTitle("列出班级"));
        return;
      }
      case Command::help: {
        OfficeLauncher launcher(context_);
        DocumentFolder folder(documentFolder(doc));
        return offerHelp(dialogs, launcher, &folder, links());
      }
      case Command::home: {
        OfficeLauncher launcher(context_);
        return openHomePage(launcher, links());
      }
    }
  }

  void runStatisticsAndTell(const Document& doc, OfficeDialogs& dialogs, const AskedRun& asked) {
    SystemClock clock;
    RunTimings timings;
    const JobOutcome outcome = runStatistics(context_, doc, dialogs, clock, timings, asked);
    logTimings(timings);
    tell(doc, outcome, dialogs);
  }

  void check(const Document& doc, OfficeDialogs& dialogs) {
    const JobOutcome report = checkDocument(doc);
    std::string layout;
    for (const std::string& line : report.layout) layout += line + "\n";
    if (report.findings.empty()) {
      dialogs.messageBox(layout + "没有发现问题。", host::MessageStyle::information,
                         messageTitle("检查"));
      return;
    }
    std::vector<std::string> lines;
    for (const Finding& f : report.findings) lines.push_back(findingLine(f));
    const std::string heading =
        "发现 " + std::to_string(lines.size()) + " 个问题。选中一条，即转到它所在的单元格。";
    dialogs.showList(messageTitle("检查"), heading, lines, [&](std::size_t i) {
      select(doc, report.findings[i].sheet(), report.findings[i].cell());
    });
  }

  // After 统计: a refusal alone in a message box; anything else worth telling in one list, whose
  // findings select their cells.
  void tell(const Document& doc, const JobOutcome& outcome, OfficeDialogs& dialogs) {
    const RunReport report = runReport(outcome);
    if (report.lines.empty()) return;
    if (report.lines.size() == 1 && !outcome.problem.empty()) {
      dialogs.messageBox(report.lines[0], host::MessageStyle::critical, messageTitle());
      return;
    }
    dialogs.showList(messageTitle("统计"), report.heading, report.lines, [&](std::size_t i) {
      if (i >= report.findingOf.size() || !report.findingOf[i]) return;
      const Finding& f = outcome.findings[*report.findingOf[i]];
      select(doc, f.sheet(), f.cell());
    });
  }

  // Shows a finding's sheet and selects its cell.
  void select(const Document& doc, const std::string& sheetName, const std::string& cell) {
    auto sheets = doc->getSheets();
    if (!sheets->hasByName(ustr(sheetName))) return;
    Reference<css::sheet::XSpreadsheet> sheet(sheets->getByName(ustr(sheetName)), UNO_QUERY_THROW);
    Reference<css::sheet::XSpreadsheetView> view(frame_->getController(), UNO_QUERY_THROW);
    view->setActiveSheet(sheet);
    if (cell.empty()) return;
    Reference<css::view::XSelectionSupplier>(view, UNO_QUERY_THROW)
        ->select(Any(sheet->getCellRangeByName(ustr(cell))));
  }

  // The documentation shipped in the extension.
  DesktopLinks links() const {
    const OUString location =
        css::deployment::PackageInformationProvider::get(context_)->getPackageLocation(
            OUString::createFromAscii(kExtensionId));
    const std::string docs = utf8(location) + "/docs/";
    return DesktopLinks{docs + "index.html", docs + "help.html"};
  }

  // The folder of the document's file; for a document never saved, the shipped documentation's,
  // whose 说明.txt then opens.
  std::string documentFolder(const Document& doc) const {
    Reference<css::frame::XModel> model(doc, UNO_QUERY);
    const OUString url = model.is() ? model->getURL() : OUString();
    std::string path = url.isEmpty() ? "" : systemPath(url);
    if (path.empty()) {
      std::string docs = links().homePage;
      docs.erase(docs.rfind('/'));
      return systemPath(ustr(docs));
    }
    return path.substr(0, path.rfind('/'));
  }

  Context context_;
  Reference<css::frame::XFrame> frame_;
};

Reference<css::uno::XInterface> SAL_CALL createHandler(const Context& context) {
  return static_cast<cppu::OWeakObject*>(new CommandHandler(context));
}
OUString SAL_CALL implementationName() { return OUString::createFromAscii(kImplementationName); }
Sequence<OUString> SAL_CALL serviceNames() { return CommandHandler::serviceNames(); }

const cppu::ImplementationEntry kEntries[] = {{createHandler, implementationName, serviceNames,
                                               cppu::createSingleComponentFactory, nullptr, 0},
                                              {nullptr, nullptr, nullptr, nullptr, nullptr, 0}};

}  // namespace
}  // namespace valdrex::calc

extern "C" SAL_DLLPUBLIC_EXPORT void* SAL_CALL component_getFactory(const char* name,
                                                                    void* serviceManager,
                                                                    void* registry) {
  return cppu::component_getFactoryHelper(name, serviceManager, registry, valdrex::calc::kEntries);
}

extern "C" SAL_DLLPUBLIC_EXPORT void SAL_CALL
component_getImplementationEnvironment(const char** envTypeName, uno_Environment**) {
  *envTypeName = CPPU_CURRENT_LANGUAGE_BINDING_NAME;
}
