#include "libreoffice/calc_charts.h"

#include <algorithm>
#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/chart/XAxisXSupplier.hpp>
#include <com/sun/star/chart/XAxisYSupplier.hpp>
#include <com/sun/star/chart/XChartDocument.hpp>
#include <com/sun/star/chart2/ScaleData.hpp>
#include <com/sun/star/chart2/XChartDocument.hpp>
#include <com/sun/star/chart2/XChartTypeContainer.hpp>
#include <com/sun/star/chart2/XCoordinateSystemContainer.hpp>
#include <com/sun/star/chart2/XDataSeriesContainer.hpp>
#include <com/sun/star/chart2/data/LabeledDataSequence.hpp>
#include <com/sun/star/chart2/data/XDataProvider.hpp>
#include <com/sun/star/chart2/data/XDataSink.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XEmbeddedObjectSupplier.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XTableChart.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <string>

#include "libreoffice/uno_text.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/sheet_presentation.h"
#include "valdrex/host/worksheet.h"
#include "valdrex/job/session/workbook_sheets.h"

namespace valdrex::calc {

using namespace css;
using uno::Any;
using uno::Reference;
using uno::Sequence;
using uno::UNO_QUERY_THROW;

namespace {

using Context = Reference<uno::XComponentContext>;

// "$'两率一分'.$E$5:$E$24", as Calc's chart data provider reads a range.
OUString rangeText(const host::SheetRange& r) {
  std::string sheet;
  for (char c : r.sheet) sheet += c == '\'' ? std::string("''") : std::string(1, c);
  auto corner = [](int row, int col) {
    return "$" + host::columnName(col) + "$" + std::to_string(row);
  };
  std::string text = "$'" + sheet + "'." + corner(r.range.row1, r.range.col1);
  if (r.range.row2 != r.range.row1 || r.range.col2 != r.range.col1)
    text += ":" + corner(r.range.row2, r.range.col2);
  return ustr(text);
}

Reference<sheet::XSpreadsheet> chartSheet(const Reference<sheet::XSpreadsheetDocument>& doc) {
  const OUString name = ustr(kChartSheetName);
  auto sheets = doc->getSheets();
  if (!sheets->hasByName(name)) {
    // After the other report sheets, before those written only when asked, as in the command's
    // result.
    Reference<container::XIndexAccess> all(sheets, UNO_QUERY_THROW);
    sal_Int16 at = static_cast<sal_Int16>(all->getCount());
    for (sal_Int16 i = 0; i < all->getCount(); ++i) {
      const std::string sheet =
          utf8(Reference<container::XNamed>(all->getByIndex(i), UNO_QUERY_THROW)->getName());
      if (std::find(kAskedReportSheetNames.begin(), kAskedReportSheetNames.end(), sheet) !=
          kAskedReportSheetNames.end()) {
        at = i;
        break;
      }
    }
    sheets->insertNewByName(name, at);
  }
  return Reference<sheet::XSpreadsheet>(sheets->getByName(name), UNO_QUERY_THROW);
}

// The sheet's cells emptied and unmerged, its charts removed.
void clearSheet(const Reference<sheet::XSpreadsheet>& sheet) {
  auto cursor = sheet->createCursor();
  Reference<sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
  used->gotoStartOfUsedArea(false);
  used->gotoEndOfUsedArea(true);
  Reference<util::XMergeable>(cursor, UNO_QUERY_THROW)->merge(false);
  using namespace sheet::CellFlags;
  Reference<sheet::XSheetOperation>(cursor, UNO_QUERY_THROW)
      ->clearContents(VALUE | DATETIME | STRING | FORMULA | ANNOTATION | HARDATTR | STYLES |
                      EDITATTR | FORMATTED);
  auto charts = Reference<table::XTableChartsSupplier>(sheet, UNO_QUERY_THROW)->getCharts();
  for (const OUString& name : charts->getElementNames()) charts->removeByName(name);
}

// The block's place and size on the sheet, in hundredths of a millimetre.
awt::Rectangle area(const Reference<sheet::XSpreadsheet>& sheet, const host::Range& r) {
  Reference<beans::XPropertySet> cells(
      sheet->getCellRangeByPosition(r.col1 - 1, r.row1 - 1, r.col2 - 1, r.row2 - 1),
      UNO_QUERY_THROW);
  awt::Point at;
  awt::Size size;
  cells->getPropertyValue("Position") >>= at;
  cells->getPropertyValue("Size") >>= size;
  return {at.X, at.Y, size.Width, size.Height};
}

class ChartBuilder {
 public:
  ChartBuilder(const Context& context, const Reference<chart2::XChartDocument>& doc)
      : context_(context), doc_(doc), provider_(doc->getDataProvider()) {
    if (!provider_.is()) throw Failure(FailureKind::HostError, "图表没有数据来源");
  }

  void build(const host::Chart& chart) {
    auto systems =
        Reference<chart2::XCoordinateSystemContainer>(doc_->getFirstDiagram(), UNO_QUERY_THROW)
            ->getCoordinateSystems();
    if (!systems.hasElements()) throw Failure(FailureKind::HostError, "图表没有坐标系");
    const auto& system = systems[0];
    auto types = Reference<chart2::XChartTypeContainer>(system, UNO_QUERY_THROW)->getChartTypes();
    if (!types.hasElements()) throw Failure(FailureKind::HostError, "图表没有图表类型");
    Sequence<Reference<chart2::XDataSeries>> series(static_cast<sal_Int32>(chart.series.size()));
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
      series.getArray()[i] = dataSeries(chart.series[i]);
      Reference<beans::XPropertySet>(series[i], UNO_QUERY_THROW)
          ->setPropertyValue("Color", Any(static_cast<sal_Int32>(host::seriesColour(chart, i))));
    }
    Reference<chart2::XDataSeriesContainer>(types[0], UNO_QUERY_THROW)->setDataSeries(series);
    if (!chart.series.empty()) {
      auto axis = system->getAxisByDimension(0, 0);
      chart2::ScaleData scale = axis->getScaleData();
      scale.Categories = labeled(sequence(chart.series[0].categories, "categories"), {});
      axis->setScaleData(scale);
    }
    describe(chart);
  }

 private:
  Reference<chart2::data::XDataSequence> sequence(const host::SheetRange& r, const char* role) {
    auto s = provider_->createDataSequenceByRangeRepresentation(rangeText(r));
    Reference<beans::XPropertySet>(s, UNO_QUERY_THROW)
        ->setPropertyValue("Role", Any(OUString::createFromAscii(role)));
    return s;
  }

  Reference<chart2::data::XLabeledDataSequence> labeled(
      const Reference<chart2::data::XDataSequence>& values,
      const Reference<chart2::data::XDataSequence>& label) {
    auto l = chart2::data::LabeledDataSequence::create(context_);
    l->setValues(values);
    if (label.is()) l->setLabel(label);
    return Reference<chart2::data::XLabeledDataSequence>(l, UNO_QUERY_THROW);
  }

  Reference<chart2::XDataSeries> dataSeries(const host::ChartSeries& s) {
    Reference<chart2::XDataSeries> series(context_->getServiceManager()->createInstanceWithContext(
                                              "com.sun.star.chart2.DataSeries", context_),
                                          UNO_QUERY_THROW);
    Sequence<Reference<chart2::data::XLabeledDataSequence>> data(1);
    data.getArray()[0] = labeled(sequence(s.values, "values-y"), sequence(s.name, "label"));
    Reference<chart2::data::XDataSink>(series, UNO_QUERY_THROW)->setData(data);
    return series;
  }

  // Titles, stacking and the value axis, through the chart's simpler interface.
  void describe(const host::Chart& chart) {
    Reference<chart::XChartDocument> doc(doc_, UNO_QUERY_THROW);
    Reference<beans::XPropertySet>(doc, UNO_QUERY_THROW)
        ->setPropertyValue("HasMainTitle", Any(true));
    Reference<beans::XPropertySet>(doc->getTitle(), UNO_QUERY_THROW)
        ->setPropertyValue("String", Any(ustr(chart.title)));
    auto diagram = doc->getDiagram();
    Reference<beans::XPropertySet> shape(diagram, UNO_QUERY_THROW);
    shape->setPropertyValue("Stacked", Any(chart.kind == host::ChartKind::stackedColumns));
    shape->setPropertyValue("HasXAxisTitle", Any(true));
    shape->setPropertyValue("HasYAxisTitle", Any(true));
    Reference<chart::XAxisXSupplier> x(diagram, UNO_QUERY_THROW);
    Reference<beans::XPropertySet>(x->getXAxisTitle(), UNO_QUERY_THROW)
        ->setPropertyValue("String", Any(ustr(chart.categoryAxisTitle)));
    Reference<chart::XAxisYSupplier> y(diagram, UNO_QUERY_THROW);
    Reference<beans::XPropertySet>(y->getYAxisTitle(), UNO_QUERY_THROW)
        ->setPropertyValue("String", Any(ustr(chart.valueAxisTitle)));
    Reference<beans::XPropertySet> axis(y->getYAxis(), UNO_QUERY_THROW);
    axis->setPropertyValue("AutoMin", Any(false));
    axis->setPropertyValue("Min", Any(0.0));
    if (chart.percentValues) {
      // The cells hold 33.33 for 33.33 %: a sign after the number, no scaling.
      Reference<util::XNumberFormats> formats(
          Reference<util::XNumberFormatsSupplier>(doc, UNO_QUERY_THROW)->getNumberFormats());
      const OUString code = "0\"%\"";
      const lang::Locale locale;
      sal_Int32 key = formats->queryKey(code, locale, false);
      if (key < 0) key = formats->addNew(code, locale);
      axis->setPropertyValue("NumberFormat", Any(key));
      axis->setPropertyValue("LinkNumberFormatToSource", Any(false));
    }
  }

  Context context_;
  Reference<chart2::XChartDocument> doc_;
  Reference<chart2::data::XDataProvider> provider_;
};

}  // namespace

void drawCharts(const Context& context, const Reference<sheet::XSpreadsheetDocument>& doc,
                const std::vector<host::Chart>& charts) {
  try {
    auto sheet = chartSheet(doc);
    clearSheet(sheet);
    auto tableCharts = Reference<table::XTableChartsSupplier>(sheet, UNO_QUERY_THROW)->getCharts();
    for (std::size_t i = 0; i < charts.size(); ++i) {
      const host::Chart& chart = charts[i];
      if (chart.series.empty()) continue;
      const OUString name = ustr("图表" + std::to_string(i + 1));
      // Calc makes the chart from a first range; its series are then set one by one.
      Sequence<table::CellRangeAddress> first(1);
      first.getArray()[0] = {0, 0, 0, 0, 0};
      tableCharts->addNewByName(name, area(sheet, chart.anchor), first, false, false);
      Reference<document::XEmbeddedObjectSupplier> embedded(tableCharts->getByName(name),
                                                            UNO_QUERY_THROW);
      Reference<chart2::XChartDocument> chartDoc(embedded->getEmbeddedObject(), UNO_QUERY_THROW);
      Reference<frame::XModel> model(chartDoc, UNO_QUERY_THROW);
      model->lockControllers();
      try {
        ChartBuilder(context, chartDoc).build(chart);
      } catch (...) {
        model->unlockControllers();
        throw;
      }
      model->unlockControllers();
    }
  } catch (const uno::Exception& e) {
    throw Failure(FailureKind::HostError, "Calc 拒绝了图表：" + utf8(e.Message));
  }
}

}  // namespace valdrex::calc
