#include "valdrex/host/variant.h"

#include <string>

#include "valdrex/host/arithmetic.h"
#include "valdrex/host/date.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/number_text.h"
#include "valdrex/host/text.h"

namespace valdrex {

namespace {
[[noreturn]] void mismatch(const Variant& v) {
  throw Failure(FailureKind::TypeMismatch, "类型不匹配: “" + textOf(v) + "”");
}
}  // namespace

std::string textOf(const Variant& v) {
  switch (v.kind()) {
    case VarKind::Empty:
      return "";
    case VarKind::Integer:
    case VarKind::Long:
    case VarKind::Double:
      return doubleText(v.number());
    case VarKind::Single:
      return singleText(static_cast<float>(v.number()));
    case VarKind::Date:
      return dateText(v.number());
    case VarKind::Boolean:
      return v.number() != 0 ? "True" : "False";
    case VarKind::Text:
    case VarKind::Error:
      return v.text();
    case VarKind::Object:
      return "[对象]";
  }
  return "";
}

double numericValue(const Variant& v) {
  switch (v.kind()) {
    case VarKind::Empty:
      return 0;
    case VarKind::Boolean:
      return v.number() != 0 ? -1 : 0;
    case VarKind::Text:
      if (auto n = wholeTextNumber(v.text())) return *n;
      mismatch(v);
    case VarKind::Error:
    case VarKind::Object:
      mismatch(v);
    default:
      return v.number();
  }
}

int compareValues(const Variant& a, const Variant& b) {
  for (const Variant* v : {&a, &b})
    if (v->isError() || v->isObject()) mismatch(*v);
  bool aText = a.isText() || (a.isEmpty() && b.isText());
  bool bText = b.isText() || (b.isEmpty() && a.isText());
  if (aText && bText) {
    int c = compareText(a.text(), b.text());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (aText) return 1;  // a number is less than any text
  if (bText) return -1;
  double x = numericValue(a), y = numericValue(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int16_t cellToInteger(const Variant& v) { return toInteger(numericValue(v)); }
float cellToSingle(const Variant& v) { return toSingle(numericValue(v)); }

}  // namespace valdrex
