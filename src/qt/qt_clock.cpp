#include "qt/qt_clock.h"

#include <algorithm>

namespace tactolo::qt {

QtClock::QtClock() : origin_(std::chrono::steady_clock::now()) {
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, [this] { runDue(); });
}

QtClock::~QtClock() { timer_.stop(); }

TimeMs QtClock::nowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - origin_)
      .count();
}

void QtClock::runDue() {
  // The limit is taken once, so a handler that reschedules itself for "now"
  // fires on the next round of the event loop rather than looping here.
  // (The plug-in's timers catch what their handlers raise, so firing returns.)
  firing_ = true;
  round_.began = std::chrono::steady_clock::now();
  const std::optional<TimeMs> due = nextDueMs();
  round_.late = due ? round_.began - (origin_ + std::chrono::milliseconds(*due))
                    : std::chrono::steady_clock::duration{};
  armedFor_.reset();
  fireUntil(nowMs(), [](TimeMs) {});
  if (afterRound_) afterRound_();
  firing_ = false;
  rearm();
}

void QtClock::pendingChanged() {
  // While events fire, the handlers reschedule their timers; the timer is
  // armed once, after the last of them.
  if (!firing_) rearm();
}

void QtClock::rearm() {
  const std::optional<TimeMs> due = nextDueMs();
  if (!due) {
    timer_.stop();
    armedFor_.reset();
    return;
  }
  if (timer_.isActive() && armedFor_ == due) return;
  armedFor_ = due;
  timer_.start(static_cast<int>(std::clamp<TimeMs>(*due - nowMs(), 0, 24 * 3600 * 1000)));
}

}  // namespace tactolo::qt
