#include "valdrex/job/class_rows.h"

#include <algorithm>

#include "valdrex/gradebook/class_names.h"
#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/job/session/cell_name.h"
#include "valdrex/job/session/loading_session.h"

namespace valdrex {

namespace {

constexpr int kFirstClassRow = PropertySheetLayout::firstClassRow;

// The filled cells of a row after column A.
std::vector<std::pair<int, host::Cell>> cellsAfterA(const host::MemorySheet& sx, int row,
                                                    int lastColumn) {
  std::vector<std::pair<int, host::Cell>> cells;
  for (int col = 2; col <= lastColumn; ++col)
    if (const host::Cell* cell = sx.find(row, col))
      if (!cell->value.isEmpty() || !cell->formula.empty()) cells.emplace_back(col, *cell);
  return cells;
}

}  // namespace

std::vector<ClassRow> readClassRows(const host::MemorySheet& sx) {
  std::vector<ClassRow> rows;
  const host::Range used = sx.usedRange();
  for (int row = kFirstClassRow; row <= used.row2; ++row) {
    ClassRow r{textOf(sx.cell(row, 1)), {}};
    if (r.name.empty()) break;
    r.cells = cellsAfterA(sx, row, used.col2);
    rows.push_back(std::move(r));
  }
  return rows;
}

ClassRowMoves placeClassRows(host::MemorySheet& sx, std::vector<ClassRow> old,
                             const std::vector<std::string>& classes) {
  ClassRowMoves moves;
  std::vector<std::string> names;
  for (const ClassRow& r : old) names.push_back(r.name);
  const ClassRowPairing pairing = pairClassRows(classes, names);
  const std::vector<int>& from = pairing.rowOf;
  std::vector<bool> taken(old.size(), false);
  for (std::size_t c = 0; c < classes.size(); ++c) {
    if (from[c] < 0) {
      moves.added.push_back(classes[c]);
      continue;
    }
    taken[from[c]] = true;
    const std::string& was = old[from[c]].name;
    if (pairing.byPosition[c])
      moves.paired.emplace_back(was, classes[c]);
    else if (was != classes[c])
      moves.renamed.emplace_back(was, classes[c]);
  }

  // Rows below the old list keep what a teacher typed there before the class had a name, unless
  // an old row moves onto them: then what they held is told with the rows that are gone.
  const int lastColumn = sx.usedRange().col2;
  for (std::size_t c = old.size(); c < classes.size(); ++c) {
    const int row = kFirstClassRow + static_cast<int>(c);
    ClassRow below{"", cellsAfterA(sx, row, lastColumn)};
    if (below.cells.empty()) continue;
    if (from[c] < 0) {
      moves.added.erase(std::find(moves.added.begin(), moves.added.end(), classes[c]));
      moves.kept.push_back(classes[c]);
      continue;
    }
    for (const auto& [col, cell] : below.cells) sx.setCell(row, col, Variant());
    below.name = classes[c];
    moves.replaced.push_back(std::move(below));
  }
  for (std::size_t i = 0; i < old.size(); ++i)
    for (const auto& [col, cell] : old[i].cells)
      sx.setCell(kFirstClassRow + static_cast<int>(i), col, Variant());
  for (std::size_t c = 0; c < classes.size(); ++c) {
    if (from[c] < 0) continue;
    moves.moved = moves.moved || from[c] != static_cast<int>(c);
    for (const auto& [col, cell] : old[from[c]].cells) {
      // Values as they were: a teacher's name is not read again as typed input.
      host::Cell& target = sx.at(kFirstClassRow + static_cast<int>(c), col);
      target.value = cell.value;
      target.formula = cell.formula;
    }
  }
  for (std::size_t i = 0; i < old.size(); ++i)
    if (!taken[i]) moves.dropped.push_back(std::move(old[i]));
  return moves;
}

ClassListing listClasses(host::MemoryWorkbook& /*wb: only the two sheets are read*/,
                         host::MemorySheet& scoreSheet, host::MemorySheet& propertySheet) {
  LoadingSession session;
  GradeBook& g = session.gradeBook();
  findLayout(g, scoreSheet, session.ui());
  std::vector<ClassRow> oldRows = readClassRows(propertySheet);
  const int classes = countClasses(g, scoreSheet, propertySheet, session.ui());
  ClassListing listing;
  for (const auto& m : session.messages())
    listing.messages.push_back("【" + m.title + "】" + m.text);
  if (!listing.messages.empty()) return listing;
  for (int c = 1; c <= classes; ++c) listing.classes.push_back(g.classNames(c));
  listing.moves = placeClassRows(propertySheet, std::move(oldRows), listing.classes);
  return listing;
}

std::string listedNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : "、") + n;
  return out;
}

std::string classListPlace() {
  using PS = PropertySheetLayout;
  return "“" + std::string(PS::name) + "”第 " + std::to_string(PS::firstClassRow) + " 行起的 " +
         columnName(PS::labelColumn) + " 列";
}

std::vector<std::string> classMoveLines(const ClassRowMoves& moves, const std::string& original) {
  std::vector<std::string> lines;
  for (const auto& [was, now] : moves.renamed)
    lines.push_back("“" + was + "”一行的任课教师归到了“" + now + "”（写法不同，按同一个班处理）");
  for (const auto& [was, now] : moves.paired)
    lines.push_back("“" + now + "”在属性表里没有同名的行，按顺序用了剩下的“" + was +
                    "”一行的任课教师，请核对");
  if (!moves.added.empty())
    lines.push_back("新的班级，请填写任课教师：" + listedNames(moves.added));
  if (!moves.kept.empty())
    lines.push_back("这些新班级的行里原来已有内容（当时还没有班级名），已保留，请核对：" +
                    listedNames(moves.kept));
  auto cells = [](const ClassRow& r) {
    std::vector<std::string> texts;
    for (const auto& [col, cell] : r.cells)
      texts.push_back(host::columnName(col) + " " + textOf(cell.value));
    return listedNames(texts);
  };
  for (const ClassRow& r : moves.dropped)
    lines.push_back("“" + r.name + "”已不在成绩表中，它的班级行已从属性表删去" +
                    (r.cells.empty() ? "（没有填任课教师）" : "（原有：" + cells(r) + "）") +
                    "；原来的内容仍在 " + original);
  for (const ClassRow& r : moves.replaced)
    lines.push_back("“" + r.name + "”的任课教师移到了原来没有班级名的一行，那一行原有的内容（" +
                    cells(r) + "）已替换；原来的内容仍在 " + original);
  return lines;
}

}  // namespace valdrex
