// The input gain of a live capture: a level boost in decibels that the host
// sets, applied to the captured samples before spectrum and level.
#pragma once

namespace tactolo {

/// Highest input gain in dB (a factor of about 31.6).
constexpr double kMaxInputGainDb = 30.0;

/// Factor by which an input gain of `db` decibels multiplies the samples:
/// 10^(db / 20); 0 dB gives 1, +20 dB gives 10. Throws std::out_of_range for
/// a gain below 0, above kMaxInputGainDb, or not a number.
float inputGainFactor(double db);

}  // namespace tactolo
