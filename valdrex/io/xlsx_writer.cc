#include "valdrex/io/xlsx_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <new>

#include "valdrex/host/failure.h"
#include "valdrex/io/atomic_file.h"
#include "valdrex/io/chart_parts.h"
#include "valdrex/io/format_problem.h"
#include "valdrex/io/package_check.h"
#include "valdrex/io/package_edit.h"
#include "valdrex/io/part_names.h"
#include "valdrex/io/relationships.h"
#include "valdrex/io/sheet_writer.h"
#include "valdrex/io/source_package.h"
#include "valdrex/io/style_sheet.h"
#include "valdrex/io/system_error_text.h"
#include "valdrex/io/workbook_edit.h"
#include "valdrex/io/workbook_part.h"
#include "valdrex/io/write_limits.h"
#include "valdrex/io/written_mark.h"

namespace valdrex::io {
namespace {

constexpr std::string_view kContentTypes = "[Content_Types].xml";
constexpr std::string_view kRelationshipsNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::string_view kWorksheetType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr std::string_view kStylesType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
constexpr std::string_view kCustomPropertiesType =
    "application/vnd.openxmlformats-officedocument.custom-properties+xml";

std::string utcNow() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

// The parts every workbook has, for a workbook made from nothing.
void freshPackage(PackageEdit& package, bool date1904) {
  package.put(kContentTypes,
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" "
              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
              "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
              "<Override PartName=\"/docProps/core.xml\" ContentType=\"application/"
              "vnd.openxmlformats-package.core-properties+xml\"/>"
              "<Override PartName=\"/docProps/app.xml\" ContentType=\"application/"
              "vnd.openxmlformats-officedocument.extended-properties+xml\"/></Types>");
  package.put("_rels/.rels",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
              "officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
              "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>"
              "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
              "2006/relationships/extended-properties\" Target=\"docProps/app.xml\"/>"
              "</Relationships>");
  package.put("docProps/app.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
              "extended-properties\"><Application>Valdrex</Application></Properties>");
  const std::string now = utcNow();
  package.put("docProps/core.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
              "metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
              "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
              "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><dc:creator>Valdrex"
              "</dc:creator><dcterms:created xsi:type=\"dcterms:W3CDTF\">" +
                  now + "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + now +
                  "</dcterms:modified></cp:coreProperties>");
  package.put("xl/workbook.xml",
              std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                          "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                          "main\" xmlns:r=\"") +
                  std::string(kRelationshipsNs) + "\"><workbookPr" +
                  (date1904 ? " date1904=\"1\"" : "") +
                  "/><bookViews><workbookView activeTab=\"0\"/></bookViews><sheets></sheets>"
                  "</workbook>");
  package.put("xl/_rels/workbook.xml.rels",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"></Relationships>");
}

// The workbook part named by the package relationships, or where every producer puts it.
std::string mainPart(PackageEdit& package) {
  const std::string packageRels = relationshipsPartOf("");
  if (package.has(packageRels)) {
    auto rels = Relationships::parse(packageRels, package.text(packageRels), "");
    if (const Relationship* main = rels.firstOfKind("officeDocument")) return *main->part;
  }
  return "xl/workbook.xml";
}

// A relationship target for `part`, seen from the workbook part.
std::string targetFrom(const std::string& main, const std::string& part) {
  std::size_t slash = main.rfind('/');
  std::string folder = slash == std::string::npos ? "" : main.substr(0, slash + 1);
  if (part.compare(0, folder.size(), folder) == 0) return part.substr(folder.size());
  return "/" + part;
}

// "'Name'!$1:$2", the rows printed on every page; "" for none.
std::string printTitles(const std::string& sheet, const host::PrintLayout& layout) {
  if (layout.repeatFirstRow <= 0) return "";
  std::string quoted;
  for (char c : sheet) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return "'" + quoted + "'!$" + std::to_string(layout.repeatFirstRow) + ":$" +
         std::to_string(std::max(layout.repeatLastRow, layout.repeatFirstRow));
}

class PackageWriter {
 public:
  PackageWriter(const host::MemoryWorkbook& book, const SourcePackage* source, bool markAsResult)
      : book_(book),
        source_(source),
        markAsResult_(markAsResult),
        package_(source ? source->bytes : std::string_view()) {
    if (!source) freshPackage(package_, book.date1904);
    package_.checkEachWritten(requireWellFormed);
  }

  PartBuffer bytes() {
    main_ = mainPart(package_);
    relsPart_ = relationshipsPartOf(main_);
    WorkbookEdit workbook(main_, package_.text(main_));
    RelationshipsEdit rels(relsPart_, package_.has(relsPart_) ? package_.text(relsPart_) : "",
                           main_);
    ContentTypesEdit types(std::string(kContentTypes), package_.text(kContentTypes));

    const Relationship* stylesRel = rels.original().firstOfKind("styles");
    std::optional<std::string> stylesPart;
    if (stylesRel && package_.has(*stylesRel->part)) stylesPart = *stylesRel->part;
    StyleSheet styles = stylesPart ? StyleSheet::parse(*stylesPart, package_.text(*stylesPart))
                                   : StyleSheet::fresh();
    SheetWriter writer(styles, book_.date1904);

    for (std::size_t i = 0; i < book_.sheetCount(); ++i)
      host::checkSheetName(book_.sheetAt(i).name());
    const std::size_t read = source_ ? source_->sheets.size() : 0;
    const std::size_t entries = workbook.sheetCount();
    // A changed active sheet makes exactly the active sheet the selected tab; otherwise every
    // part keeps its bytes.
    const bool tabMoves =
        source_ && book_.activeSheet != source_->activeSheet && book_.sheetCount() > 0;
    const std::size_t active = activeSheet();
    std::vector<std::string> added;
    std::vector<std::string> parts;  // of the model's sheets
    PartBuffer xml;
    for (std::size_t i = 0; i < book_.sheetCount(); ++i) {
      const host::MemorySheet& sheet = book_.sheetAt(i);
      const bool isNew = i >= read;
      const std::string part =
          isNew ? package_.freeName("xl/worksheets/sheet", ".xml") : source_->sheets[i].part;
      const std::size_t entry = isNew ? entries + added.size() : source_->sheets[i].entry;
      parts.push_back(part);
      if (!isNew && sheet.changed() && !source_->sheets[i].unwritable.empty())
        throw FormatProblem(source_->sheets[i].unwritable);
      if (isNew || sheet.changed()) {
        const std::string drawing =
            sheet.chartsSet() ? replaceDrawing(package_, types, part, sheet) : std::string();
        const bool selected = i == active && (tabMoves || !source_);
        const std::string original = isNew ? freshSheetXml(selected) : package_.text(part);
        const std::map<int, double> noWidths;
        writer.write(sheet, part, original, isNew ? noWidths : source_->sheets[i].widths, drawing,
                     !isNew && tabMoves ? std::optional<bool>(selected) : std::nullopt, xml);
        package_.seal(part, xml);
        if (const auto& layout = sheet.printLayout(); layout && !layout->keepsOwnPage)
          workbook.setPrintTitles(entry, printTitles(sheet.name(), *layout));
      }
      if (!isNew) {
        workbook.setSheet(entry, sheet.name(), sheet.visible());
        continue;
      }
      const std::string id = rels.add("worksheet", targetFrom(main_, part));
      workbook.addSheet(sheet.name(), id, sheet.visible());
      types.override(part, kWorksheetType);
      added.push_back(sheet.name());
    }
    if (!source_) {
      workbook.setActiveTab(active);
    } else if (tabMoves) {
      workbook.setActiveTab(active < read ? source_->sheets[active].entry
                                          : entries + (active - read));
      std::vector<std::string> tabs;
      for (const SheetEntry& e : workbook.parsed().sheets)
        if (const Relationship* r = rels.original().byId(e.relationshipId); r && r->part)
          tabs.push_back(*r->part);
      tabs.insert(tabs.end(), parts.begin() + static_cast<std::ptrdiff_t>(read), parts.end());
      // The views come before the cells: a sheet whose tab stays as it was is not inflated whole.
      for (const std::string& part : tabs)
        if (package_.has(part) && !package_.sealed(part) &&
            withTabSelected(part, package_.head(part, "sheetData"), part == parts[active]))
          if (auto edited = withTabSelected(part, package_.text(part), part == parts[active]))
            package_.put(part, std::move(*edited));
    }

    if (styles.changed()) {
      if (!stylesPart) {
        stylesPart = package_.has("xl/styles.xml") ? package_.freeName("xl/styles", ".xml")
                                                   : std::string("xl/styles.xml");
        rels.add("styles", targetFrom(main_, *stylesPart));
        types.override(*stylesPart, kStylesType);
      }
      package_.put(*stylesPart, styles.xml());
    }
    // The results of rewritten formulas are not in the calculation chain any more: it goes, and
    // the spreadsheet recalculates on opening.
    if (writer.formulas()) {
      if (const Relationship* chain = rels.original().firstOfKind("calcChain")) {
        std::string part = *chain->part;
        package_.drop(part);
        types.remove(part);
        rels.remove(chain->id);
      }
      workbook.recalculateOnLoad();
    }
    if (!added.empty() && package_.has("docProps/app.xml"))
      package_.put("docProps/app.xml", withSheetTitles(package_.text("docProps/app.xml"), added));

    std::string custom, customXml;
    if (markAsResult_) {
      custom = customPropertiesPart(types);
      if (package_.has(custom)) customXml = package_.text(custom);
    }

    if (workbook.changed()) package_.put(main_, workbook.xml());
    if (rels.changed()) package_.put(relsPart_, rels.xml());
    if (types.changed()) package_.put(kContentTypes, types.xml());
    if (!markAsResult_) return package_.finish();
    // The mark goes in last, made from every other part as written.
    return package_.finish(custom, [&](const std::vector<PartSum>& parts) {
      return withWrittenMark(customXml, partsDigest(parts, custom));
    });
  }

 private:
  // The custom document properties part, added with its relationship and type when missing.
  std::string customPropertiesPart(ContentTypesEdit& types) {
    const std::string packageRels = relationshipsPartOf("");
    RelationshipsEdit rels(packageRels, package_.has(packageRels) ? package_.text(packageRels) : "",
                           "");
    std::string part;
    if (const Relationship* r = rels.original().firstOfKind("custom-properties"); r && r->part) {
      part = *r->part;
    } else {
      part = package_.has("docProps/custom.xml") ? package_.freeName("docProps/custom", ".xml")
                                                 : std::string("docProps/custom.xml");
      rels.add("custom-properties", part);
      package_.put(packageRels, rels.xml());
    }
    types.override(part, kCustomPropertiesType);
    return part;
  }

  std::size_t activeSheet() const {
    std::size_t active = book_.activeSheet < book_.sheetCount() ? book_.activeSheet : 0;
    // The active sheet must be shown.
    if (active < book_.sheetCount() && !book_.sheetAt(active).visible())
      for (std::size_t i = 0; i < book_.sheetCount(); ++i)
        if (book_.sheetAt(i).visible()) return i;
    return active;
  }

  const host::MemoryWorkbook& book_;
  const SourcePackage* source_;
  const bool markAsResult_;
  PackageEdit package_;
  std::string main_, relsPart_;
};

void writeBytes(const std::string& target, const std::string& temp, std::string_view bytes) {
  const int fd = ::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) throw FileError::writing(target, "无法写入临时文件：" + systemErrorText(errno));
  try {
    writeWhole(fd, bytes, target);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) throw FileError::writing(target, "写入失败：" + systemErrorText(errno));
}

// The package, read back before anyone may keep it.
PartBuffer packageBytes(const host::MemoryWorkbook& book, const std::string& path,
                        bool markAsResult) {
  refuseUnwritable(book, path);
  try {
    const auto* source = dynamic_cast<const SourcePackage*>(book.origin.get());
    PartBuffer bytes = PackageWriter(book, source, markAsResult).bytes();
    requireReadable(bytes.view());
    return bytes;
  } catch (const FormatProblem& e) {
    throw FileError::writing(path, e.what());
  } catch (const Failure& e) {
    throw FileError::writing(path, e.what());
  } catch (const std::bad_alloc&) {
    throw FileError::writing(path, "内存不足。请关闭其他程序后重试");
  }
}

}  // namespace

void writeWorkbook(const host::MemoryWorkbook& book, const std::string& path, bool markAsResult) {
  // The target is checked (and its temporary file made) before the work of making the package.
  writeAtomically(path, [&](const std::string& temp) {
    writeBytes(path, temp, packageBytes(book, path, markAsResult).view());
  });
}

std::string workbookBytes(const host::MemoryWorkbook& book, const std::string& name,
                          bool markAsResult) {
  return std::string(packageBytes(book, name, markAsResult).view());
}

}  // namespace valdrex::io
