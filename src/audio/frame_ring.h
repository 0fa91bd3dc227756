// A ring of the most recent stereo frames, shared by one writer (a capture
// thread) and one reader (the detection cycle).
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "audio/frame_reader.h"

namespace tactolo {

/// Keeps the newest `capacityFrames()` interleaved stereo float frames.
///
/// One thread appends with write(); another copies the newest frames out with
/// readNewest(). Both take a mutex that is held only for the copy, and neither
/// allocates. A frame is two floats (left, right), full scale = 1.0.
class FrameRing final : public FrameReader {
 public:
  /// Default capacity: 8192 frames (about 186 ms at 44100 Hz).
  static constexpr std::size_t kDefaultCapacityFrames = 8192;

  /// `capacityFrames` is rounded up to a power of two and to at least
  /// kDefaultCapacityFrames.
  explicit FrameRing(std::size_t capacityFrames = kDefaultCapacityFrames);

  FrameRing(const FrameRing&) = delete;
  FrameRing& operator=(const FrameRing&) = delete;

  /// Number of frames the ring holds.
  std::size_t capacityFrames() const { return capacity_; }

  /// Appends `frames` interleaved stereo frames (2 * frames floats). When more
  /// than the capacity is written at once, only the newest frames are kept.
  void write(const float* interleaved, std::size_t frames);

  /// Copies the newest `frames` frames, oldest first, into `out`
  /// (2 * frames floats). Frames never written, or already overwritten,
  /// come out as silence (zeros) at the start. Does not allocate.
  void readNewest(float* out, std::size_t frames) const override;

  /// Total number of frames written since construction.
  uint64_t framesWritten() const;

 private:
  std::size_t capacity_;
  std::size_t mask_;
  std::vector<float> samples_;  // 2 * capacity_ floats
  uint64_t written_ = 0;
  mutable std::mutex mutex_;
};

}  // namespace tactolo
