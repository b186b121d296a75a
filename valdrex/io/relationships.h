// The relationships of one part (its .rels part): which part plays which role.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/io/zip_archive.h"

namespace valdrex::io {

struct Relationship {
  std::string id;
  std::string kind;  // last segment of the type URI: "worksheet", "styles", "officeDocument"...
  std::optional<std::string> part;  // resolved target; empty when external or unusable
};

class Relationships {
 public:
  // Parses the .rels text of `source` (the part the targets are relative to). More than
  // `most` relationships is a FormatProblem, raised when the one too many is met.
  static Relationships parse(const std::string& relsPart, std::string_view xml,
                             std::string_view source,
                             std::size_t most = std::numeric_limits<std::size_t>::max());
  // The same, streamed from the package.
  static Relationships read(ZipArchive& zip, const std::string& relsPart, std::string_view source,
                            std::size_t most);

  const Relationship* byId(std::string_view id) const;
  // The first relationship of that kind that names a part.
  const Relationship* firstOfKind(std::string_view kind) const;
  const std::vector<Relationship>& all() const { return items_; }

 private:
  std::vector<Relationship> items_;
};

}  // namespace valdrex::io
