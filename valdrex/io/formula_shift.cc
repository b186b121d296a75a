#include "valdrex/io/formula_shift.h"

#include <charconv>

#include "valdrex/host/worksheet.h"

namespace valdrex::io {
namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A file may fill one long formula down many cells, each moved copy worked out when written:
// plain comparisons here, no locale.
bool isTokenChar(char c) {
  return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '$' || c == '\\' ||
         static_cast<unsigned char>(c) >= 0x80;
}

struct Part {
  bool absolute = false;
  std::string_view text;
};

// Splits "$AB$12" into its column and row parts; false when it is no cell reference.
bool splitCell(std::string_view t, Part& col, Part& row) {
  std::size_t i = 0;
  col.absolute = i < t.size() && t[i] == '$';
  if (col.absolute) ++i;
  std::size_t start = i;
  while (i < t.size() && isLetter(t[i])) ++i;
  if (i == start || i - start > 3) return false;
  col.text = t.substr(start, i - start);
  row.absolute = i < t.size() && t[i] == '$';
  if (row.absolute) ++i;
  start = i;
  while (i < t.size() && isDigit(t[i])) ++i;
  // More digits than the last row has is no cell of the sheet (and would overflow the number).
  if (i == start || i != t.size() || i - start > 7) return false;
  row.text = t.substr(start);
  return true;
}

// Column-only ("$C") or row-only ("12") halves of a whole-column or whole-row range.
bool splitColumn(std::string_view t, Part& col) {
  col.absolute = !t.empty() && t[0] == '$';
  col.text = t.substr(col.absolute ? 1 : 0);
  if (col.text.empty() || col.text.size() > 3) return false;
  for (char c : col.text)
    if (!isLetter(c)) return false;
  return true;
}
bool splitRow(std::string_view t, Part& row) {
  row.absolute = !t.empty() && t[0] == '$';
  row.text = t.substr(row.absolute ? 1 : 0);
  if (row.text.empty() || row.text.size() > 7) return false;
  for (char c : row.text)
    if (!isDigit(c)) return false;
  return true;
}

int columnNumber(std::string_view letters) {
  int n = 0;
  for (char c : letters) n = n * 26 + ((c >= 'a' ? c - 'a' : c - 'A') + 1);
  return n;
}
int rowNumber(std::string_view digits) {
  int n = 0;
  for (char c : digits) n = n * 10 + (c - '0');
  return n;
}

// Appends the moved column or row; false when it leaves the sheet.
bool moveColumn(const Part& p, int d, std::string& out) {
  int col = columnNumber(p.text) + (p.absolute ? 0 : d);
  if (col < 1 || col > host::kMaxColumns) return false;
  if (p.absolute) out += '$';
  char letters[4];
  int n = 0;
  for (; col > 0; col = (col - 1) / 26) letters[n++] = static_cast<char>('A' + (col - 1) % 26);
  while (n > 0) out += letters[--n];
  return true;
}
bool moveRow(const Part& p, int d, std::string& out) {
  int row = rowNumber(p.text) + (p.absolute ? 0 : d);
  if (row < 1 || row > host::kMaxRows) return false;
  if (p.absolute) out += '$';
  char digits[8];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, row).ptr);
  return true;
}

// Index just past a quoted run starting at i (a doubled quote stands for itself).
std::size_t skipQuoted(std::string_view f, std::size_t i) {
  char q = f[i];
  for (++i; i < f.size(); ++i) {
    if (f[i] != q) continue;
    if (i + 1 < f.size() && f[i + 1] == q) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return f.size();
}

std::size_t skipBracketed(std::string_view f, std::size_t i) {
  int depth = 0;
  for (; i < f.size(); ++i) {
    if (f[i] == '[')
      ++depth;
    else if (f[i] == ']' && --depth == 0)
      return i + 1;
  }
  return f.size();
}

}  // namespace

std::string shiftFormula(std::string_view f, int dRow, int dCol) {
  std::string out;
  out.reserve(f.size() + 8);
  std::size_t i = 0;
  while (i < f.size()) {
    char c = f[i];
    if (c == '"' || c == '\'') {
      std::size_t end = skipQuoted(f, i);
      out.append(f.substr(i, end - i));
      i = end;
      continue;
    }
    if (c == '[') {
      std::size_t end = skipBracketed(f, i);
      out.append(f.substr(i, end - i));
      i = end;
      continue;
    }
    if (!isTokenChar(c)) {
      out += c;
      ++i;
      continue;
    }

    std::size_t end = i;
    while (end < f.size() && isTokenChar(f[end])) ++end;
    std::string_view token = f.substr(i, end - i);
    char next = end < f.size() ? f[end] : '\0';
    char before = i > 0 ? f[i - 1] : '\0';
    i = end;

    // Function names and sheet names are never references.
    if (next == '(' || next == '!' || before == '#') {
      out.append(token);
      continue;
    }

    std::size_t mark = out.size();
    Part col, row;
    if (splitCell(token, col, row)) {
      if (!moveColumn(col, dCol, out) || !moveRow(row, dRow, out)) {
        out.resize(mark);
        out += "#REF!";
      }
      continue;
    }

    // A whole-column (C:D) or whole-row (3:5) range: both halves move together.
    if (next == ':') {
      std::size_t end2 = end + 1;
      while (end2 < f.size() && isTokenChar(f[end2])) ++end2;
      std::string_view second = f.substr(end + 1, end2 - end - 1);
      Part a, b;
      bool moved = false, ok = true;
      if (splitColumn(token, a) && splitColumn(second, b)) {
        ok = moveColumn(a, dCol, out) && (out += ':', moveColumn(b, dCol, out));
        moved = true;
      } else if (splitRow(token, a) && splitRow(second, b)) {
        ok = moveRow(a, dRow, out) && (out += ':', moveRow(b, dRow, out));
        moved = true;
      }
      if (moved) {
        if (!ok) {
          out.resize(mark);
          out += "#REF!";
        }
        i = end2;
        continue;
      }
    }
    out.append(token);
  }
  return out;
}

}  // namespace valdrex::io
