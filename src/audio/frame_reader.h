// Reading the newest frames of a stream of stereo audio.
#pragma once

#include <cstddef>

namespace tactolo {

/// A source of recent interleaved stereo float frames (full scale = 1.0), as
/// seen at the moment of the call: a live capture ring, or a file at its
/// current playback position.
class FrameReader {
 public:
  virtual ~FrameReader() = default;

  /// Copies the newest `frames` frames, oldest first, into `out`
  /// (2 * frames floats). Frames that do not exist yet (before the start of
  /// the stream) are silence. Must not allocate.
  virtual void readNewest(float* out, std::size_t frames) const = 0;
};

}  // namespace tactolo
