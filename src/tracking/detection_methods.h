// The detection methods behind the main window's method list (`methodBox`).
//
// Each tick the detection cycle runs the method at the list's position on
// the tick's spectrum; the method keeps its own history and reports whether
// the tick is a beat. A method is added by giving it a member here and its
// position a case in DetectionMethods::run.
#pragma once

#include "module/beat_variables.h"
#include "tracking/frequency_selected_sound_energy.h"
#include "tracking/simple_sound_energy.h"
#include "tracking/standard_weight_method.h"

namespace tactolo {

/// Positions of `methodBox`.
enum MethodPosition : int {
  kStandardWeightMethod = 0,
  kSimpleSoundEnergyMethod = 1,
  kFrequencySelectedMethod = 2,
};

/// The methods' state, allocated when the main window loads.
struct DetectionMethods {
  /// Runs the method at `position` on one tick's 1024 spectrum magnitudes
  /// with the gain numbers of `vars`; true for a beat. A position without a
  /// method (no selection) reports no beat. Allocates nothing.
  bool run(int position, const float* spectrum, const BeatVariables& vars);

  StandardWeightMethod standard;
  SimpleSoundEnergy simple;
  FrequencySelectedSoundEnergy frequency;
};

}  // namespace tactolo
