// What every capture back-end answers to ChannelGetData and ChannelGetLevel,
// computed from the newest frames of a FrameReader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/capture_library.h"
#include "audio/frame_reader.h"
#include "audio/spectrum.h"

namespace tactolo {

/// Bytes of channel data behind one kDataFft2048 request: kFftSize stereo
/// float frames.
constexpr int32_t kFftRequestBytes = kFftSize * 2 * static_cast<int32_t>(sizeof(float));

/// Makes `count` samples safe to analyse: NaN and infinities become 0 and
/// everything else is clipped to [-1, 1]. A source may hold anything (a
/// float file with a NaN, bursts of 1e30): one such sample would otherwise
/// poison the spectrum, and through it the detection history, for long
/// after.
void sanitizeSamples(float* samples, std::size_t count);

/// Turns the newest frames of a stream into the results of ChannelGetData
/// (kDataFft2048) and ChannelGetLevel. Every back-end answers through this
/// class, so that the samples of every back-end go through
/// sanitizeSamples() before the spectrum and the level see them. Holds its
/// own SpectrumAnalyzer and a frame buffer made in the constructor: no call
/// allocates. Not for use by two threads at once.
class CaptureAnalysis {
 public:
  CaptureAnalysis();

  /// Answers ChannelGetData: with kDataFft2048, writes kSpectrumBins
  /// magnitudes of the newest kFftSize frames of `reader` to `buffer` and
  /// returns kFftRequestBytes. Any other request returns -1 and sets `error`
  /// to kErrorNotAvailable.
  int32_t data(const FrameReader& reader, float* buffer, uint32_t request, int32_t& error);

  /// Answers ChannelGetLevel: the level word of the newest kLevelFrames
  /// frames of `reader` (see levelWord()).
  uint32_t level(const FrameReader& reader);

 private:
  SpectrumAnalyzer spectrum_;
  std::vector<float> frames_;  // 2 * kFftSize floats
};

}  // namespace tactolo
