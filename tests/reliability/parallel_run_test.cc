// Several workbooks in one `run` go through the parallel runner; each result must be what the
// workbook gives alone. Built with the thread sanitizer too, where a data race fails the test.
#include <gmock/gmock.h>

#include <sstream>

#include "../cli/cli_process.h"
#include "cli/run_command.h"
#include "support/sheet_dump.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"
#include "valdrex/job/files/output_paths.h"
#include "valdrex/job/made/sample_workbook.h"

namespace valdrex::cli {
namespace {

using testing::ScratchFolder;

struct Said {
  int status;
  std::string out, err;
};

Said run(std::vector<std::string> workbooks, std::optional<std::string> output = std::nullopt) {
  std::istringstream in;
  std::ostringstream out, err;
  Terminal terminal(in, out, err, false);
  RunOptions options;
  options.workbooks = std::move(workbooks);
  options.output = std::move(output);
  options.settings.date = CivilDate{2026, 3, 1};
  options.settings.targets = TargetAnswers{3, 8};
  int status = runCommand(std::move(options), terminal);
  return {status, out.str(), err.str()};
}

TEST(ParallelRun, SeveralWorkbooksAtOnceGiveWhatEachGivesAlone) {
  ScratchFolder dir;
  const SampleOptions samples[] = {{3, 12, 4, 1}, {2, 20, 6, 2}, {5, 8, 3, 3}, {1, 30, 2, 4}};
  std::vector<std::string> books;
  std::vector<std::string> alone;
  for (const SampleOptions& o : samples) {
    books.push_back((dir / ("年级" + std::to_string(o.seed) + ".xlsx")).string());
    io::writeWorkbook(*sampleWorkbook(o), books.back());
    alone.push_back((dir / ("单独" + std::to_string(o.seed) + ".xlsx")).string());
    Said said = run({books.back()}, alone.back());
    ASSERT_EQ(said.status, 0) << said.err;
  }

  Said together = run(books);
  ASSERT_EQ(together.status, 0) << together.err;
  for (std::size_t i = 0; i < books.size(); ++i) {
    const std::string name = displayName(books[i]);
    SCOPED_TRACE(name);
    // Lines of several workbooks are told apart by their name, and never broken into.
    EXPECT_THAT(together.err,
                ::testing::HasSubstr("[" + name + "] 【Valdrex提示】成绩统计操作完成!\n"));
    EXPECT_THAT(together.out,
                ::testing::HasSubstr(name + "：" + std::to_string(samples[i].classes) + " 个班"));
    EXPECT_EQ(valdrex::testing::dump(*io::readWorkbook(resultPath(books[i]))),
              valdrex::testing::dump(*io::readWorkbook(alone[i])));
  }
}

}  // namespace
}  // namespace valdrex::cli
