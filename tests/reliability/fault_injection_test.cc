// Every host operation of a call fails in turn: the call must end the way its failure mode says,
// never with another exception, a crash or a sanitizer report.
#include <gmock/gmock.h>

#include <functional>

#include "reliability/faulty_host.h"
#include "valdrex/gradebook/limits_message.h"

namespace valdrex::testing {
namespace {

enum class Outcome { Returned, Failed, Other };

using Step = std::function<void(FaultySession&)>;
// Judges one faulty call; k is the failing operation, n the operations of a clean call.
using Verdict = std::function<void(FaultySession&, Outcome, long k, long n)>;

Outcome outcomeOf(FaultySession& w, const Step& call) {
  try {
    call(w);
    return Outcome::Returned;
  } catch (const Failure&) {
    return Outcome::Failed;
  } catch (const std::exception& e) {
    ADD_FAILURE() << "escaped: " << e.what();
  } catch (...) {
    ADD_FAILURE() << "escaped: an exception that is not std::exception";
  }
  return Outcome::Other;
}

// Counts the operations of a clean call, then makes each of them fail once on a fresh workbook.
// Returns the number of faults injected.
long sweep(const Step& prepare, const Step& call, const Verdict& verdict) {
  auto w = std::make_unique<FaultySession>();
  w->freshBook();
  prepare(*w);
  w->arm(0);
  EXPECT_EQ(outcomeOf(*w, call), Outcome::Returned) << "the clean call failed";
  EXPECT_THAT(w->vd.skippedSteps(), ::testing::IsEmpty()) << "a clean call skips nothing";
  long n = w->plan.count;
  EXPECT_GT(n, 0) << "the call used no host operation";
  for (long k = 1; k <= n; ++k) {
    w->freshBook();
    prepare(*w);
    w->arm(k);
    Outcome outcome = outcomeOf(*w, call);
    // A clean call's first k-1 operations are the same, so the k-th is always reached.
    EXPECT_TRUE(w->plan.failed.has_value()) << "k=" << k;
    std::string what = w->plan.failed ? std::string(operationName(*w->plan.failed)) : "?";
    SCOPED_TRACE("operation " + std::to_string(k) + " of " + std::to_string(n) + ": " + what);
    if (outcome != Outcome::Other) verdict(*w, outcome, k, n);
    if (::testing::Test::HasFailure()) break;  // one broken k tells the story
  }
  return n;
}

void load(FaultySession& w) {
  auto& sh = w.sheet("成绩表");
  w.vd.初始化(sh);
  w.vd.载入班级(sh);
  w.vd.载入成绩(sh, w.sheet("属性表"));
  w.vd.求和();
  w.vd.各科排名();
  w.vd.统计(w.sheet("属性表"));
}

TEST(FaultInjection, EveryFailingOperationOfTheRunIsSkippedAndTheRunCompletes) {
  // The run starts with the three loading steps, the property sheet looked up once: a fault
  // there ends the loading step with the limits message.
  long loading = 0;
  {
    FaultySession w;
    w.freshBook();
    auto& sh = w.sheet("成绩表");
    w.vd.初始化(sh);
    w.vd.载入班级(sh);
    w.vd.载入成绩(sh, w.wb->sheet("属性表"));
    loading = w.plan.count;
  }
  Step run = [](FaultySession& w) { w.vd.输出(&w.app, *w.wb, w.sheet("成绩表")); };
  long n = sweep([](FaultySession&) {}, run,
                 [&](FaultySession& w, Outcome outcome, long k, long n) {
                   EXPECT_EQ(outcome, Outcome::Returned);
                   // Past the loading, whose steps tell with their limits message, every fault
                   // is a step the run reports as skipped.
                   const auto& skipped = w.vd.skippedSteps();
                   EXPECT_TRUE(k <= loading || !skipped.empty());
                   if (k == n) {
                     EXPECT_EQ(w.plan.failed, Operation::MessageBox);
                     EXPECT_FALSE(w.showed("成绩统计操作完成!"));
                     ASSERT_FALSE(skipped.empty());
                     EXPECT_EQ(skipped.back().step, "完成提示");
                   } else {
                     ASSERT_FALSE(w.ui.messages().empty());
                     EXPECT_EQ(w.ui.messages().back(), "成绩统计操作完成!");
                   }
                   EXPECT_EQ(w.showed(kLimitsMessage), k <= loading);
                 });
  EXPECT_GT(loading, 10);
  EXPECT_GT(n, loading + 100);
  ::testing::Test::RecordProperty("faults", static_cast<int>(n));
}

enum class Mode { Skip, Limits, ReachCaller };

struct MethodCase {
  const char* name;
  Mode mode;
  Step prepare;
  Step call;
};

Variant num(double x) { return Variant::number(x); }

TEST(FaultInjection, EachMethodFailsTheWayItsModeSays) {
  Step none = [](FaultySession&) {};
  using S = FaultySession;
  // clang-format off
  const MethodCase cases[] = {
      {"初始化", Mode::Limits, none, [](S& w) { w.vd.初始化(w.sheet("成绩表")); }},
      {"载入班级", Mode::Limits, [](S& w) { w.vd.初始化(w.sheet("成绩表")); },
       [](S& w) { w.vd.载入班级(w.sheet("成绩表")); }},
      {"载入成绩", Mode::Limits,
       [](S& w) { w.vd.初始化(w.sheet("成绩表")); w.vd.载入班级(w.sheet("成绩表")); },
       [](S& w) { w.vd.载入成绩(w.sheet("成绩表"), w.sheet("属性表")); }},
      {"F总人数", Mode::Skip, none, [](S& w) { w.vd.F总人数(w.sheet("成绩表")); }},
      {"F班级数", Mode::Skip, [](S& w) { w.vd.初始化(w.sheet("成绩表")); },
       [](S& w) { w.vd.F班级数(w.sheet("成绩表"), w.sheet("属性表")); }},
      {"各班成绩表 plain", Mode::Skip, load,
       [](S& w) { bool xx = false; w.vd.各班成绩表(w.sheet("输出表"), xx); }},
      {"各班成绩表 detailed", Mode::Skip, load,
       [](S& w) { bool xx = true; w.vd.各班成绩表(w.sheet("各班详细排名"), xx); }},
      {"复制工作表", Mode::Skip,
       [](S& w) { load(w); bool xx = false; w.vd.各班成绩表(w.sheet("输出表"), xx); },
       [](S& w) { w.vd.复制工作表(w.sheet("输出表"), w.sheet("各班排名表")); }},
      {"排名", Mode::ReachCaller, none, [](S& w) {
         Variant a = num(4), b = num(4), c = num(8), d = num(4), e = num(7);
         w.vd.排名(a, b, c, d, e, w.sheet("成绩表")); }},
      {"新排名", Mode::ReachCaller, none, [](S& w) {
         Variant b = num(1), c = num(4), d = num(5);
         std::string f = "成绩表";
         w.vd.新排名(b, c, d, f); }},
      {"加边框", Mode::ReachCaller, none, [](S& w) {
         Variant x1 = num(3), y1 = num(1), x2 = num(8), y2 = num(5);
         w.vd.加边框(w.sheet("成绩表"), x1, y1, x2, y2); }},
      {"分段统计", Mode::ReachCaller, load, [](S& w) { w.vd.分段统计(w.sheet("分数段统计")); }},
      {"保存", Mode::ReachCaller, [](S& w) { w.book->setSaver([](host::MemoryWorkbook&) {}); },
       [](S& w) { w.vd.保存(); }},
      {"帮助", Mode::ReachCaller, [](S& w) { w.ui.queueButton(host::Button::no); },
       [](S& w) { w.vd.帮助(); }},
  };
  // clang-format on
  long total = 0;
  for (const MethodCase& m : cases) {
    SCOPED_TRACE(m.name);
    total += sweep(m.prepare, m.call, [&](FaultySession& w, Outcome outcome, long, long) {
      switch (m.mode) {
        case Mode::Skip:
          EXPECT_EQ(outcome, Outcome::Returned);
          break;
        case Mode::Limits:
          EXPECT_EQ(outcome, Outcome::Returned);
          EXPECT_TRUE(w.showed(kLimitsMessage));
          break;
        case Mode::ReachCaller:
          EXPECT_EQ(outcome, Outcome::Failed);
          break;
      }
    });
  }
  ::testing::Test::RecordProperty("faults", static_cast<int>(total));
}

}  // namespace
}  // namespace valdrex::testing
