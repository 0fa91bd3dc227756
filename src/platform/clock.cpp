// The clock's event table and the two clocks.
//
// Every client that is registered owns one slot for its whole life, so
// scheduling only rewrites a slot and never allocates. The table is small (a
// handful of timers per window), so a linear search beats any ordered
// structure and keeps detaching from inside a handler safe: firing holds no
// iterator across a handler call.
#include "platform/clock.h"

#include <algorithm>

namespace tactolo {

void EventClock::schedule(ClockClient& client, TimeMs dueMs) {
  Slot* slot = find(client);
  if (slot == nullptr) {
    attach(client);
    slot = find(client);
  }
  slot->pending = true;
  slot->dueMs = dueMs;
  slot->sequence = nextSequence_++;
  pendingChanged();
}

void EventClock::cancel(ClockClient& client) {
  Slot* slot = find(client);
  if (slot == nullptr || !slot->pending) return;
  slot->pending = false;
  pendingChanged();
}

bool EventClock::isScheduled(const ClockClient& client) const {
  const Slot* slot = find(client);
  return slot != nullptr && slot->pending;
}

void EventClock::attach(ClockClient& client) {
  if (find(client) == nullptr) slots_.push_back(Slot{&client, false, 0, 0});
}

void EventClock::detach(ClockClient& client) {
  // The order of the slots carries no meaning (the sequence number does), so
  // the last slot may take the place of the removed one.
  Slot* slot = find(client);
  if (slot == nullptr) return;
  const bool pending = slot->pending;
  *slot = slots_.back();
  slots_.pop_back();
  if (pending) pendingChanged();
}

std::optional<TimeMs> EventClock::nextDueMs() const {
  std::optional<TimeMs> due;
  for (const Slot& slot : slots_) {
    if (slot.pending && (!due || slot.dueMs < *due)) due = slot.dueMs;
  }
  return due;
}

EventClock::Slot* EventClock::find(const ClockClient& client) {
  auto it = std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) { return s.client == &client; });
  return it == slots_.end() ? nullptr : &*it;
}

const EventClock::Slot* EventClock::find(const ClockClient& client) const {
  auto it = std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) { return s.client == &client; });
  return it == slots_.end() ? nullptr : &*it;
}

EventClock::Slot* EventClock::earliest(TimeMs limitMs) {
  Slot* best = nullptr;
  for (Slot& slot : slots_) {
    if (!slot.pending || slot.dueMs > limitMs) continue;
    if (best == nullptr || slot.dueMs < best->dueMs ||
        (slot.dueMs == best->dueMs && slot.sequence < best->sequence)) {
      best = &slot;
    }
  }
  return best;
}

void VirtualClock::advance(TimeMs ms) {
  if (ms >= 0) advanceTo(nowMs_ + ms);
}

void VirtualClock::advanceTo(TimeMs targetMs) {
  if (targetMs < nowMs_) return;
  // An event scheduled in the past fires at the current time: the clock never
  // runs backwards.
  fireUntil(targetMs, [this](TimeMs dueMs) { nowMs_ = std::max(nowMs_, dueMs); });
  nowMs_ = targetMs;
}

RealClock::RealClock() : origin_(std::chrono::steady_clock::now()) {}

TimeMs RealClock::nowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - origin_)
      .count();
}

void RealClock::runDue() {
  // The limit is taken once, so a handler that reschedules itself for "now"
  // fires on the next call rather than looping here.
  fireUntil(nowMs(), [](TimeMs) {});
}

}  // namespace tactolo
