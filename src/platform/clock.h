// Time for the plug-in logic: one clock interface, two clocks.
//
// Every timer, countdown and stopwatch of the logic runs on a Clock. The
// VirtualClock is advanced by hand (tests, offline analysis: as fast as the
// CPU allows); the RealClock follows the steady system clock and is driven by
// the host's event loop, which asks when the next event is due and calls
// runDue() then. Either way, events fire one at a time on the caller's
// thread, in time order; events due at the same millisecond fire in the
// order they were scheduled.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tactolo {

using TimeMs = int64_t;

/// Something that a clock fires at a due time. A client has at most one
/// pending event; scheduling it again replaces the pending one.
class ClockClient {
 public:
  virtual ~ClockClient() = default;
  /// Called by the clock when the client's due time has come. The client is
  /// no longer scheduled when this runs; it may schedule itself again.
  virtual void clockFired() = 0;
};

/// The clock interface the logic runs on. It is one of the platform services
/// a host hands to the plug-in library, so it is abstract: the library calls
/// the host's clock only through these members.
class Clock {
 public:
  virtual ~Clock() = default;
  /// Milliseconds since the clock's origin.
  virtual TimeMs nowMs() const = 0;
  /// Makes `client` fire at `dueMs` (replacing any pending event of it).
  /// Does not allocate once the client is registered.
  virtual void schedule(ClockClient& client, TimeMs dueMs) = 0;
  /// Removes the pending event of `client`, if any.
  virtual void cancel(ClockClient& client) = 0;
  virtual bool isScheduled(const ClockClient& client) const = 0;
  /// Registers a client; registration allocates, scheduling does not.
  virtual void attach(ClockClient& client) = 0;
  /// Forgets a client (its pending event is dropped). Clients detach in their
  /// destructor.
  virtual void detach(ClockClient& client) = 0;
  /// Due time of the earliest pending event.
  virtual std::optional<TimeMs> nextDueMs() const = 0;
};

/// The event table both clocks share: one slot per registered client.
class EventClock : public Clock {
 public:
  void schedule(ClockClient& client, TimeMs dueMs) final;
  void cancel(ClockClient& client) final;
  bool isScheduled(const ClockClient& client) const final;
  void attach(ClockClient& client) final;
  void detach(ClockClient& client) final;
  std::optional<TimeMs> nextDueMs() const final;

  /// Runs `hook` after each event the clock fires, once the client's
  /// clockFired() has returned (empty: nothing). A host hands on there what
  /// the event sent, read with the state that event left. The hook may
  /// schedule and cancel events; it is not called for the clock's own
  /// bookkeeping.
  void setAfterEvent(std::function<void()> hook) { afterEvent_ = std::move(hook); }

 protected:
  /// Fires every event due at or before `limitMs`, one at a time in time
  /// order, calling `setNow` with each event's due time before firing it.
  template <class SetNow>
  void fireUntil(TimeMs limitMs, SetNow setNow);
  /// Called after a schedule, cancel or detach changed the pending events,
  /// so that a clock on an event loop can wait for the new earliest one.
  virtual void pendingChanged() {}

 private:
  struct Slot {
    ClockClient* client;
    bool pending;
    TimeMs dueMs;
    uint64_t sequence;
  };
  Slot* find(const ClockClient& client);
  const Slot* find(const ClockClient& client) const;
  Slot* earliest(TimeMs limitMs);

  std::vector<Slot> slots_;
  uint64_t nextSequence_ = 0;
  std::function<void()> afterEvent_;
};

/// A clock that moves only when told to. Deterministic.
class VirtualClock final : public EventClock {
 public:
  TimeMs nowMs() const override { return nowMs_; }
  /// Moves time forward by `ms`, firing every event that falls due on the way.
  void advance(TimeMs ms);
  /// Moves time forward to `targetMs` (no-op when it lies in the past).
  void advanceTo(TimeMs targetMs);

 private:
  TimeMs nowMs_ = 0;
};

/// A clock on the steady system clock, driven by an event loop.
class RealClock final : public EventClock {
 public:
  RealClock();
  TimeMs nowMs() const override;
  /// Fires every event due by now. The event loop calls this when
  /// nextDueMs() has come.
  void runDue();

 private:
  std::chrono::steady_clock::time_point origin_;
};

template <class SetNow>
void EventClock::fireUntil(TimeMs limitMs, SetNow setNow) {
  while (Slot* slot = earliest(limitMs)) {
    slot->pending = false;
    setNow(slot->dueMs);
    slot->client->clockFired();
    if (afterEvent_) afterEvent_();
  }
}

}  // namespace tactolo
