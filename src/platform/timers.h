// The timer component of the main window: a periodic timer, one-shot
// countdowns and a stopwatch, all on an injected Clock.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/clock.h"

namespace tactolo {

/// A periodic timer. While enabled it ticks every `intervalMs`, the first
/// tick one interval after enabling. Ticks keep a fixed grid (no drift from
/// the handler's own duration). An interval of 0 or less never ticks.
class PeriodicTimer final : public ClockClient {
 public:
  PeriodicTimer(Clock& clock, int32_t intervalMs);
  ~PeriodicTimer() override;
  PeriodicTimer(const PeriodicTimer&) = delete;
  PeriodicTimer& operator=(const PeriodicTimer&) = delete;

  int32_t intervalMs() const { return intervalMs_; }
  /// A new interval takes effect from the next enabling; a running timer
  /// restarts its grid with the new interval from now.
  void setIntervalMs(int32_t intervalMs);

  bool enabled() const { return enabled_; }
  /// Enabling a disabled timer starts its grid now; enabling an enabled one
  /// changes nothing.
  void setEnabled(bool enabled);

  /// Tick handler; its argument is the time since the previous tick in ms.
  std::function<void(int32_t elapsedMs)> onTimer;

  void clockFired() override;

 private:
  Clock& clock_;
  int32_t intervalMs_;
  bool enabled_ = false;
  TimeMs lastTickMs_ = 0;
};

/// A one-shot countdown. Enabled means running. Enabling it (also when it
/// already runs) starts a fresh countdown of the current duration. On expiry
/// it stops (enabled becomes false) and then raises onExpire, whose handler
/// may enable it again.
///
/// Setting the duration of a running countdown does not touch the current
/// run: it ends at its old time, and the new duration applies from the next
/// enabling.
class Countdown final : public ClockClient {
 public:
  Countdown(Clock& clock, int32_t durationMs);
  ~Countdown() override;
  Countdown(const Countdown&) = delete;
  Countdown& operator=(const Countdown&) = delete;

  int32_t durationMs() const { return durationMs_; }
  /// Refuses (std::invalid_argument) a negative duration.
  void setDurationMs(int32_t durationMs);

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);

  /// Milliseconds until expiry while running; 0 while stopped.
  int32_t remainingMs() const;

  std::function<void()> onExpire;

  void clockFired() override;

 private:
  Clock& clock_;
  int32_t durationMs_;
  bool enabled_ = false;
  TimeMs dueMs_ = 0;
};

/// Milliseconds elapsed since creation (or the last reset).
class Stopwatch {
 public:
  explicit Stopwatch(const Clock& clock);
  /// Elapsed milliseconds as a signed 32-bit number.
  int32_t elapsedMs() const;
  void reset();

 private:
  const Clock& clock_;
  TimeMs originMs_;
};

}  // namespace tactolo
