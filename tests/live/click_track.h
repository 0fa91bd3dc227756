// A click track to play into the null sink.
#pragma once

#include <cmath>
#include <vector>

#include "audio/signals.h"

namespace tactolo::testing {

/// One 500 ms loop: a 5 ms noise burst of `peak` (1.0 full scale) over a
/// hiss 40 dB below it; played over and over it is a 120 BPM click track.
inline std::vector<float> clickLoop(double peak) {
  const auto click = [peak](std::size_t i) {
    return (i < 220 ? peak : peak / 100) * std::sin(0.37 * double(i) * double(i));
  };
  return stereo(kCaptureRate / 2, click, click);
}

}  // namespace tactolo::testing
