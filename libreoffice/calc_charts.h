// The result's charts drawn by Calc itself on "统计图表": each chart the command's result carries
// becomes a Calc chart whose series refer to the same cells of the report sheets, so that it
// follows later edits of them.
#pragma once

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <vector>

#include "valdrex/host/sheet_presentation.h"

namespace valdrex::calc {

// Puts `charts` on "统计图表", added after the last sheet when missing; its cells are cleared and
// its earlier charts replaced, as the command does. A Failure says what Calc refused.
void drawCharts(const css::uno::Reference<css::uno::XComponentContext>& context,
                const css::uno::Reference<css::sheet::XSpreadsheetDocument>& doc,
                const std::vector<host::Chart>& charts);

}  // namespace valdrex::calc
