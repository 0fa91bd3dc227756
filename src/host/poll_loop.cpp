#include "host/poll_loop.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <stdexcept>

namespace tactolo::host {

namespace {

/// More descriptors than a show watches (signals, OSC, notices).
constexpr std::size_t kMaxWatched = 8;

}  // namespace

void PollLoop::watch(int fd, std::function<void()> onReadable) {
  if (fd < 0) return;
  if (watched_.size() == kMaxWatched) throw std::logic_error("the event loop watches too many descriptors");
  watched_.push_back({fd, std::move(onReadable)});
}

PollLoop::Wake PollLoop::run(std::optional<TimeMs> deadlineMs, const std::function<bool()>& until) {
  std::array<pollfd, kMaxWatched> fds{};
  for (;;) {
    clock_.runDue();
    if (afterRound_) afterRound_();
    if (until && until()) return Wake::Condition;
    const TimeMs now = clock_.nowMs();
    if (deadlineMs && now >= *deadlineMs) return Wake::Deadline;

    // Sleep until the next event or the deadline, whichever comes first;
    // forever (-1) when neither is there.
    std::optional<TimeMs> wakeAt = clock_.nextDueMs();
    if (deadlineMs) wakeAt = wakeAt ? std::min(*wakeAt, *deadlineMs) : *deadlineMs;
    int timeoutMs = -1;
    if (wakeAt) timeoutMs = static_cast<int>(std::clamp<TimeMs>(*wakeAt - now, 0, INT_MAX));
    if (timeoutMs == 0) continue;
    for (std::size_t i = 0; i < watched_.size(); ++i) fds[i] = {watched_[i].fd, POLLIN, 0};
    const int ready = ::poll(fds.data(), watched_.size(), timeoutMs);
    if (ready < 0 && errno != EINTR) throw std::runtime_error("the event loop cannot wait");
    if (ready <= 0) continue;
    for (std::size_t i = 0; i < watched_.size(); ++i) {
      if (fds[i].revents != 0) watched_[i].onReadable();
    }
  }
}

}  // namespace tactolo::host
