#include "audio/frame_ring.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tactolo {

FrameRing::FrameRing(std::size_t capacityFrames)
    : capacity_(std::bit_ceil(std::max(capacityFrames, kDefaultCapacityFrames))),
      mask_(capacity_ - 1),
      samples_(2 * capacity_, 0.0f) {}

void FrameRing::write(const float* interleaved, std::size_t frames) {
  if (frames == 0) {
    return;
  }
  // Frames that this very call would overwrite again are skipped.
  const std::size_t skipped = frames > capacity_ ? frames - capacity_ : 0;
  const std::size_t kept = frames - skipped;
  interleaved += 2 * skipped;
  std::lock_guard lock(mutex_);
  const std::size_t start = static_cast<std::size_t>(written_ + skipped) & mask_;
  const std::size_t first = std::min(kept, capacity_ - start);
  std::memcpy(samples_.data() + 2 * start, interleaved, 2 * first * sizeof(float));
  std::memcpy(samples_.data(), interleaved + 2 * first, 2 * (kept - first) * sizeof(float));
  written_ += frames;
}

void FrameRing::readNewest(float* out, std::size_t frames) const {
  if (frames == 0) {
    return;
  }
  std::lock_guard lock(mutex_);
  const std::size_t available = static_cast<std::size_t>(std::min<uint64_t>(written_, capacity_));
  const std::size_t copied = std::min(frames, available);
  const std::size_t silent = frames - copied;
  std::memset(out, 0, 2 * silent * sizeof(float));
  out += 2 * silent;
  // The oldest frame to copy, as an index into the ring.
  const std::size_t start = static_cast<std::size_t>(written_ - copied) & mask_;
  const std::size_t first = std::min(copied, capacity_ - start);
  std::memcpy(out, samples_.data() + 2 * start, 2 * first * sizeof(float));
  std::memcpy(out + 2 * first, samples_.data(), 2 * (copied - first) * sizeof(float));
}

uint64_t FrameRing::framesWritten() const {
  std::lock_guard lock(mutex_);
  return written_;
}

}  // namespace tactolo
