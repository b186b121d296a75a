// Whole runs kept as data: each file in data/ holds an input grade and what the workbook job leaves
// in every sheet, so that a change inside the library that alters any report shows up here.
//
// A file is its input, a line "--- expected", then the expected result. Input lines:
//   # ...                         a comment (the first ones say what the scenario is about)
//   sample CLASSES STUDENTS SUBJECTS SEED   start from the built-in sample workbook
//   file PATH                     start from an .xlsx, PATH relative to the source tree
//   targets FIRST SECOND          the answers to the two target questions (else 5 and 20)
//   sheet NAME                    the sheet the rows below go to, added when missing
//   ROW: A|B|C                    cells from column 1; empty stays empty, a number is stored as
//                                 a number, a leading ' keeps the rest as text
// The run is dated 2026-12-06. The result is the job's outcome (status, counts, messages,
// warnings), testing::dump of every sheet, then each sheet's print settings, column widths and
// charts. VALDREX_SCENARIOS_WRITE=1 rewrites every file's result from what the run gives now.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/sheet_dump.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

namespace fs = std::filesystem;
const std::string kMarker = "--- expected";

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A number where the whole cell reads as one; a leading ' keeps the rest as text.
Variant cellValue(const std::string& text) {
  if (text[0] == '\'') return Variant::text(text.substr(1));
  double number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc() && end == text.data() + text.size()) return Variant::number(number);
  return Variant::text(text);
}

std::string oneLine(std::string text) {
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos;)
    text.replace(at, 1, "\\n");
  return text;
}

std::ostream& operator<<(std::ostream& out, const host::Range& r) {
  return out << r.row1 << "," << r.col1 << ":" << r.row2 << "," << r.col2;
}

// How each sheet prints, its column widths, and its charts with the cells they refer to.
void presentation(const host::MemoryWorkbook& wb, std::ostream& out) {
  out << "[presentation] active " << wb.activeSheet << "\n";
  for (std::size_t i = 0; i < wb.sheetCount(); ++i) {
    const host::MemorySheet& sh = wb.sheetAt(i);
    if (const auto& p = sh.printLayout()) {
      out << sh.name() << " print " << p->landscape << p->fitToPageWidth << p->keepsOwnPage << " "
          << p->repeatFirstRow << "-" << p->repeatLastRow << " frozen " << p->frozenRows << ","
          << p->frozenColumns << " scale " << p->scale << " header " << p->headerTitle << "|"
          << p->headerDate;
      if (!p->rowBreaks.empty()) out << " breaks";
      for (int row : p->rowBreaks) out << " " << row;
      out << "\n";
    }
    if (!sh.columnWidths().empty()) {
      out << sh.name() << " widths";
      for (auto [col, width] : sh.columnWidths()) out << " " << col << ":" << width;
      out << "\n";
    }
    for (const host::Chart& c : sh.charts()) {
      out << sh.name() << " chart " << int(c.kind) << c.percentValues << " " << c.title << " | "
          << c.categoryAxisTitle << " | " << c.valueAxisTitle << " @" << c.anchor << "\n";
      for (const host::ChartSeries& s : c.series)
        out << "  series " << s.name.sheet << "!" << s.name.range << " " << s.categories.sheet
            << "!" << s.categories.range << " " << s.values.sheet << "!" << s.values.range << "\n";
    }
  }
}

// What the job told, then every sheet the run left.
std::string resultOf(WorkbookJob& job) {
  const JobOutcome& o = job.outcome();
  std::ostringstream out;
  out << "status " << int(o.status) << "\ncounts " << o.classes << " " << o.students << " "
      << o.subjects << "\nleft out " << o.leftOut.blankClass << " " << o.leftOut.belowBlankRow
      << "\ncharts " << o.charts << "\n";
  if (!o.problem.empty()) out << "problem " << oneLine(o.problem) << "\n";
  for (const ShownMessage& m : o.messages)
    out << "message 【" << m.title << "】" << oneLine(m.text) << (m.place.empty() ? "" : " @")
        << m.place << "\n";
  for (const std::string& w : o.warnings) out << "warning " << oneLine(w) << "\n";
  for (const std::string& n : o.notes) out << "note " << oneLine(n) << "\n";
  out << testing::dump(job.workbook());
  presentation(job.workbook(), out);
  return out.str();
}

// Runs the input part of a scenario file: its first lines up to the marker.
std::string run(const std::vector<std::string>& input) {
  std::unique_ptr<WorkbookJob> job;
  std::vector<std::optional<std::string>> targets = {"5", "20"};
  host::MemorySheet* sheet = nullptr;
  auto ensureJob = [&] {
    if (!job) job = std::make_unique<WorkbookJob>(std::make_unique<host::MemoryWorkbook>(), "场景");
  };
  for (const std::string& line : input) {
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word[0] == '#') continue;
    if (word == "sample") {
      SampleOptions o;
      words >> o.classes >> o.students >> o.subjects >> o.seed;
      job = std::make_unique<WorkbookJob>(sampleWorkbook(o), "示例");
    } else if (word == "file") {
      words >> word;
      job = std::make_unique<WorkbookJob>(std::string(VALDREX_SOURCE) + "/" + word);
    } else if (word == "targets") {
      words >> *targets[0] >> *targets[1];
    } else if (word == "sheet") {
      ensureJob();
      std::getline(words >> std::ws, word);
      sheet = job->workbook().find(word);
      if (!sheet) sheet = &job->workbook().addSheet(word);
    } else if (int row = std::atoi(word.c_str()); row > 0 && word.find(':') != word.npos && sheet) {
      std::string cells = line.substr(line.find(':') + 1);
      if (!cells.empty() && cells[0] == ' ') cells.erase(0, 1);
      for (std::size_t from = 0, col = 1; from <= cells.size(); ++col) {
        const std::size_t bar = std::min(cells.find('|', from), cells.size());
        if (bar > from) sheet->setCell(row, int(col), cellValue(cells.substr(from, bar - from)));
        from = bar + 1;
      }
    } else {
      ADD_FAILURE() << "unknown line: " << line;
    }
  }
  ensureJob();
  ListAnswers answers(targets);
  FixedDate date({2026, 12, 6});
  job->run(answers, date);
  return resultOf(*job);
}

class Scenario : public ::testing::TestWithParam<fs::path> {};

TEST_P(Scenario, GivesTheReportsKeptWithIt) {
  std::ifstream in(GetParam());
  std::stringstream whole;
  whole << in.rdbuf();
  std::vector<std::string> lines = linesOf(whole.str());
  auto marker = std::find(lines.begin(), lines.end(), kMarker);
  const std::vector<std::string> input(lines.begin(), marker);
  const std::vector<std::string> expected(marker == lines.end() ? marker : marker + 1, lines.end());
  const std::string result = run(input);
  const std::vector<std::string> actual = linesOf(result);
  if (std::getenv("VALDREX_SCENARIOS_WRITE")) {
    std::ofstream out(GetParam(), std::ios::trunc);
    for (const std::string& line : input) out << line << "\n";
    out << kMarker << "\n" << result;
    return;
  }
  ASSERT_NE(marker, lines.end()) << GetParam() << ": no \"" << kMarker << "\" line";
  if (actual == expected) return;
  std::size_t first = 0;
  while (first < actual.size() && first < expected.size() && actual[first] == expected[first])
    ++first;
  std::ostringstream shown;
  const std::size_t fileLine = input.size() + 2 + first;
  for (std::size_t i = first; i < first + 4 && i < expected.size(); ++i)
    shown << "  - " << expected[i] << "\n";
  for (std::size_t i = first; i < first + 4 && i < actual.size(); ++i)
    shown << "  + " << actual[i] << "\n";
  ADD_FAILURE() << "scenario " << GetParam().stem() << " differs from line " << fileLine << " of "
                << GetParam() << " (" << expected.size() << " lines expected, " << actual.size()
                << " got; - expected, + got):\n"
                << shown.str() << "VALDREX_SCENARIOS_WRITE=1 rewrites the expected sections.";
}

std::vector<fs::path> scenarioFiles() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(VALDREX_SCENARIOS))
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

INSTANTIATE_TEST_SUITE_P(Data, Scenario, ::testing::ValuesIn(scenarioFiles()),
                         [](const auto& info) { return info.param.stem().string(); });

}  // namespace
}  // namespace valdrex
