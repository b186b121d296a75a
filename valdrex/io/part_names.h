// Names of parts inside a package. They only ever name zip entries, never files on disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace valdrex::io {

// The part a relationship target points to, seen from the part that holds the relationship:
// "worksheets/sheet1.xml" from "xl/workbook.xml" is "xl/worksheets/sheet1.xml"; "/xl/x.xml" is
// absolute. Percent escapes are decoded; "." and ".." resolved. Empty when the target leaves the
// package or is not a plain part name.
std::optional<std::string> resolvePart(std::string_view source, std::string_view target);

// A part name as compared: part names compare ignoring case, as the package format says.
std::string partKey(std::string_view part);

// The relationships part of a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels";
// "" (the package itself) -> "_rels/.rels".
std::string relationshipsPartOf(std::string_view part);

}  // namespace valdrex::io
