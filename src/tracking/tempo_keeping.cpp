#include "tracking/tempo_keeping.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "platform/numbers.h"

namespace tactolo {

namespace {

constexpr double kMinuteMs = 60000.0;

// A first delay is used as it stands only strictly between these bounds.
constexpr int64_t kFirstDelayAbove = 100;
constexpr int64_t kFirstDelayBelow = 100000;

int16_t slowTempo(int16_t keepBpmMin) { return keepBpmMin > 0 ? keepBpmMin : kKeepBpmMinFloor; }

}  // namespace

int32_t SyncWindowMs(int16_t measuredBpm, int32_t tolerance) {
  if (measuredBpm <= 0) {
    throw std::invalid_argument("no sync window for a tempo of " + std::to_string(measuredBpm));
  }
  int64_t slowest = static_cast<int64_t>(measuredBpm) - tolerance;
  if (slowest == 0) slowest = 1;
  const double window = 2.0 * std::fabs(kMinuteMs / measuredBpm - kMinuteMs / static_cast<double>(slowest));
  return ToInt32(window);
}

int16_t KeepBpmMinOnKeep(int16_t measuredBpm, int32_t tolerance) {
  const int64_t slowest = static_cast<int64_t>(measuredBpm) - tolerance;
  if (slowest < kKeepBpmMinFloor) return kKeepBpmMinFloor;
  return slowest > INT16_MAX ? int16_t{INT16_MAX} : static_cast<int16_t>(slowest);
}

int32_t SlowPeriodMs(int16_t keepBpmMin) { return ToInt32(kMinuteMs / slowTempo(keepBpmMin)); }

int32_t FirstDelayMs(int16_t keepBpmMin, int32_t nowMs, int32_t prevBeatMs) {
  const int64_t slowPeriod = static_cast<int64_t>(IntFloor(kMinuteMs / slowTempo(keepBpmMin)));
  const int64_t delay = slowPeriod - (static_cast<int64_t>(nowMs) - prevBeatMs);
  if (delay > kFirstDelayAbove && delay < kFirstDelayBelow) return static_cast<int32_t>(delay);
  return SlowPeriodMs(keepBpmMin);
}

int32_t KeptPeriodMs(int16_t keptBpm, bool doubleSpeed) {
  if (keptBpm <= 0) throw std::invalid_argument("no period for a tempo of " + std::to_string(keptBpm));
  const int32_t period = ToInt32(kMinuteMs / keptBpm);
  return doubleSpeed ? HalvedMs(period) : period;
}

int32_t HalvedMs(int32_t durationMs) { return ToInt32(durationMs / 2.0); }

int16_t CountGeneratedBeat(int16_t generatedBeats) {
  return generatedBeats < INT16_MAX ? static_cast<int16_t>(generatedBeats + 1) : INT16_MAX;
}

std::optional<KeepStart> StartKeeping(int16_t measuredBpm, int32_t tolerance, int32_t nowMs,
                                      int32_t prevBeatMs, bool doubleSpeed) {
  if (measuredBpm < kKeepBpmLowest || measuredBpm > kKeepBpmHighest) return std::nullopt;
  KeepStart keep;
  keep.KeptBPM = measuredBpm;
  keep.SyncWindow = SyncWindowMs(measuredBpm, tolerance);
  keep.KeepBPMMin = KeepBpmMinOnKeep(measuredBpm, tolerance);
  keep.firstDelayMs = FirstDelayMs(keep.KeepBPMMin, nowMs, prevBeatMs);
  if (doubleSpeed) keep.firstDelayMs = HalvedMs(keep.firstDelayMs);
  return keep;
}

}  // namespace tactolo
