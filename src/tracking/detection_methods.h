// The detection methods behind the main window's method list (`methodBox`).
//
// Each tick the detection cycle runs the method at the list's position on
// the tick's spectrum; the method keeps its own history and reports whether
// the tick is a beat. A method is added by giving it a member here and its
// position a case in DetectionMethods::run.
#pragma once

#include "module/beat_variables.h"
#include "tracking/simple_sound_energy.h"

namespace tactolo {

/// Positions of `methodBox`.
enum MethodPosition : int {
  kStandardWeightMethod = 0,
  kSimpleSoundEnergyMethod = 1,
  kFrequencySelectedMethod = 2,
};

/// The methods' state, allocated when the main window loads.
struct DetectionMethods {
  /// Runs the method at `position` on one tick's 1024 spectrum magnitudes;
  /// true for a beat. A position without a method (no selection, or one
  /// whose method is not built yet) reports no beat. Allocates nothing.
  bool run(int position, const float* spectrum, const BeatVariables& vars);

  SimpleSoundEnergy simple;
};

}  // namespace tactolo
