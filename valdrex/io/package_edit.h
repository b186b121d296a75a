// A package being rewritten: the parts of the file it was read from, a few of them replaced,
// dropped or added. What is not touched is copied as it was stored.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/io/part_buffer.h"
#include "valdrex/io/zip_archive.h"
#include "valdrex/io/zip_writer.h"

namespace valdrex::io {

// Failures are FormatProblems (the caller names the file).
class PackageEdit {
 public:
  // The parts of `bytes` (a package), or none when empty. The bytes must outlive the edit.
  explicit PackageEdit(std::string_view bytes);

  // Called with every part put, sealed or added, before it is compressed (on any core).
  void checkEachWritten(std::function<void(std::string_view part, std::string_view bytes)> check) {
    out_.checkEach(std::move(check));
  }

  // Part names compare ignoring case, as the package format says.
  bool has(std::string_view part) const;
  // The part as it stands now: its replacement, or as stored.
  std::string text(std::string_view part);
  // Its beginning, as far as `marker` (all of it when the marker is not there).
  std::string head(std::string_view part, std::string_view marker);
  void put(std::string_view part, std::string bytes);  // replaces or adds
  // The part's last version, compressed now (on another core when there is one) so that its
  // memory serves the next part: `bytes` comes back empty. The part is not read or changed again.
  void seal(std::string_view part, PartBuffer& bytes);
  bool sealed(std::string_view part) const;
  void drop(std::string_view part);
  // A part name not yet in use: prefix + n + suffix with the smallest n from 1.
  std::string freeName(std::string_view prefix, std::string_view suffix) const;

  // The package's bytes: parts in their stored order, new parts after them.
  PartBuffer finish();
  // The same, with `last` (replaced or added) made after every other part, from their checksums
  // and sizes.
  PartBuffer finish(const std::string& last,
                    const std::function<std::string(const std::vector<PartSum>&)>& makeLast);

 private:
  std::optional<std::string> stored(std::string_view part) const;  // the stored name
  std::string named(std::string_view part);  // the name to write it under, adding it when new

  std::optional<ZipArchive> zip_;
  std::vector<std::string> order_;                  // stored names, then new ones
  std::map<std::string, std::string> storedByKey_;  // lower-case name -> stored name
  std::map<std::string, std::string> replaced_;     // by name as in order_
  std::map<std::string, bool> dropped_;
  std::map<std::string, bool> sealed_;
  ZipWriter out_;
};

}  // namespace valdrex::io
