// Frequency-selected sound-energy beat detection.
//
// The spectrum is split into n sub-bands (8 to 256) whose widths grow
// linearly with frequency: sub-band i has floor(a x (i + 1) + b) bins, with a
// and b fixed per n, and the sub-bands follow each other from bin 0. Each
// 20 ms tick computes the energy of every sub-band and compares it with the
// mean energy of that sub-band over the previous 43 ticks (0.86 s) times a
// factor that falls as the variance of those energies rises, as the simple
// sound-energy method does for the whole spectrum. A beat is a tick on which
// any tested sub-band's energy exceeds its threshold.
//
// With the ranked selection on, the sub-bands are ranked by falling variance
// (equal variances in numeric order) and only the ranks m - 1 .. n - 1 are
// tested: the m - 1 sub-bands whose energy moves the most are left out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "module/method_variables.h"

namespace tactolo {

class FrequencySelectedSoundEnergy : public FrequencySelectedVariables {
 public:
  /// The sub-band counts offered, in list order.
  static constexpr std::array<int16_t, 6> kSubbandCounts{8, 16, 32, 64, 128, 256};

  /// 64 sub-bands, 32 of them in the slider, ranked selection off; the arrays
  /// are made here for every count, so that no later call allocates.
  FrequencySelectedSoundEnergy();

  /// Runs one tick on 1024 spectrum magnitudes with the gain factor of the
  /// gain slider; true for a beat. Allocates nothing.
  bool run(const float* spectrum, double gainFactor);

  /// Sizes the sub-band arrays for the current count, clears the history to
  /// zeros, sets every energy to the floor and computes the widths. The
  /// detection cycle must not run while this runs.
  void ConfigureSubbands();

  /// The count at `listPosition` of the sub-band list (0 for 8 .. 5 for 256):
  /// a slider value above the new count becomes the count; then the arrays
  /// are configured afresh. Throws std::out_of_range for a position outside
  /// the list, changing nothing.
  void chooseSubbandCount(int listPosition);
  /// Ranked selection on or off (the check box checked or not).
  void chooseRanked(bool checked);
  /// Number of ranked sub-bands from the slider: a value within 1..n is
  /// taken, any other is ignored.
  void moveSlider(int sliderValue);
  /// Texts of the slider's scale labels: n / 2 and n.
  std::string midLabelText() const;
  std::string maxLabelText() const;

 private:
  bool exceedsThreshold(int subband) const { return average_[subband] * factor_[subband] < energy_[subband]; }
  void rankByVariance();

  std::vector<std::pair<double, int16_t>> ranking_;  // scratch of rankByVariance
};

}  // namespace tactolo
