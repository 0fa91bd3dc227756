// The plug-in's clock on Qt's event loop.
//
// Like RealClock it follows the steady system clock; instead of a host's
// poll loop, one precise single-shot QTimer waits for the earliest pending
// event and fires what is due, then waits for the next. It is re-armed only
// when the earliest due time changes, and once after each firing, so the
// main window's 20 ms tick costs one timer start per tick.
#pragma once

#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

#include "platform/clock.h"

namespace tactolo::qt {

class QtClock final : public EventClock {
 public:
  QtClock();
  ~QtClock() override;
  QtClock(const QtClock&) = delete;
  QtClock& operator=(const QtClock&) = delete;

  TimeMs nowMs() const override;
  /// Fires every event due by now, runs the round's end, then waits for the
  /// next one. The timer calls it; a host may call it too.
  void runDue();
  /// Runs after every round of due events, as a poll loop's round ends (a
  /// show hands on its beats and sends its universes there). Empty: none.
  void setAfterRound(std::function<void()> hook) { afterRound_ = std::move(hook); }

  /// The round under way or the last one: when it began (steady clock) and
  /// how long after the earliest event it fired was due, so that a host can
  /// measure how late and how long its rounds run.
  struct Round {
    std::chrono::steady_clock::time_point began{};
    std::chrono::steady_clock::duration late{};
  };
  const Round& lastRound() const { return round_; }

 protected:
  void pendingChanged() override;

 private:
  void rearm();

  std::chrono::steady_clock::time_point origin_;
  QTimer timer_;
  std::optional<TimeMs> armedFor_;
  bool firing_ = false;
  std::function<void()> afterRound_;
  Round round_;
};

}  // namespace tactolo::qt
