// Tempo arithmetic of accepted beats.
#pragma once

#include <cmath>
#include <cstdint>

namespace tactolo {

/// Beats per minute of the interval between two beat times (ms), rounded
/// down: 500 ms gives 120, 333 ms gives 180. An interval of a minute or more
/// gives 0, and so does an interval that is zero or negative (two beats in the
/// same millisecond, or a stopwatch that wrapped), which has no tempo.
inline int16_t MeasureBpm(int32_t lastBeatMs, int32_t prevBeatMs) {
  const int64_t interval = static_cast<int64_t>(lastBeatMs) - prevBeatMs;
  if (interval <= 0) return 0;
  const double bpm = std::floor(60000.0 / static_cast<double>(interval));
  return bpm > 32767.0 ? int16_t{32767} : static_cast<int16_t>(bpm);
}

}  // namespace tactolo
