#include "valdrex/io/chart_parts.h"

#include <charconv>
#include <cmath>

#include "valdrex/host/float_chars.h"
#include "valdrex/io/part_names.h"
#include "valdrex/io/relationships.h"
#include "valdrex/io/xml_tag.h"

namespace valdrex::io {
namespace {

constexpr std::string_view kDrawingType =
    "application/vnd.openxmlformats-officedocument.drawing+xml";
constexpr std::string_view kChartType =
    "application/vnd.openxmlformats-officedocument.drawingml.chart+xml";
// More category labels than this are written slanted, so that a grade's classes do not overlap.
constexpr std::size_t kUprightLabels = 8;

// A relationship target for `part` seen from `source`: "../charts/chart1.xml".
std::string relativeTarget(std::string_view source, std::string_view part) {
  std::size_t common = 0;
  for (std::size_t i = 0; i < source.size() && i < part.size() && source[i] == part[i]; ++i)
    if (source[i] == '/') common = i + 1;
  std::string target;
  for (std::size_t i = common; i < source.size(); ++i)
    if (source[i] == '/') target += "../";
  return target + std::string(part.substr(common));
}

// Series colours are given outright: a workbook made from nothing has no theme to take them from.
std::string rgb(std::uint32_t colour) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(6, '0');
  for (int i = 5; i >= 0; --i, colour >>= 4)
    out[static_cast<std::size_t>(i)] = kDigits[colour & 0xF];
  return out;
}

std::string number(double x) {
  char buffer[host::kFloatCharsRoom];
  return std::string(buffer, host::shortestChars(buffer, x));
}

// "'两率一分'!$B$4:$B$23": the sheet's name always quoted, its quotes doubled.
std::string reference(const host::SheetRange& r) {
  std::string out = "'";
  for (char c : r.sheet) out += c == '\'' ? std::string("''") : std::string(1, c);
  out += "'!$" + host::columnName(r.range.col1) + "$" + std::to_string(r.range.row1);
  if (r.range.row2 != r.range.row1 || r.range.col2 != r.range.col1)
    out += ":$" + host::columnName(r.range.col2) + "$" + std::to_string(r.range.row2);
  return out;
}

// The values of the cells a reference covers, row by row; empty when the sheet is not there.
std::vector<Variant> valuesOf(const host::SheetRange& r, const host::MemoryWorkbook& book) {
  std::vector<Variant> values;
  for (std::size_t i = 0; i < book.sheetCount(); ++i) {
    const host::MemorySheet& sheet = book.sheetAt(i);
    if (sheet.name() != r.sheet) continue;
    for (int row = r.range.row1; row <= r.range.row2; ++row)
      for (int col = r.range.col1; col <= r.range.col2; ++col)
        values.push_back(sheet.cell(row, col));
  }
  return values;
}

std::size_t cellCount(const host::Range& r) {
  return static_cast<std::size_t>(r.row2 - r.row1 + 1) *
         static_cast<std::size_t>(r.col2 - r.col1 + 1);
}

std::string textReference(const host::SheetRange& r, const host::MemoryWorkbook& book) {
  const std::vector<Variant> values = valuesOf(r, book);
  std::string out = "<c:strRef><c:f>" + xmlEscape(reference(r)) +
                    "</c:f><c:strCache><c:ptCount val=\"" + std::to_string(cellCount(r.range)) +
                    "\"/>";
  for (std::size_t i = 0; i < values.size(); ++i)
    if (!values[i].isEmpty())
      out += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + xmlEscape(textOf(values[i])) +
             "</c:v></c:pt>";
  return out + "</c:strCache></c:strRef>";
}

std::string numberReference(const host::SheetRange& r, const host::MemoryWorkbook& book) {
  const std::vector<Variant> values = valuesOf(r, book);
  std::string out = "<c:numRef><c:f>" + xmlEscape(reference(r)) +
                    "</c:f><c:numCache><c:formatCode>General</c:formatCode><c:ptCount val=\"" +
                    std::to_string(cellCount(r.range)) + "\"/>";
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i].isNumeric() && std::isfinite(values[i].number()))
      out += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + number(values[i].number()) +
             "</c:v></c:pt>";
  return out + "</c:numCache></c:numRef>";
}

// A title in rich text; `size` in hundredths of a point.
std::string title(const std::string& text, int size, bool upward) {
  return "<c:title><c:tx><c:rich><a:bodyPr" +
         std::string(upward ? " rot=\"-5400000\" vert=\"horz\"" : "") +
         "/><a:lstStyle/><a:p><a:pPr><a:defRPr sz=\"" + std::to_string(size) +
         "\" b=\"1\"/></a:pPr><a:r><a:rPr lang=\"zh-CN\" altLang=\"en-US\" sz=\"" +
         std::to_string(size) + "\" b=\"1\"/><a:t>" + xmlEscape(text) +
         "</a:t></a:r></a:p></c:rich></c:tx><c:overlay val=\"0\"/></c:title>";
}

std::string drawingXml(const std::vector<host::Chart>& charts,
                       const std::vector<std::string>& ids) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">";
  auto corner = [](int col, int row) {
    return "<xdr:col>" + std::to_string(col) + "</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>" +
           std::to_string(row) + "</xdr:row><xdr:rowOff>0</xdr:rowOff>";
  };
  for (std::size_t i = 0; i < charts.size(); ++i) {
    const host::Range& at = charts[i].anchor;
    // Zero-based: from the top-left cell's corner to the corner past the bottom-right cell.
    out += "<xdr:twoCellAnchor><xdr:from>" + corner(at.col1 - 1, at.row1 - 1) +
           "</xdr:from><xdr:to>" + corner(at.col2, at.row2) +
           "</xdr:to><xdr:graphicFrame macro=\"\"><xdr:nvGraphicFramePr><xdr:cNvPr id=\"" +
           std::to_string(i + 2) + "\" name=\"图表 " + std::to_string(i + 1) +
           "\"/><xdr:cNvGraphicFramePr/></xdr:nvGraphicFramePr><xdr:xfrm><a:off x=\"0\" "
           "y=\"0\"/><a:ext cx=\"0\" cy=\"0\"/></xdr:xfrm><a:graphic><a:graphicData "
           "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart "
           "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
           "r:id=\"" +
           ids[i] +
           "\"/></a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/>"
           "</xdr:twoCellAnchor>";
  }
  return out + "</xdr:wsDr>";
}

// The drawing at `part`, with its charts and what only they use, gone from the package.
void dropDrawing(PackageEdit& package, ContentTypesEdit& types, const std::string& part) {
  auto dropPart = [&](const std::string& name) {
    package.drop(name);
    types.remove(name);
  };
  const std::string rels = relationshipsPartOf(part);
  if (package.has(rels)) {
    const Relationships charts = Relationships::parse(rels, package.text(rels), part);
    for (const Relationship& chart : charts.all()) {
      if (chart.kind != "chart" || !chart.part || !package.has(*chart.part)) continue;
      const std::string chartRels = relationshipsPartOf(*chart.part);
      if (package.has(chartRels)) {
        const Relationships used =
            Relationships::parse(chartRels, package.text(chartRels), *chart.part);
        for (const Relationship& r : used.all())
          if ((r.kind == "chartStyle" || r.kind == "chartColorStyle") && r.part &&
              package.has(*r.part))
            dropPart(*r.part);
        package.drop(chartRels);
      }
      dropPart(*chart.part);
    }
    package.drop(rels);
  }
  dropPart(part);
}

}  // namespace

std::string chartXml(const host::Chart& chart, const host::MemoryWorkbook& book) {
  const bool stacked = chart.kind == host::ChartKind::stackedColumns;
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
      "<c:roundedCorners val=\"0\"/><c:chart>";
  if (!chart.title.empty()) out += title(chart.title, 1400, false);
  out += "<c:autoTitleDeleted val=\"" + std::string(chart.title.empty() ? "1" : "0") +
         "\"/><c:plotArea><c:layout/><c:barChart><c:barDir val=\"col\"/><c:grouping val=\"" +
         (stacked ? "stacked" : "clustered") + "\"/><c:varyColors val=\"0\"/>";
  std::size_t categories = 0;
  for (std::size_t i = 0; i < chart.series.size(); ++i) {
    const host::ChartSeries& s = chart.series[i];
    categories = std::max(categories, cellCount(s.categories.range));
    out += "<c:ser><c:idx val=\"" + std::to_string(i) + "\"/><c:order val=\"" + std::to_string(i) +
           "\"/><c:tx>" + textReference(s.name, book) +
           "</c:tx><c:spPr><a:solidFill><a:srgbClr val=\"" + rgb(host::seriesColour(chart, i)) +
           "\"/></a:solidFill></c:spPr><c:invertIfNegative val=\"0\"/><c:cat>" +
           textReference(s.categories, book) + "</c:cat><c:val>" + numberReference(s.values, book) +
           "</c:val></c:ser>";
  }
  out += stacked ? "<c:gapWidth val=\"80\"/><c:overlap val=\"100\"/>" : "<c:gapWidth val=\"150\"/>";
  out += "<c:axId val=\"100000001\"/><c:axId val=\"100000002\"/></c:barChart>";

  out +=
      "<c:catAx><c:axId val=\"100000001\"/><c:scaling><c:orientation val=\"minMax\"/>"
      "</c:scaling><c:delete val=\"0\"/><c:axPos val=\"b\"/>";
  if (!chart.categoryAxisTitle.empty()) out += title(chart.categoryAxisTitle, 1000, false);
  out +=
      "<c:numFmt formatCode=\"General\" sourceLinked=\"1\"/><c:majorTickMark val=\"out\"/>"
      "<c:minorTickMark val=\"none\"/><c:tickLblPos val=\"nextTo\"/>";
  if (categories > kUprightLabels)
    out +=
        "<c:txPr><a:bodyPr rot=\"-2700000\" vert=\"horz\"/><a:lstStyle/><a:p><a:pPr>"
        "<a:defRPr/></a:pPr><a:endParaRPr lang=\"zh-CN\"/></a:p></c:txPr>";
  out +=
      "<c:crossAx val=\"100000002\"/><c:crosses val=\"autoZero\"/><c:auto val=\"1\"/>"
      "<c:lblAlgn val=\"ctr\"/><c:lblOffset val=\"100\"/><c:noMultiLvlLbl val=\"0\"/>"
      "</c:catAx>";

  out += "<c:valAx><c:axId val=\"100000002\"/><c:scaling><c:orientation val=\"minMax\"/>";
  // From 0, so that no bar looks many times another; completion rates pass 100: no maximum.
  out +=
      "<c:min val=\"0\"/></c:scaling><c:delete val=\"0\"/><c:axPos val=\"l\"/><c:majorGridlines/>";
  if (!chart.valueAxisTitle.empty()) out += title(chart.valueAxisTitle, 1000, true);
  out += chart.percentValues ? "<c:numFmt formatCode=\"0&quot;%&quot;\" sourceLinked=\"0\"/>"
                             : "<c:numFmt formatCode=\"General\" sourceLinked=\"1\"/>";
  out +=
      "<c:majorTickMark val=\"out\"/><c:minorTickMark val=\"none\"/>"
      "<c:tickLblPos val=\"nextTo\"/><c:crossAx val=\"100000001\"/>"
      "<c:crosses val=\"autoZero\"/><c:crossBetween val=\"between\"/></c:valAx>";

  out +=
      "</c:plotArea><c:legend><c:legendPos val=\"b\"/><c:overlay val=\"0\"/></c:legend>"
      "<c:plotVisOnly val=\"1\"/><c:dispBlanksAs val=\"gap\"/></c:chart></c:chartSpace>";
  return out;
}

std::string replaceDrawing(PackageEdit& package, ContentTypesEdit& types,
                           const std::string& sheetPart, const host::MemorySheet& sheet) {
  const std::string relsPart = relationshipsPartOf(sheetPart);
  RelationshipsEdit rels(relsPart, package.has(relsPart) ? package.text(relsPart) : "", sheetPart);
  for (const Relationship& r : rels.original().all()) {
    if (r.kind != "drawing") continue;
    if (r.part && package.has(*r.part)) dropDrawing(package, types, *r.part);
    rels.remove(r.id);
  }

  std::string id;
  if (!sheet.charts().empty()) {
    const std::string drawing = package.freeName("xl/drawings/drawing", ".xml");
    const std::string drawingRelsPart = relationshipsPartOf(drawing);
    RelationshipsEdit drawingRels(drawingRelsPart, "", drawing);
    std::vector<std::string> ids;
    for (const host::Chart& chart : sheet.charts()) {
      const std::string part = package.freeName("xl/charts/chart", ".xml");
      package.put(part, chartXml(chart, sheet.workbook()));
      types.override(part, kChartType);
      ids.push_back(drawingRels.add("chart", relativeTarget(drawing, part)));
    }
    package.put(drawing, drawingXml(sheet.charts(), ids));
    types.override(drawing, kDrawingType);
    package.put(drawingRelsPart, drawingRels.xml());
    id = rels.add("drawing", relativeTarget(sheetPart, drawing));
  }
  if (rels.changed()) package.put(relsPart, rels.xml());
  return id;
}

}  // namespace valdrex::io
