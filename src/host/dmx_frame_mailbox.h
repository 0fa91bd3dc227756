// What the network outputs share between the plug-in's thread and their
// sender thread: the frames handed over (FrameMailbox) and what the status
// line shows (SenderStatus).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "host/dmx_output.h"

namespace tactolo::host {

using SteadyTime = std::chrono::steady_clock::time_point;

/// The newest frame of each universe, handed from the plug-in's thread to a
/// sender thread. publish() only copies the frame under a lock that the
/// sender holds just as long as it takes to copy the frames out, and wakes
/// the sender; it never allocates and never waits on the network.
class FrameMailbox {
 public:
  /// `universes` frames, all zero.
  explicit FrameMailbox(int universes);

  int universes() const { return static_cast<int>(frames_.size()); }

  /// Plug-in's thread: universe `index` is now `frame`. Ignored once closed
  /// or when `index` is out of range.
  void publish(int index, const DmxFrame& frame);
  /// Any thread: no more frames; wakes the sender.
  void close();

  /// Sender thread: waits until a frame was published, close() was called
  /// or `until` has come, then copies every frame published since the last
  /// take into `frames` (sized universes()) and sets `changed[i]` for each
  /// (`changed` is sized universes(); flags already set stay set). Returns
  /// false once closed: the frames copied then are the final ones.
  bool take(std::vector<DmxFrame>& frames, std::vector<uint8_t>& changed, SteadyTime until);

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<DmxFrame> frames_;
  std::vector<uint8_t> published_;
  bool anyPublished_ = false;
  bool closed_ = false;
};

/// The frame rate and last error of a sender, written by the sender thread,
/// read by the status line.
class SenderStatus {
 public:
  /// Sender thread: `frames` were handed to the network at `now`. Every
  /// call (with 0 frames too) closes the measuring window once a second has
  /// passed, so the sender calls it at least once a second.
  void countFrames(int frames, SteadyTime now);
  /// Sender thread: the last error; empty while the output works.
  void setError(const std::string& error);

  DmxOutputState state(const std::string& name) const;

 private:
  std::atomic<double> framesPerSecond_{0.0};
  SteadyTime windowStart_{};
  int64_t windowFrames_ = 0;
  mutable std::mutex errorMutex_;
  std::string lastError_;
};

}  // namespace tactolo::host
