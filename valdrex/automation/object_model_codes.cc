#include "valdrex/automation/object_model_codes.h"

#include <array>
#include <string>
#include <utility>

#include "valdrex/host/failure.h"

namespace valdrex {

namespace {

using host::BorderSide;
using host::HAlign;
using host::LineStyle;

constexpr std::array<std::pair<HAlign, int>, 4> kAlignments = {
    {{HAlign::General, 1}, {HAlign::Left, -4131}, {HAlign::Center, -4108}, {HAlign::Right, -4152}}};
constexpr std::array<std::pair<BorderSide, int>, 4> kSides = {
    {{BorderSide::Left, 1}, {BorderSide::Right, 2}, {BorderSide::Top, 3}, {BorderSide::Bottom, 4}}};
constexpr std::array<std::pair<LineStyle, int>, 2> kLineStyles = {
    {{LineStyle::Continuous, 1}, {LineStyle::None, -4142}}};

template <class Enum, std::size_t N>
int codeOf(const std::array<std::pair<Enum, int>, N>& table, Enum value) {
  for (const auto& [e, code] : table)
    if (e == value) return code;
  return 0;
}

template <class Enum, std::size_t N>
Enum enumOf(const std::array<std::pair<Enum, int>, N>& table, int code, const char* what) {
  for (const auto& [e, c] : table)
    if (c == code) return e;
  throw Failure(FailureKind::HostError, std::string(what) + std::to_string(code));
}

}  // namespace

int objectModelCode(HAlign alignment) { return codeOf(kAlignments, alignment); }
int objectModelCode(BorderSide side) { return codeOf(kSides, side); }
int objectModelCode(LineStyle style) { return codeOf(kLineStyles, style); }
int objectModelCode(host::SheetVisibility visibility) {
  return visibility == host::SheetVisibility::Visible ? -1 : 0;
}

HAlign alignmentOfCode(int code) { return enumOf(kAlignments, code, "无效的水平对齐方式："); }
BorderSide borderSideOfCode(int code) { return enumOf(kSides, code, "无效的边框位置："); }
LineStyle lineStyleOfCode(int code) { return enumOf(kLineStyles, code, "无效的边框线型："); }
host::SheetVisibility visibilityOfCode(int code) {
  return code == 0 ? host::SheetVisibility::Hidden : host::SheetVisibility::Visible;
}

}  // namespace valdrex
