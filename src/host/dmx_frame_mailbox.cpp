#include "host/dmx_frame_mailbox.h"

namespace tactolo::host {

FrameMailbox::FrameMailbox(int universes)
    : frames_(static_cast<std::size_t>(universes)), published_(static_cast<std::size_t>(universes), 0) {
  for (DmxFrame& frame : frames_) frame.fill(0);
}

void FrameMailbox::publish(int index, const DmxFrame& frame) {
  if (index < 0 || index >= universes()) return;
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    frames_[static_cast<std::size_t>(index)] = frame;
    published_[static_cast<std::size_t>(index)] = 1;
    anyPublished_ = true;
  }
  wake_.notify_one();
}

void FrameMailbox::close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  wake_.notify_one();
}

bool FrameMailbox::take(std::vector<DmxFrame>& frames, std::vector<uint8_t>& changed, SteadyTime until) {
  std::unique_lock lock(mutex_);
  wake_.wait_until(lock, until, [this] { return anyPublished_ || closed_; });
  if (anyPublished_) {
    for (std::size_t i = 0; i < frames_.size(); ++i) {
      if (!published_[i]) continue;
      frames[i] = frames_[i];
      changed[i] = 1;
      published_[i] = 0;
    }
    anyPublished_ = false;
  }
  return !closed_;
}

void SenderStatus::countFrames(int frames, SteadyTime now) {
  if (windowStart_ == SteadyTime{}) windowStart_ = now;
  windowFrames_ += frames;
  const std::chrono::duration<double> elapsed = now - windowStart_;
  if (elapsed.count() >= 1.0) {
    framesPerSecond_.store(static_cast<double>(windowFrames_) / elapsed.count());
    windowStart_ = now;
    windowFrames_ = 0;
  }
}

void SenderStatus::setError(const std::string& error) {
  std::lock_guard lock(errorMutex_);
  if (lastError_ != error) lastError_ = error;
}

DmxOutputState SenderStatus::state(const std::string& name) const {
  DmxOutputState state;
  state.name = name;
  state.framesPerSecond = framesPerSecond_.load();
  std::lock_guard lock(errorMutex_);
  state.lastError = lastError_;
  return state;
}

}  // namespace tactolo::host
