#include "libreoffice/calc_page.h"

#include <algorithm>
#include <cmath>
#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XHeaderFooterContent.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSheetPageBreak.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XViewFreezable.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <string>

#include "libreoffice/uno_call.h"
#include "libreoffice/uno_text.h"
#include "valdrex/host/failure.h"

namespace valdrex::calc {

using namespace css;
using uno::Any;
using uno::Reference;
using uno::UNO_QUERY_THROW;

namespace {

// A character unit of a column's width in 1/100 mm, as Calc reads and writes an .xlsx.
constexpr double kWidthUnit = 195.8;
constexpr double kInch = 2540;                          // 1/100 mm
constexpr sal_Int32 kA4Short = 21000, kA4Long = 29700;  // 1/100 mm
// Room the header's or footer's line of text takes of the distance between it and the body.
constexpr sal_Int32 kHeaderLine = 400;

template <class T>
T property(const Reference<beans::XPropertySet>& p, const char* name) {
  T value{};
  p->getPropertyValue(OUString::createFromAscii(name)) >>= value;
  return value;
}

void set(const Reference<beans::XPropertySet>& p, const char* name, const Any& value) {
  p->setPropertyValue(OUString::createFromAscii(name), value);
}

Reference<container::XNameContainer> pageStyles(const Doc& doc) {
  Reference<style::XStyleFamiliesSupplier> families(doc, UNO_QUERY_THROW);
  return Reference<container::XNameContainer>(families->getStyleFamilies()->getByName("PageStyles"),
                                              UNO_QUERY_THROW);
}

std::string text(const Reference<beans::XPropertySet>& style, const char* content,
                 bool centreOnly) {
  Reference<sheet::XHeaderFooterContent> c(
      style->getPropertyValue(OUString::createFromAscii(content)), uno::UNO_QUERY);
  if (!c.is()) return "";
  std::string all = utf8(c->getCenterText()->getString());
  if (!centreOnly)
    all += utf8(c->getLeftText()->getString()) + utf8(c->getRightText()->getString());
  return all;
}

// Valdrex's page is told by its footer, as in a file: "第 N 页，共 M 页" in the centre, the
// numbers being the page fields Calc shows as numbers.
bool valdrexPage(const Reference<beans::XPropertySet>& style) {
  if (!property<bool>(style, "FooterIsOn")) return false;
  const std::string footer = text(style, "RightPageFooterContent", true);
  return footer.starts_with("第 ") && footer.ends_with(" 页") &&
         footer.find(" 页，共 ") != std::string::npos;
}

bool defaultPage(const Reference<beans::XPropertySet>& style) {
  return Reference<style::XStyle>(style, UNO_QUERY_THROW)->getName() == "Default";
}

Reference<beans::XPropertySet> styleOf(const Doc& doc, const Sheet& sheet) {
  const OUString name =
      property<OUString>(Reference<beans::XPropertySet>(sheet, UNO_QUERY_THROW), "PageStyle");
  return Reference<beans::XPropertySet>(pageStyles(doc)->getByName(name), UNO_QUERY_THROW);
}

// The page style the sheet's layout goes into: its own when Valdrex's, else one named after the
// sheet (made when missing), never a teacher's one that happens to bear that name.
Reference<beans::XPropertySet> valdrexStyle(const Doc& doc, const Sheet& sheet,
                                            const Reference<beans::XPropertySet>& current) {
  if (!defaultPage(current)) return current;
  const Reference<container::XNameContainer> styles = pageStyles(doc);
  OUString name = Reference<container::XNamed>(sheet, UNO_QUERY_THROW)->getName();
  if (styles->hasByName(name)) {
    Reference<beans::XPropertySet> found(styles->getByName(name), UNO_QUERY_THROW);
    if (valdrexPage(found)) return found;
    name += ustr("（成绩统计）");
  }
  if (!styles->hasByName(name)) {
    Reference<lang::XMultiServiceFactory> factory(doc, UNO_QUERY_THROW);
    styles->insertByName(name, Any(factory->createInstance("com.sun.star.style.PageStyle")));
  }
  return Reference<beans::XPropertySet>(styles->getByName(name), UNO_QUERY_THROW);
}

// The text of `part` becomes `words`, bold when asked, nothing else.
void putText(const Reference<text::XText>& part, const std::string& words, bool bold) {
  part->setString(ustr(words));
  if (!bold || words.empty()) return;
  Reference<text::XTextCursor> cursor = part->createTextCursor();
  cursor->gotoStart(false);
  cursor->gotoEnd(true);
  set(Reference<beans::XPropertySet>(cursor, UNO_QUERY_THROW), "CharWeight",
      Any(awt::FontWeight::BOLD));
}

// "第 N 页，共 M 页" with the page number and the page count as fields.
void putPageFooter(const Doc& doc, const Reference<text::XText>& part) {
  Reference<lang::XMultiServiceFactory> factory(doc, UNO_QUERY_THROW);
  part->setString(OUString());
  auto field = [&](const char* service) {
    Reference<text::XTextContent> f(factory->createInstance(OUString::createFromAscii(service)),
                                    UNO_QUERY_THROW);
    part->insertTextContent(part->getEnd(), f, false);
  };
  part->insertString(part->getEnd(), ustr("第 "), false);
  field("com.sun.star.text.TextField.PageNumber");
  part->insertString(part->getEnd(), ustr(" 页，共 "), false);
  field("com.sun.star.text.TextField.PageCount");
  part->insertString(part->getEnd(), ustr(" 页"), false);
}

// The header (title centre, date right) and the footer, the same on every page: the left and the
// first pages share the right pages' ones.
void putHeaderAndFooter(const Doc& doc, const Reference<beans::XPropertySet>& style,
                        const host::PrintLayout& layout) {
  const bool on = !layout.headerTitle.empty();
  set(style, "HeaderIsOn", Any(on));
  set(style, "FooterIsOn", Any(on));
  if (!on) return;
  Reference<beans::XPropertySetInfo> info = style->getPropertySetInfo();
  for (const char* shared :
       {"HeaderIsShared", "FooterIsShared", "FirstPageHeaderIsShared", "FirstPageFooterIsShared"})
    if (info->hasPropertyByName(OUString::createFromAscii(shared))) set(style, shared, Any(true));
  Reference<sheet::XHeaderFooterContent> header(style->getPropertyValue("RightPageHeaderContent"),
                                                UNO_QUERY_THROW);
  putText(header->getLeftText(), "", false);
  putText(header->getCenterText(), layout.headerTitle, true);
  putText(header->getRightText(), layout.headerDate, false);
  set(style, "RightPageHeaderContent", Any(header));
  Reference<sheet::XHeaderFooterContent> footer(style->getPropertyValue("RightPageFooterContent"),
                                                UNO_QUERY_THROW);
  putText(footer->getLeftText(), "", false);
  putPageFooter(doc, footer->getCenterText());
  putText(footer->getRightText(), "", false);
  set(style, "RightPageFooterContent", Any(footer));
}

sal_Int32 hundredths(double inches) { return static_cast<sal_Int32>(std::lround(inches * kInch)); }

// A4, orientation, scale and margins. Calc measures the top and bottom margins to the header and
// the footer, and their heights from there to the body.
void putPage(const Reference<beans::XPropertySet>& style, const host::PrintLayout& layout) {
  set(style, "IsLandscape", Any(layout.landscape));
  set(style, "Size",
      Any(layout.landscape ? awt::Size(kA4Long, kA4Short) : awt::Size(kA4Short, kA4Long)));
  set(style, "ScaleToPagesX", Any(sal_Int16(layout.scale == 0 && layout.fitToPageWidth ? 1 : 0)));
  set(style, "ScaleToPagesY", Any(sal_Int16(0)));
  if (layout.scale > 0 || !layout.fitToPageWidth)
    set(style, "PageScale", Any(sal_Int16(layout.scale > 0 ? layout.scale : 100)));
  const host::PageMargins& m = layout.margins;
  set(style, "LeftMargin", Any(hundredths(m.left)));
  set(style, "RightMargin", Any(hundredths(m.right)));
  const bool on = !layout.headerTitle.empty();
  set(style, "TopMargin", Any(hundredths(on ? m.header : m.top)));
  set(style, "BottomMargin", Any(hundredths(on ? m.footer : m.bottom)));
  if (!on) return;
  const sal_Int32 header = hundredths(std::max(m.top - m.header, 0.0));
  const sal_Int32 footer = hundredths(std::max(m.bottom - m.footer, 0.0));
  set(style, "HeaderIsDynamicHeight", Any(false));
  set(style, "HeaderHeight", Any(header));
  set(style, "HeaderBodyDistance", Any(std::max<sal_Int32>(header - kHeaderLine, 0)));
  set(style, "FooterIsDynamicHeight", Any(false));
  set(style, "FooterHeight", Any(footer));
  set(style, "FooterBodyDistance", Any(std::max<sal_Int32>(footer - kHeaderLine, 0)));
}

// Print titles and frozen panes, for a sheet the run added.
void putViews(const Doc& doc, const Sheet& sheet, const host::PrintLayout& layout) {
  Reference<sheet::XPrintAreas> areas(sheet, UNO_QUERY_THROW);
  if (layout.repeatFirstRow > 0) {
    table::CellRangeAddress rows =
        Reference<sheet::XCellRangeAddressable>(sheet, UNO_QUERY_THROW)->getRangeAddress();
    rows.StartColumn = rows.EndColumn = 0;
    rows.StartRow = layout.repeatFirstRow - 1;
    rows.EndRow = std::max(layout.repeatLastRow, layout.repeatFirstRow) - 1;
    areas->setTitleRows(rows);
    areas->setPrintTitleRows(true);
  } else if (areas->getPrintTitleRows()) {
    areas->setPrintTitleRows(false);
  }
  if (layout.frozenRows == 0 && layout.frozenColumns == 0) return;
  // Panes are the view's, frozen on the sheet it shows: shown for that, and the sheet before
  // shown again.
  Reference<frame::XModel> model(doc, UNO_QUERY_THROW);
  Reference<sheet::XSpreadsheetView> view(model->getCurrentController(), uno::UNO_QUERY);
  Reference<sheet::XViewFreezable> freezable(view, uno::UNO_QUERY);
  if (!view.is() || !freezable.is()) return;
  const Reference<sheet::XSpreadsheet> shown = view->getActiveSheet();
  view->setActiveSheet(sheet);
  freezable->freezeAtPosition(layout.frozenColumns, layout.frozenRows);
  view->setActiveSheet(shown);
}

// The sheet's manual breaks go, its columns' too, and a break starts each of `rows`. Each break
// set makes Calc lay out the sheet's pages again: one call a break, none a row.
void putRowBreaks(const Sheet& sheet, const std::vector<int>& rows) {
  // The one call that removes them all: the rows' property would take a call, and a layout, a
  // row. Calc marks the interface old but offers nothing in its place.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  Reference<sheet::XSheetPageBreak>(sheet, UNO_QUERY_THROW)->removeAllManualPageBreaks();
#pragma GCC diagnostic pop
  if (rows.empty()) return;
  Reference<table::XColumnRowRange> range(sheet, UNO_QUERY_THROW);
  Reference<container::XIndexAccess> all(range->getRows(), UNO_QUERY_THROW);
  for (int row : rows)
    set(Reference<beans::XPropertySet>(all->getByIndex(row - 1), UNO_QUERY_THROW),
        "IsStartOfNewPage", Any(true));
}

// While a sheet prints A1 alone: Calc lays out its pages again for every break set and every
// change of its page style, over all it prints. Its own print ranges come back after.
class PrintingA1 {
 public:
  explicit PrintingA1(const Sheet& sheet)
      : areas_(sheet, UNO_QUERY_THROW), sheet_(sheet, UNO_QUERY_THROW) {
    own_ = areas_->getPrintAreas();
    whole_ = property<bool>(sheet_, "AutomaticPrintArea");
    table::CellRangeAddress a1 =
        Reference<sheet::XCellRangeAddressable>(sheet, UNO_QUERY_THROW)->getRangeAddress();
    a1.StartColumn = a1.EndColumn = 0;
    a1.StartRow = a1.EndRow = 0;
    areas_->setPrintAreas(uno::Sequence<table::CellRangeAddress>(&a1, 1));
  }
  ~PrintingA1() {
    try {
      areas_->setPrintAreas(own_);
      // Taking the ranges away leaves a sheet that prints nothing, not the whole sheet.
      if (whole_) set(sheet_, "AutomaticPrintArea", Any(true));
    } catch (const uno::Exception&) {
      // A document Calc no longer lets change keeps the range.
    }
  }
  PrintingA1(const PrintingA1&) = delete;
  PrintingA1& operator=(const PrintingA1&) = delete;

 private:
  Reference<sheet::XPrintAreas> areas_;
  Reference<beans::XPropertySet> sheet_;
  uno::Sequence<table::CellRangeAddress> own_;
  bool whole_ = false;  // no print ranges: the whole sheet prints
};

}  // namespace

std::optional<host::PageAsRead> pageAsRead(const Doc& doc, const Sheet& sheet) {
  return calling("读取页面设置", [&]() -> std::optional<host::PageAsRead> {
    const Reference<beans::XPropertySet> style = styleOf(doc, sheet);
    if (defaultPage(style)) return std::nullopt;
    host::PageAsRead page;
    page.pageSetup = true;
    if (valdrexPage(style)) {
      page.valdrexHeader = true;
      return page;
    }
    page.landscape = property<bool>(style, "IsLandscape");
    page.fitToPageWidth = property<sal_Int16>(style, "ScaleToPagesX") == 1 &&
                          property<sal_Int16>(style, "ScaleToPagesY") == 0;
    page.scale = property<sal_Int16>(style, "PageScale");
    page.hasMargins = true;
    const bool header = property<bool>(style, "HeaderIsOn");
    const bool footer = property<bool>(style, "FooterIsOn");
    auto inches = [&](const char* name) { return property<sal_Int32>(style, name) / kInch; };
    page.margins.left = inches("LeftMargin");
    page.margins.right = inches("RightMargin");
    page.margins.top = inches("TopMargin") + (header ? inches("HeaderHeight") : 0);
    page.margins.bottom = inches("BottomMargin") + (footer ? inches("FooterHeight") : 0);
    page.margins.header = inches("TopMargin");
    page.margins.footer = inches("BottomMargin");
    page.ownHeader = (header && !text(style, "RightPageHeaderContent", false).empty()) ||
                     (footer && !text(style, "RightPageFooterContent", false).empty());
    return page;
  });
}

std::map<int, double> columnWidths(const Sheet& sheet, int lastColumn) {
  return calling("读取列宽", [&] {
    std::map<int, double> widths;
    Reference<table::XColumnRowRange> range(sheet, UNO_QUERY_THROW);
    Reference<container::XIndexAccess> columns(range->getColumns(), UNO_QUERY_THROW);
    for (int c = 1; c <= lastColumn; ++c) {
      Reference<beans::XPropertySet> column(columns->getByIndex(c - 1), UNO_QUERY_THROW);
      widths[c] = std::round(property<sal_Int32>(column, "Width") / kWidthUnit * 100) / 100;
    }
    return widths;
  });
}

void setColumnWidths(const Sheet& sheet, const std::map<int, double>& widths) {
  calling("设置列宽", [&] {
    Reference<table::XColumnRowRange> range(sheet, UNO_QUERY_THROW);
    Reference<container::XIndexAccess> columns(range->getColumns(), UNO_QUERY_THROW);
    for (const auto& [col, width] : widths)
      set(Reference<beans::XPropertySet>(columns->getByIndex(col - 1), UNO_QUERY_THROW), "Width",
          Any(static_cast<sal_Int32>(std::lround(width * kWidthUnit))));
  });
}

void writePrintLayout(const Doc& doc, const Sheet& sheet, const host::PrintLayout& layout) {
  calling("设置打印页面", [&] {
    const PrintingA1 meanwhile(sheet);
    putRowBreaks(sheet, layout.rowBreaks);
    const Reference<beans::XPropertySet> current = styleOf(doc, sheet);
    if (!defaultPage(current) && !valdrexPage(current)) return;  // the teacher's own page
    const Reference<beans::XPropertySet> style = valdrexStyle(doc, sheet, current);
    const OUString name = Reference<style::XStyle>(style, UNO_QUERY_THROW)->getName();
    // Calc lays out the pages of every sheet on a page style again for each property set on it:
    // the sheet leaves its style while it is set up, and is laid out once when it comes back.
    Reference<beans::XPropertySet> sheetProperties(sheet, UNO_QUERY_THROW);
    if (property<OUString>(sheetProperties, "PageStyle") == name)
      set(sheetProperties, "PageStyle", Any(OUString("Default")));
    putPage(style, layout);
    putHeaderAndFooter(doc, style, layout);
    set(sheetProperties, "PageStyle", Any(name));
    if (!layout.keepsOwnPage) putViews(doc, sheet, layout);
  });
}

}  // namespace valdrex::calc
