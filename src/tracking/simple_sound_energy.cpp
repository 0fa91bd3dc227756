#include "tracking/simple_sound_energy.h"

namespace tactolo {

bool SimpleSoundEnergy::run(const float* spectrum, double gainFactor) {
  double energy = 0.0;
  for (int bin = 0; bin < 1023; ++bin) {
    const double v = spectrum[bin];
    energy += v * v * gainFactor;
  }
  SSEEnergy = energy < SSEEnergyFloor ? SSEEnergyFloor : energy;

  double sum = 0.0;
  for (double e : SSEHistory) sum += e;
  SSEAverage = sum / kHistoryLength;

  double squares = 0.0;
  for (double e : SSEHistory) squares += (e - SSEAverage) * (e - SSEAverage);
  SSEVariance = squares / kHistoryLength;

  // The factor falls with the variance; above a variance of about 588.89 it
  // turns negative and every tick is a beat (the gate timers then set the rate).
  SSEFactor = SSEVariance * -0.0025714 + 1.5142857;

  for (int i = kHistoryLength - 1; i >= 1; --i) SSEHistory[i] = SSEHistory[i - 1];
  SSEHistory[0] = SSEEnergy;

  return SSEFactor * SSEAverage < SSEEnergy;
}

}  // namespace tactolo
