// Event order on the virtual clock, and the countdown built on it. The
// periodic timer and the stopwatch are pinned by the transcripts' tick and
// beat times.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "platform/timers.h"

namespace tactolo {
namespace {

struct Probe : ClockClient {
  std::function<void()> fired;
  void clockFired() override { fired(); }
};

TEST(VirtualClock, FiresInTimeOrderAndReschedulesWithinOneAdvance) {
  VirtualClock clock;
  std::vector<std::pair<char, TimeMs>> log;
  Probe a, b, c;
  a.fired = [&] { log.push_back({'a', clock.nowMs()}); };
  b.fired = [&] { log.push_back({'b', clock.nowMs()}); };
  c.fired = [&] {  // reschedules itself twice, 7 ms apart
    log.push_back({'c', clock.nowMs()});
    if (clock.nowMs() < 15) clock.schedule(c, clock.nowMs() + 7);
  };
  clock.schedule(a, 30);
  clock.schedule(b, 10);
  clock.schedule(a, 10);  // replaces 30 and ties with b, scheduled later
  clock.schedule(c, 3);
  EXPECT_EQ(clock.nextDueMs(), 3);

  clock.advanceTo(20);
  EXPECT_EQ(log, (decltype(log){{'c', 3}, {'b', 10}, {'a', 10}, {'c', 10}, {'c', 17}}));
  EXPECT_EQ(clock.nowMs(), 20);
  clock.schedule(a, 25);
  clock.cancel(a);
  clock.advanceTo(5);  // the past: nothing moves
  clock.advance(10);
  EXPECT_EQ(log.size(), 5u);
  EXPECT_EQ(clock.nowMs(), 30);
}

TEST(Countdown, RestartsOnEnableAndKeepsRunWhenDurationChanges) {
  VirtualClock clock;
  Countdown countdown(clock, 100);
  std::vector<TimeMs> expiries;
  countdown.onExpire = [&] {
    EXPECT_FALSE(countdown.enabled());
    expiries.push_back(clock.nowMs());
  };
  countdown.setEnabled(true);
  clock.advance(60);
  EXPECT_EQ(countdown.remainingMs(), 40);
  countdown.setEnabled(true);  // already running: starts over, due at 160
  countdown.setDurationMs(30);
  clock.advance(99);
  EXPECT_EQ(countdown.remainingMs(), 1);
  clock.advance(1);
  EXPECT_EQ(expiries, (std::vector<TimeMs>{160}));
  EXPECT_EQ(countdown.remainingMs(), 0);
  countdown.setEnabled(true);  // the new duration applies from now
  clock.advance(100);
  EXPECT_EQ(expiries, (std::vector<TimeMs>{160, 190}));
}

}  // namespace
}  // namespace tactolo
