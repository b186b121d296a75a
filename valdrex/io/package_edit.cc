#include "valdrex/io/package_edit.h"

#include <algorithm>

#include "valdrex/io/format_problem.h"
#include "valdrex/io/part_names.h"

namespace valdrex::io {
PackageEdit::PackageEdit(std::string_view bytes) {
  if (bytes.empty()) return;
  zip_.emplace(ZipArchive::openMemory(bytes, ReadLimits{}));
  order_ = zip_->names();
  for (const std::string& name : order_) storedByKey_.emplace(partKey(name), name);
}

std::optional<std::string> PackageEdit::stored(std::string_view part) const {
  auto it = storedByKey_.find(partKey(part));
  if (it == storedByKey_.end()) return std::nullopt;
  return it->second;
}

bool PackageEdit::has(std::string_view part) const {
  auto name = stored(part);
  return name && !dropped_.count(*name);
}

std::string PackageEdit::text(std::string_view part) {
  auto name = stored(part);
  if (!name || dropped_.count(*name)) throw FormatProblem("缺少部件 " + std::string(part));
  if (sealed_.count(*name)) throw FormatProblem("部件 " + std::string(part) + " 已写入");
  if (auto it = replaced_.find(*name); it != replaced_.end()) return it->second;
  return zip_->read(*name);
}

std::string PackageEdit::head(std::string_view part, std::string_view marker) {
  auto name = stored(part);
  if (name && !dropped_.count(*name) && !sealed_.count(*name) && !replaced_.count(*name))
    return zip_->readUntil(*name, marker);
  return text(part);
}

std::string PackageEdit::named(std::string_view part) {
  auto name = stored(part);
  if (!name) {
    name = std::string(part);
    order_.push_back(*name);
    storedByKey_.emplace(partKey(part), *name);
  }
  if (sealed_.count(*name)) throw FormatProblem("部件 " + std::string(part) + " 已写入");
  dropped_.erase(*name);
  return *name;
}

void PackageEdit::put(std::string_view part, std::string bytes) {
  replaced_[named(part)] = std::move(bytes);
}

void PackageEdit::seal(std::string_view part, PartBuffer& bytes) {
  const std::string name = named(part);
  replaced_.erase(name);
  out_.add(name, bytes);
  sealed_[name] = true;
}

bool PackageEdit::sealed(std::string_view part) const {
  auto name = stored(part);
  return name && sealed_.count(*name);
}

void PackageEdit::drop(std::string_view part) {
  if (auto name = stored(part)) {
    if (sealed_.count(*name)) throw FormatProblem("部件 " + std::string(part) + " 已写入");
    dropped_[*name] = true;
  }
}

std::string PackageEdit::freeName(std::string_view prefix, std::string_view suffix) const {
  for (int n = 1;; ++n) {
    std::string name = std::string(prefix) + std::to_string(n) + std::string(suffix);
    if (!stored(name)) return name;
  }
}

PartBuffer PackageEdit::finish() { return finish("", {}); }

PartBuffer PackageEdit::finish(
    const std::string& last,
    const std::function<std::string(const std::vector<PartSum>&)>& makeLast) {
  const std::string lastName = last.empty() ? "" : named(last);
  std::vector<std::string> kept;
  for (const std::string& name : order_) {
    if (dropped_.count(name)) continue;
    kept.push_back(name);
    if (sealed_.count(name) || name == lastName) continue;
    if (auto it = replaced_.find(name); it != replaced_.end())
      out_.add(name, std::string_view(it->second));
    else
      out_.copy(*zip_, name);
  }
  if (!lastName.empty()) {
    const std::string& made = replaced_[lastName] = makeLast(out_.sums());
    out_.add(lastName, std::string_view(made));
  }
  return out_.finish(kept);
}

}  // namespace valdrex::io
