#include "tracking/detection_methods.h"

namespace tactolo {

bool DetectionMethods::run(int position, const float* spectrum, const BeatVariables& vars) {
  switch (position) {
    case kStandardWeightMethod:
      return standard.run(spectrum, vars.GainFactor, vars.GainThresholdScale, vars.GainThresholdFloor);
    case kSimpleSoundEnergyMethod:
      return simple.run(spectrum, vars.GainFactor);
    case kFrequencySelectedMethod:
      return frequency.run(spectrum, vars.GainFactor);
    default:
      return false;
  }
}

}  // namespace tactolo
