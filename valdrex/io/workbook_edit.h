// Edits of the package's bookkeeping parts — the workbook part, its relationships, the content
// types, the document's sheet titles — that change only what they must and keep every other byte.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/io/relationships.h"
#include "valdrex/io/workbook_part.h"
#include "valdrex/io/xml_outline.h"

namespace valdrex::io {

// A part rewritten by replacing spans of its bytes and inserting new text.
class SplicedXml {
 public:
  SplicedXml(std::string part, std::string xml);
  const std::string& original() const { return xml_; }
  // Replaces [begin, end); an insertion when begin == end. Edits may not overlap; insertions at
  // one place keep the order they were made in. Returns the edit's number.
  std::size_t replace(std::size_t begin, std::size_t end, std::string text);
  bool changed() const { return !edits_.empty(); }
  std::string xml() const;

 protected:
  // An empty element written as one tag gets an end tag, so that children can be added to it.
  void expandEmpty(const XmlElement& span);
  // The text an earlier edit puts in.
  void setText(std::size_t edit, std::string text) { edits_.at(edit).text = std::move(text); }

  std::string part_;
  std::string xml_;
  std::vector<XmlElement> spans_;

 private:
  std::vector<XmlSplice> edits_;
};

class WorkbookEdit : public SplicedXml {
 public:
  WorkbookEdit(std::string part, std::string xml);
  // The name and visibility of the sheet at `entry` among the part's sheets; a very hidden
  // sheet that stays hidden stays very hidden.
  void setSheet(std::size_t entry, const std::string& name, bool visible);
  // A new sheet after the others, its part named by relationship `id`.
  void addSheet(const std::string& name, const std::string& id, bool visible);
  // The tab shown on opening (and the first tab shown no later than it).
  void setActiveTab(std::size_t index);
  // The rows printed at the top of every page of the sheet at `index` among the part's sheets,
  // as its _xlnm.Print_Titles ("'Name'!$1:$2"); "" removes them. Called before
  // recalculateOnLoad(), since the names go before the calculation settings.
  void setPrintTitles(std::size_t index, const std::string& value);
  void recalculateOnLoad();
  std::size_t sheetCount() const { return sheets_.size(); }
  const WorkbookPart& parsed() const { return parsed_; }

 private:
  std::string tag(const XmlElement& span) const;
  const XmlElement* child(std::string_view name, int depth) const;

  std::size_t before(std::span<const std::string_view> names) const;

  WorkbookPart parsed_;
  std::string addedNames_;     // defined names for a list the part lacks ...
  std::size_t namesEdit_ = 0;  // ... and the edit that puts it in
  std::vector<const XmlElement*> sheets_;
  int nextSheetId_ = 1;
};

class RelationshipsEdit : public SplicedXml {
 public:
  // `xml` empty: the part is new.
  RelationshipsEdit(std::string part, std::string xml, std::string_view source);
  const Relationships& original() const { return parsed_; }
  // A new relationship of that kind ("worksheet", "styles"); returns its id.
  std::string add(std::string_view kind, const std::string& target);
  void remove(const std::string& id);

 private:
  Relationships parsed_;
  std::vector<std::string> ids_;
};

class ContentTypesEdit : public SplicedXml {
 public:
  ContentTypesEdit(std::string part, std::string xml);
  // The part's own content type, unless it has one.
  void override(const std::string& part, std::string_view type);
  void remove(const std::string& part);

 private:
  const XmlElement* overrideOf(const std::string& part) const;
};

// The document properties part with new sheet names added to its list of worksheet titles; as
// it was when it keeps no such list.
std::string withSheetTitles(const std::string& appXml, const std::vector<std::string>& names);

}  // namespace valdrex::io
