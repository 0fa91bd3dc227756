// Signals made on the spot for the audio tests.
#pragma once

#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

#include "audio/capture_library.h"

namespace tactolo::testing {

/// Frequency in Hz of the centre of FFT bin `bin`.
inline double binHz(double bin) { return bin * kCaptureRate / kFftSize; }

/// `frames` interleaved stereo frames, left(i) and right(i) per frame.
template <class Left, class Right>
std::vector<float> stereo(std::size_t frames, Left left, Right right) {
  std::vector<float> samples(2 * frames);
  for (std::size_t i = 0; i < frames; ++i) {
    samples[2 * i] = static_cast<float>(left(i));
    samples[2 * i + 1] = static_cast<float>(right(i));
  }
  return samples;
}

/// A function of the frame index: a sine of `amplitude` at `hz`.
inline auto sine(double hz, double amplitude = 1.0) {
  return [=](std::size_t i) { return amplitude * std::sin(2.0 * std::numbers::pi * hz * i / kCaptureRate); };
}

inline auto constant(double value) {
  return [=](std::size_t) { return value; };
}

}  // namespace tactolo::testing
