// Decoded audio as heard at one moment of its playback.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/audio_source.h"
#include "audio/frame_reader.h"

namespace tactolo {

/// The newest frames of `audio` after `played` frames of playback: frame
/// `played` - 1 is the newest. Frames before the start and from the end of
/// the audio on are silence; a muted reader hears silence throughout.
/// Holds references only: make one per read, on the stack.
class PlaybackReader final : public FrameReader {
 public:
  PlaybackReader(const DecodedAudio& audio, int64_t played, bool muted = false)
      : audio_(audio), played_(played), muted_(muted) {}

  void readNewest(float* out, std::size_t frames) const override;

 private:
  const DecodedAudio& audio_;
  int64_t played_;
  bool muted_;
};

}  // namespace tactolo
