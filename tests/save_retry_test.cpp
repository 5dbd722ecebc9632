// When a failed save of set.ini is tried again, and when the user hears of it.
#include <gtest/gtest.h>

#include "model/save_retry.h"

namespace orvelle {
namespace {

TEST(SaveRetry, AHeldFileIsWaitedForTwoSecondsThenToldOnceAndTriedEveryFewSeconds) {
  enum Result { Saved, Busy, Broken, Unchanged };
  struct Try {
    uint64_t atMs;
    Result result;
    int retryInMs;  // 0: no retry
    bool quick, tell;
  };
  struct Case {
    const char* what;
    std::vector<Try> tries;
  } cases[] = {
      {"a scanner lets go within the wait: nothing told",
       {{0, Busy, SaveRetry::kQuickMs, true, false},
        {200, Busy, SaveRetry::kQuickMs, true, false},
        {400, Saved, 0, false, false}}},
      {"held past the wait: told once, then tried quietly every few seconds",
       {{0, Busy, SaveRetry::kQuickMs, true, false},
        {1990, Busy, SaveRetry::kQuickMs, true, false},
        {2000, Busy, SaveRetry::kSlowMs, false, true},
        {7000, Busy, SaveRetry::kSlowMs, false, false},
        {12000, Broken, SaveRetry::kSlowMs, false, false},
        {17000, Saved, 0, false, false}}},
      {"a failure that is no sharing problem is told at once",
       {{0, Broken, SaveRetry::kSlowMs, false, true}, {5000, Broken, SaveRetry::kSlowMs, false, false}}},
      {"after a success a new failure is told again, its wait counted afresh",
       {{0, Broken, SaveRetry::kSlowMs, false, true},
        {5000, Unchanged, 0, false, false},
        {9000, Busy, SaveRetry::kQuickMs, true, false},
        {11100, Busy, SaveRetry::kSlowMs, false, true}}},
  };
  for (const Case& c : cases) {
    SaveRetry retry;
    for (const Try& t : c.tries) {
      SaveResult result;
      result.outcome = t.result == Saved       ? SaveOutcome::Saved
                       : t.result == Unchanged ? SaveOutcome::Unchanged
                                               : SaveOutcome::Failed;
      result.busy = t.result == Busy;
      const SaveRetry::Step step = retry.After(result, t.atMs);
      EXPECT_EQ(step.retryInMs.value_or(0), t.retryInMs) << c.what << " at " << t.atMs;
      EXPECT_EQ(step.quick, t.quick) << c.what << " at " << t.atMs;
      EXPECT_EQ(step.tell, t.tell) << c.what << " at " << t.atMs;
    }
  }
}

}  // namespace
}  // namespace orvelle
