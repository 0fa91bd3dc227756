// The terminal host's event loop: a RealClock and a set of file descriptors,
// waited on with poll().
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/clock.h"

namespace tactolo::host {

/// Sleeps in poll() until the clock's next event is due or a watched
/// descriptor becomes readable, runs what is due, and after every round
/// (the clock's due events, or a descriptor's handler) runs the round's
/// end. Never waits while an event is due, never spins while none is.
/// Everything runs on the thread that calls run().
class PollLoop {
 public:
  explicit PollLoop(RealClock& clock) : clock_(clock) {}

  RealClock& clock() { return clock_; }
  /// Calls `onReadable` whenever `fd` is readable (-1: ignored).
  void watch(int fd, std::function<void()> onReadable);
  /// Runs after every round.
  void setAfterRound(std::function<void()> afterRound) { afterRound_ = std::move(afterRound); }

  enum class Wake { Condition, Deadline };
  /// Runs rounds until `until` holds (checked after each round) or the
  /// clock reaches `deadlineMs`. std::runtime_error when poll() fails.
  Wake run(std::optional<TimeMs> deadlineMs, const std::function<bool()>& until);

 private:
  struct Watched {
    int fd;
    std::function<void()> onReadable;
  };

  RealClock& clock_;
  std::vector<Watched> watched_;
  std::function<void()> afterRound_;
};

}  // namespace tactolo::host
