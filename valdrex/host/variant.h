// The tagged value of the automation interface; also what a cell holds.
#pragma once

#include <cstdint>
#include <string>

#include "valdrex/export.h"
#include "valdrex/host/shared_text.h"

namespace valdrex {

namespace host {
// Anything of the host that a Variant can refer to: a worksheet, a workbook, the application.
class VALDREX_API Object {
 public:
  virtual ~Object() = default;
};
}  // namespace host

enum class VarKind : uint8_t {
  Empty,
  Integer,
  Long,
  Single,
  Double,
  Date,
  Boolean,
  Text,
  Error,
  Object
};

// A cell holds Empty, Double, Date, Boolean, Text or Error (errors only as read from a file);
// method arguments and results also use the narrower Integer, Long and Single.
class Variant {
 public:
  Variant() = default;
  Variant(const char* s) : kind_(VarKind::Text), text_(std::string(s)) {}
  Variant(std::string s) : kind_(VarKind::Text), text_(std::move(s)) {}

  static Variant integer(int16_t v) { return Variant(VarKind::Integer, v); }
  static Variant long_(int32_t v) { return Variant(VarKind::Long, v); }
  static Variant single(float v) { return Variant(VarKind::Single, v); }
  static Variant number(double v) { return Variant(VarKind::Double, v); }
  static Variant date(double serial) { return Variant(VarKind::Date, serial); }
  static Variant boolean(bool v) { return Variant(VarKind::Boolean, v ? 1 : 0); }
  static Variant text(std::string s) { return Variant(std::move(s)); }
  // A text whose memory this value shares with every other holder of it.
  static Variant text(host::SharedText s) {
    Variant v;
    v.kind_ = VarKind::Text;
    v.text_ = std::move(s);
    return v;
  }
  static Variant error(std::string code) {
    Variant v(std::move(code));
    v.kind_ = VarKind::Error;
    return v;
  }

  // A reference to a host object, borrowed for the length of a call.
  static Variant object(host::Object* o) {
    Variant v;
    v.kind_ = VarKind::Object;
    v.object_ = o;
    return v;
  }

  VarKind kind() const { return kind_; }
  bool isEmpty() const { return kind_ == VarKind::Empty; }
  bool isText() const { return kind_ == VarKind::Text; }
  bool isError() const { return kind_ == VarKind::Error; }
  bool isObject() const { return kind_ == VarKind::Object; }
  // Integer, Long, Single, Double, Date and Boolean carry a number.
  bool isNumeric() const {
    return kind_ != VarKind::Empty && kind_ != VarKind::Text && kind_ != VarKind::Error &&
           kind_ != VarKind::Object;
  }
  // The numeric payload (a Boolean True is 1 here; see numericValue for the language's -1).
  double number() const { return number_; }
  // The text of a Text value, the code of an Error value ("#N/A"), empty otherwise.
  const std::string& text() const { return text_.str(); }
  host::Object* object() const { return object_; }

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  Variant(VarKind kind, double n) : kind_(kind), number_(n) {}

  VarKind kind_ = VarKind::Empty;
  double number_ = 0;
  host::SharedText text_;  // copies of a value share its text
  host::Object* object_ = nullptr;
};

// The text of a value: empty -> "", numbers -> doubleText (singles -> singleText),
// boolean -> "True"/"False", date -> yyyy/m/d, text and error codes as they are.
VALDREX_API std::string textOf(const Variant& v);

// The value as a number for comparisons and arithmetic: Empty 0, Boolean True -1;
// a text is a TypeMismatch unless it reads entirely as a number.
VALDREX_API double numericValue(const Variant& v);

// Compare two values as the language compares Variants: two numbers numerically, two texts by
// code unit, a number below any text, Empty as 0 against a number and as "" against a text.
// An error value cannot be compared (TypeMismatch). Returns <0, 0, >0.
VALDREX_API int compareValues(const Variant& a, const Variant& b);

// Conversions of a cell value for the property sheet: empty -> 0, number -> rounded or narrowed
// with a range check, a text that reads as a number -> that number, other text -> TypeMismatch.
VALDREX_API int16_t cellToInteger(const Variant& v);
VALDREX_API float cellToSingle(const Variant& v);

}  // namespace valdrex
