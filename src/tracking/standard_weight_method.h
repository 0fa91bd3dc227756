// Standard weight beat detection.
//
// Each 20 ms tick takes one band energy of the spectrum: the mean of the bass
// bins 4..7 (about 86..151 Hz), the mean of the hi-hat bins 233..372 (about
// 5.0..8.0 kHz) times a correction factor, or the mean of the two. The band
// energy is weighted, scaled by the gain and raised to a power set by the
// sensitivity slider (a larger power makes loud ticks stand out more). A beat
// is a tick whose value is more than twice the mean of the last 200 values
// (4 s) and more than twice the mean of the last 50 values (1 s), both
// including itself, and whose value times the gain's threshold scale is above
// the gain's threshold floor. The two means come from running sums, updated by
// one subtraction and one addition per tick.
#pragma once

#include "module/method_variables.h"

namespace tactolo {

class StandardWeightMethod : public StandardWeightVariables {
 public:
  static constexpr int kBassFirstBin = 4;
  static constexpr int kBassLastBin = 7;
  static constexpr int kHihatFirstBin = 233;
  static constexpr int kHihatLastBin = 372;

  /// Runs one tick on 1024 spectrum magnitudes with the gain numbers of the
  /// gain slider; true for a beat. Allocates nothing.
  bool run(const float* spectrum, double gainFactor, double gainThresholdScale, double gainThresholdFloor);

  /// Band choice from the index of the clicked band option: 0 bass, 1 hi-hat,
  /// any other index bass and hi-hat.
  void chooseBand(int optionIndex);
  /// Exponent from the sensitivity slider (-100..100): 5.0 at -100, 3.0 at
  /// 0, 1.0 at +100.
  void setSensitivity(int sliderValue);
  /// Correction factor of the hi-hat band from the correction slider
  /// (200..2000): the value / 100 rounded to the nearest integer, halves to
  /// even (250 gives 2, 350 gives 4).
  void setCorrection(int sliderValue);
};

}  // namespace tactolo
