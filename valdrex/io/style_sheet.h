// A workbook's styles part: read to decode cell formats as far as the in-memory model keeps them
// (border edges, horizontal alignment, the number format, which also tells dates apart), and
// written back with the styles that cells changed since then need. Existing styles keep their
// index and their bytes; a changed cell gets a style derived from the one it had, so it keeps
// what the model does not hold (font, fill, protection, line styles and colours).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "valdrex/host/date.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex::io {

struct CellStyle {
  host::CellFormat format;  // format.style is the style's own index
  bool date = false;        // a number in this style is a date
};

// What a date shows when its cell has no number format of its own.
inline constexpr std::string_view kDateFormat = valdrex::kDateFormatCode;

class StyleSheet {
 public:
  // The part as read; its bytes are kept. Malformed XML, or a list of more than maxItems cell
  // formats, fonts, borders or number formats, is a FormatProblem.
  static StyleSheet parse(const std::string& part, std::string_view xml,
                          std::size_t maxItems = SIZE_MAX);
  // The styles of a workbook made from nothing: a default font (Calibri 11) and the fills,
  // border, cell styles and formats every reader expects.
  static StyleSheet fresh();

  // Views into the kept text would dangle in a copy; a move keeps them.
  StyleSheet(StyleSheet&&) = default;
  StyleSheet& operator=(StyleSheet&&) = default;
  StyleSheet(const StyleSheet&) = delete;
  StyleSheet& operator=(const StyleSheet&) = delete;

  // The style a cell's s attribute names; the default style for an index the table lacks. Valid
  // until the next indexFor().
  const CellStyle& at(std::size_t index) const {
    return index < styles_.size() ? styles_[index] : default_;
  }

  // The style to write a cell with: format.style itself when the rest of the format is what that
  // style shows (a date with no number format shows kDateFormat), else a style derived from it
  // with only the borders, alignment or number format changed, or its font made bold, appended
  // on first use. A style index beyond the table counts as 0. format.bold false means the
  // style's own font, bold or not: the reader leaves it false.
  uint32_t indexFor(const host::CellFormat& format, bool date);

  // Whether the part differs from the one read (always, for a fresh one).
  bool changed() const {
    return fresh_ || !addedNumFmts_.empty() || !addedFonts_.empty() || !addedBorders_.empty() ||
           !addedXfs_.empty();
  }
  // The part to write: the bytes read when nothing was added, else those bytes with the added
  // number formats, fonts, borders and cell styles inserted at the end of their lists (a list
  // missing is created in its place) and the lists' counts updated.
  std::string xml() const;

 private:
  struct Border {
    std::string_view text, open;  // the element and its start tag
    std::vector<std::pair<std::string_view, std::string_view>> children;  // local name, element
    uint8_t edges = 0;
  };
  struct Xf {
    std::string_view text, open;
    std::string_view alignment;  // the alignment start tag inside text, "" when none
    int numFmtId = 0, fontId = 0, borderId = 0;
    host::HAlign align = host::HAlign::General;
  };
  // The lists a cell style can add to, in the order the part has them.
  enum List { kNumFmts, kFonts, kBorders, kCellXfs, kLists };
  struct ListAt {
    bool present = false;
    std::size_t openBegin = 0, openEnd = 0, closeBegin = 0;
    std::size_t read = 0;  // elements in the part as read
  };
  class Reader;

  StyleSheet() = default;
  const std::string& original() const { return texts_.front(); }
  std::string_view keep(std::string text);
  CellStyle decode(const Xf& xf, uint32_t index);
  void indexExisting();
  int numFmtIdFor(const std::string& code);
  uint32_t borderFor(int base, uint8_t edges);
  bool boldFont(int font) const;
  uint32_t boldFontFor(int base);
  uint32_t addXf(std::string text, std::size_t openSize, std::size_t alignmentAt,
                 std::size_t alignmentSize, Xf xf);
  uint32_t derive(uint32_t base, const host::CellFormat& format, const std::string& code);
  std::size_t insertionPoint(List list) const;

  std::deque<std::string> texts_;  // the part as read, then every element added
  std::vector<CellStyle> styles_;
  CellStyle default_;
  std::vector<Xf> xfs_;
  std::vector<Border> borders_;
  std::vector<std::string_view> fonts_;  // each font element
  std::map<int, std::string> numFmts_;   // id -> code, as read and added
  // id -> what cells show and whether it is a date: decoded once however many styles use it.
  std::map<int, std::pair<host::SparseText, bool>> decodedFormats_;
  bool fresh_ = false;

  // Where things are in the part as read.
  std::string prefix_;  // of the root's name, for elements added
  std::size_t rootOpenEnd_ = 0;
  bool rootClosed_ = false;  // <styleSheet/>
  std::string rootName_;
  std::array<ListAt, kLists> lists_;
  std::array<std::size_t, 11> listEnds_{};  // end of each list in schema order, 0 when absent

  // What was added, and what answers a repeated question.
  std::vector<std::string_view> addedNumFmts_, addedFonts_, addedBorders_, addedXfs_;
  bool indexed_ = false;
  std::unordered_map<std::string, int> numFmtIds_;  // code -> id
  int lastNumFmtId_ = 163;
  std::unordered_map<std::string_view, uint32_t> borderIds_, xfIds_;  // by text
  std::map<std::pair<int, uint8_t>, uint32_t> derivedBorders_;
  std::map<int, uint32_t> boldFonts_;  // base font -> its bold copy
  std::unordered_map<std::string, uint32_t> answers_;
  host::CellFormat lastFormat_;
  bool lastDate_ = false, hasLast_ = false;
  uint32_t last_ = 0;
};

}  // namespace valdrex::io
