// The object model's numeric codes: each format's code and back, and codes that mean nothing.
#include "valdrex/automation/object_model_codes.h"

#include <gtest/gtest.h>

#include "valdrex/host/failure.h"

namespace valdrex {
namespace {

using host::BorderSide;
using host::HAlign;
using host::LineStyle;
using host::SheetVisibility;

TEST(ObjectModelCodes, EachFormatHasItsCodeAndBack) {
  const std::pair<HAlign, int> alignments[] = {
      {HAlign::General, 1}, {HAlign::Left, -4131}, {HAlign::Center, -4108}, {HAlign::Right, -4152}};
  for (auto [a, code] : alignments) {
    EXPECT_EQ(objectModelCode(a), code);
    EXPECT_EQ(alignmentOfCode(code), a);
  }
  const std::pair<BorderSide, int> sides[] = {
      {BorderSide::Left, 1}, {BorderSide::Right, 2}, {BorderSide::Top, 3}, {BorderSide::Bottom, 4}};
  for (auto [side, code] : sides) {
    EXPECT_EQ(objectModelCode(side), code);
    EXPECT_EQ(borderSideOfCode(code), side);
  }
  EXPECT_EQ(objectModelCode(LineStyle::Continuous), 1);
  EXPECT_EQ(objectModelCode(LineStyle::None), -4142);
  EXPECT_EQ(lineStyleOfCode(-4142), LineStyle::None);
  EXPECT_EQ(objectModelCode(SheetVisibility::Visible), -1);
  EXPECT_EQ(visibilityOfCode(0), SheetVisibility::Hidden);
  EXPECT_EQ(visibilityOfCode(-1), SheetVisibility::Visible);
}

TEST(ObjectModelCodes, CodesWithoutMeaningFail) {
  const struct {
    void (*convert)();
    const char* message;
  } cases[] = {{[] { alignmentOfCode(7); }, "无效的水平对齐方式：7"},
               {[] { borderSideOfCode(5); }, "无效的边框位置：5"},
               {[] { lineStyleOfCode(2); }, "无效的边框线型：2"}};
  for (const auto& c : cases) {
    try {
      c.convert();
      ADD_FAILURE() << c.message;
    } catch (const Failure& f) {
      EXPECT_EQ(f.kind(), FailureKind::HostError);
      EXPECT_STREQ(f.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace valdrex
