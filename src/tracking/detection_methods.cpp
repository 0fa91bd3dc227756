#include "tracking/detection_methods.h"

namespace tactolo {

bool DetectionMethods::run(int position, const float* spectrum, const BeatVariables& vars) {
  switch (position) {
    case kSimpleSoundEnergyMethod:
      return simple.run(spectrum, vars.GainFactor);
    case kStandardWeightMethod:     // not built yet: no beats
    case kFrequencySelectedMethod:  // not built yet: no beats
    default:
      return false;
  }
}

}  // namespace tactolo
