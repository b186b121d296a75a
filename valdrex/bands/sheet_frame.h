// Pieces shared by the band and target sheets: the dated title row and
// the message about a header cell that is no band.
#pragma once

#include <string>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// The title row of a table whose last column is c - 1, with today's date.
void writeDatedTitleRow(host::Worksheet& sh, int c, host::Clock& clock);

// Tells the teacher that header cell (row, col) is no band and shows that cell.
void showBadBandHeader(host::Worksheet& sh, host::Ui& ui, const std::string& title, int row,
                       int col);

}  // namespace valdrex
