// Periodic timer, countdown and stopwatch on a Clock.
#include "platform/timers.h"

#include <algorithm>
#include <stdexcept>

namespace tactolo {

PeriodicTimer::PeriodicTimer(Clock& clock, int32_t intervalMs) : clock_(clock), intervalMs_(intervalMs) {
  clock_.attach(*this);
}

PeriodicTimer::~PeriodicTimer() { clock_.detach(*this); }

void PeriodicTimer::setIntervalMs(int32_t intervalMs) {
  intervalMs_ = intervalMs;
  if (!enabled_) return;
  lastTickMs_ = clock_.nowMs();
  if (intervalMs_ > 0) {
    clock_.schedule(*this, lastTickMs_ + intervalMs_);
  } else {
    clock_.cancel(*this);
  }
}

void PeriodicTimer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (!enabled_) {
    clock_.cancel(*this);
    return;
  }
  lastTickMs_ = clock_.nowMs();
  // An interval of zero would tick forever without time moving on; such a
  // timer stays enabled but silent until it gets a real interval.
  if (intervalMs_ > 0) clock_.schedule(*this, lastTickMs_ + intervalMs_);
}

void PeriodicTimer::clockFired() {
  if (!enabled_ || intervalMs_ <= 0) return;
  // The next tick is booked before the handler runs, on the grid of due
  // times rather than from "now": a slow handler (or a late event loop) does
  // not shift later ticks. The handler may still disable the timer or change
  // its interval, which replaces this booking.
  const int32_t interval = intervalMs_;
  lastTickMs_ += interval;
  clock_.schedule(*this, lastTickMs_ + interval);
  if (onTimer) onTimer(interval);
}

Countdown::Countdown(Clock& clock, int32_t durationMs) : clock_(clock), durationMs_(0) {
  setDurationMs(durationMs);
  clock_.attach(*this);
}

Countdown::~Countdown() { clock_.detach(*this); }

void Countdown::setDurationMs(int32_t durationMs) {
  if (durationMs < 0) throw std::invalid_argument("Countdown duration must not be negative");
  durationMs_ = durationMs;
}

void Countdown::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (enabled_) {
    dueMs_ = clock_.nowMs() + durationMs_;
    clock_.schedule(*this, dueMs_);
  } else {
    clock_.cancel(*this);
  }
}

int32_t Countdown::remainingMs() const {
  if (!enabled_) return 0;
  return static_cast<int32_t>(std::max<TimeMs>(0, dueMs_ - clock_.nowMs()));
}

void Countdown::clockFired() {
  if (!enabled_) return;
  // Stopped first, so that the handler sees a finished countdown and can
  // start the next one simply by enabling it.
  enabled_ = false;
  if (onExpire) onExpire();
}

Stopwatch::Stopwatch(const Clock& clock) : clock_(clock), originMs_(clock.nowMs()) {}

int32_t Stopwatch::elapsedMs() const {
  // Wraps like a 32-bit tick counter after about 24.8 days.
  return static_cast<int32_t>(static_cast<uint32_t>(clock_.nowMs() - originMs_));
}

void Stopwatch::reset() { originMs_ = clock_.nowMs(); }

}  // namespace tactolo
