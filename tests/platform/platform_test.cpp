// Event order on the virtual clock and the countdown built on it, and the
// refusals and notifications of the control model. The periodic timer, the
// stopwatch and the controls as the windows use them are pinned by the
// transcripts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/control_model.h"
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

TEST(ControlModel, RefusedValuesChangeNothingAndHandlersRunOnlyOnChange) {
  Form form("frmMain", {0, 0, 9000, 6000});
  auto& combo = form.add<ComboBox>("cboDevice", -1, nullptr, {});
  auto& check = form.add<CheckBox>("chkAuto", -1, nullptr, {});
  auto& slider = form.add<Slider>("sldGain", -1, nullptr, {}, 0, 100, 50);
  combo.addItem("Line in");
  combo.addItem("Microphone");
  std::string events;
  int views = 0;
  combo.onClick = [&] { events += 'l' + std::to_string(combo.listIndex()); };
  combo.observe([&](const Control&) { ++views; });
  check.onClick = [&] { events += 'k' + std::to_string(check.value()); };
  slider.onScroll = [&] { events += 's' + std::to_string(slider.value()); };
  slider.onChange = [&] { events += 'c' + std::to_string(slider.value()); };

  // A list clicks on every position set, the same one too.
  combo.setListIndex(1);
  combo.setListIndex(1);
  for (int bad : {-2, 2}) EXPECT_THROW(combo.setListIndex(bad), ControlError);
  EXPECT_THROW(combo.itemData(2), ControlError);
  check.setValue(2);
  check.setValue(2);
  check.click();
  EXPECT_THROW(check.setValue(3), ControlError);
  // The scroll handler reads the new position; a drag to where the slider
  // stands scrolls without a change; a disabled one does not move.
  slider.setValue(50);
  slider.drag(70);
  slider.drag(70);
  EXPECT_THROW(slider.drag(101), ControlError);
  EXPECT_THROW(slider.setMax(-1), ControlError);  // below the minimum
  slider.setEnabled(false);
  slider.drag(10);
  EXPECT_EQ(events, "l1l1k2k0s70c70s70");
  EXPECT_EQ(combo.listIndex(), 1);
  EXPECT_EQ(views, 1);
  EXPECT_EQ(slider.value(), 70);
  EXPECT_THROW(form.setWindowState(3), ControlError);
}

}  // namespace
}  // namespace tactolo
