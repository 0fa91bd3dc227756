// Spectra for the tests of the detection methods: 1024 magnitudes, as the
// detection cycle reads them.
#pragma once

#include <cstdint>
#include <vector>

namespace tactolo {

using Spectrum = std::vector<float>;

inline Spectrum silence() { return Spectrum(1024, 0.0f); }

/// Numbers in 0..1 from a fixed seed (a linear congruential generator): the
/// same sequence on every machine and library.
class TestRandom {
 public:
  explicit TestRandom(uint32_t seed) : state_(seed) {}
  double next() {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) / 16777216.0;
  }
  /// A spectrum of independent magnitudes in 0..scale.
  Spectrum spectrum(double scale = 1.0) {
    Spectrum s(1024);
    for (float& bin : s) bin = static_cast<float>(next() * scale);
    return s;
  }

 private:
  uint32_t state_;
};

}  // namespace tactolo
