// Simple sound-energy beat detection.
//
// Each 20 ms tick sums the energy of the whole spectrum and compares it with
// the mean energy of the previous 43 ticks (0.86 s) times a factor that falls
// as the variance of those energies rises: loud, steady music needs a smaller
// jump above the mean than quiet music with sparse peaks. A beat is a tick
// whose energy exceeds that threshold.
#pragma once

#include "module/method_variables.h"

namespace tactolo {

class SimpleSoundEnergy : public SimpleSoundEnergyVariables {
 public:
  /// Runs one tick on 1024 spectrum magnitudes (bin 1023 is not used) with the
  /// gain factor of the gain slider; true for a beat. Allocates nothing.
  bool run(const float* spectrum, double gainFactor);
};

}  // namespace tactolo
