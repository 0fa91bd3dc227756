// Number helpers shared by the handlers: word halves and the rounding rules
// the plug-in uses everywhere (halves to even; Int towards minus infinity).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace tactolo {

/// Bits 0..15 of a 32-bit value as 0..65535 (also for negative values).
constexpr int32_t LoWord(int64_t x) { return static_cast<int32_t>(static_cast<uint32_t>(x) & 0xFFFFu); }
/// Bits 16..31 of a 32-bit value as 0..65535 (also for negative values).
constexpr int32_t HiWord(int64_t x) {
  return static_cast<int32_t>((static_cast<uint32_t>(x) >> 16) & 0xFFFFu);
}

/// Nearest integer, halves to even.
inline double RoundHalfEven(double x) { return x - std::remainder(x, 1.0); }

/// Largest integer not above x.
inline double IntFloor(double x) { return std::floor(x); }

/// Converts to a signed 16-bit number, rounding halves to even; refuses a
/// value that does not fit (std::overflow_error "Overflow").
inline int16_t ToInt16(double x) {
  const double r = RoundHalfEven(x);
  if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max())) {
    throw std::overflow_error("Overflow");
  }
  return static_cast<int16_t>(r);
}

/// Converts to a signed 32-bit number, rounding halves to even; refuses a
/// value that does not fit.
inline int32_t ToInt32(double x) {
  const double r = RoundHalfEven(x);
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) {
    throw std::overflow_error("Overflow");
  }
  return static_cast<int32_t>(r);
}

}  // namespace tactolo
