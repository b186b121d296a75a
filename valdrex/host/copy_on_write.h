// A value that copies share until one of them is changed: copying a sheet's rows to another
// sheet, or to the clipboard, costs nothing for the rows nobody edits afterwards.
#pragma once

#include <memory>

namespace valdrex::host {

template <class T>
class CopyOnWrite {
 public:
  CopyOnWrite() = default;
  explicit CopyOnWrite(T value) : value_(std::make_shared<T>(std::move(value))) {}

  const T& read() const { return value_ ? *value_ : empty(); }
  // The value for changing; a shared one is copied first, so the other holders keep theirs.
  // The holders of one value belong to one workbook, used by one thread at a time, so the count
  // of holders is exact here.
  T& write() {
    if (!value_)
      value_ = std::make_shared<T>();
    else if (value_.use_count() > 1)
      value_ = std::make_shared<T>(*value_);
    return *value_;
  }

 private:
  static const T& empty() {
    static const T nothing{};
    return nothing;
  }
  std::shared_ptr<T> value_;
};

}  // namespace valdrex::host
