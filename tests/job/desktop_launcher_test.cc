// Starting desktop programs: success only when the opener itself reports it.
#include "valdrex/job/session/desktop_launcher.h"

#include <gmock/gmock.h>

#include "valdrex/host/failure.h"

namespace valdrex {
namespace {

TEST(DesktopLauncher, FailsClearlyWhenTheOpenerCannotStartOrFails) {
  DesktopLauncher launcher;
  EXPECT_NO_THROW(launcher.start({"true", "file:///tmp/x.html"}));
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"valdrex-no-such-opener", "x"}, {"false", "说明.txt"}, {}}) {
    try {
      launcher.start(command);
      ADD_FAILURE() << "no failure for " << ::testing::PrintToString(command);
    } catch (const Failure& f) {
      EXPECT_EQ(f.kind(), FailureKind::HostError);
      EXPECT_THAT(f.what(), ::testing::AnyOf(::testing::HasSubstr("无法启动"),
                                             ::testing::HasSubstr("没能打开"),
                                             ::testing::HasSubstr("没有要启动的程序")));
    }
  }
}

}  // namespace
}  // namespace valdrex
