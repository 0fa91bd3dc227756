// The plug-in's clock on Qt's event loop: events fire from the loop, in
// time order, never before they are due; a handler's reschedule and a
// cancel take effect.
#include "qt/qt_clock.h"

#include <gtest/gtest.h>

#include <QTest>
#include <vector>

namespace tactolo::testing {
namespace {

/// Fires `times` times, rescheduling itself `periodMs` after each due time,
/// and notes the clock's time at each firing.
class Ticker final : public ClockClient {
 public:
  Ticker(Clock& clock, TimeMs periodMs, int times) : clock_(clock), periodMs_(periodMs), times_(times) {}
  void start() {
    due_ = clock_.nowMs() + periodMs_;
    clock_.schedule(*this, due_);
  }
  void clockFired() override {
    fired.push_back({due_, clock_.nowMs()});
    if (static_cast<int>(fired.size()) == times_) return;
    due_ += periodMs_;
    clock_.schedule(*this, due_);
  }
  ~Ticker() override { clock_.detach(*this); }

  struct Firing {
    TimeMs due;
    TimeMs at;
  };
  std::vector<Firing> fired;

 private:
  Clock& clock_;
  TimeMs periodMs_;
  int times_;
  TimeMs due_ = 0;
};

TEST(QtClockTest, FiresWhatIsDueFromQtsEventLoop) {
  qt::QtClock clock;
  Ticker tick(clock, 20, 5);
  Ticker slow(clock, 45, 2);
  Ticker cancelled(clock, 10, 1);
  tick.start();
  slow.start();
  cancelled.start();
  clock.cancel(cancelled);

  ASSERT_TRUE(QTest::qWaitFor([&] { return tick.fired.size() == 5 && slow.fired.size() == 2; }, 5000));
  for (const auto* ticker : {&tick, &slow}) {
    for (const Ticker::Firing& firing : ticker->fired) EXPECT_GE(firing.at, firing.due);
  }
  EXPECT_TRUE(cancelled.fired.empty());
  EXPECT_FALSE(clock.nextDueMs().has_value());
}

}  // namespace
}  // namespace tactolo::testing
