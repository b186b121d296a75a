// A program built against the installed library alone: runs the sample grade, saves the result
// and reads a report sheet back from the file.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/automation/valdrex_cls.h"
#include "valdrex/host/application.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"
#include "valdrex/job/sample_workbook.h"

namespace host = valdrex::host;

// Every dialog takes its default answer; the desktop is never started.
struct QuietUi : host::Ui {
  int messageBox(const std::string&, int style, const std::string&) override {
    return (style & 0xF) == 4 ? host::kButtonYes : host::kButtonOk;
  }
  std::optional<std::string> inputBox(const std::string&, const std::string&,
                                      const std::string& defaultText) override {
    return defaultText;
  }
};
struct FixedClock : host::Clock {
  valdrex::CivilDate today() override { return {2026, 1, 15}; }
};
struct NoLauncher : host::Launcher {
  void start(const std::vector<std::string>&) override {}
};

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  auto wb = valdrex::sampleWorkbook({});
  QuietUi ui;
  FixedClock clock;
  NoLauncher launcher;
  host::BasicApplication app(ui, clock, launcher, wb.get());
  valdrex::ValdrexCls vd(app);
  vd.输出(&app, *wb, wb->sheet("成绩表"));
  valdrex::io::writeWorkbook(*wb, argv[1]);

  auto saved = valdrex::io::readWorkbook(argv[1]);  // fails when the file is not there
  const host::MemorySheet* report = saved->find("两率一分");
  std::size_t cells = report ? report->cellCount() : 0;
  std::printf("%s: %d classes, %zu cells in 两率一分\n", argv[1], vd.班级数(), cells);
  return cells > 0 ? 0 : 1;
}
