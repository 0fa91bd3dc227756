#include "tracking/standard_weight_method.h"

#include <algorithm>
#include <cmath>

#include "platform/numbers.h"

namespace tactolo {

namespace {

double meanOfBins(const float* spectrum, int first, int last) {
  double sum = 0.0;
  for (int bin = first; bin <= last; ++bin) sum += spectrum[bin];
  return sum / (last - first + 1);
}

// Drops the oldest value of a history from its running sum, moves the others
// one place towards the front, and appends `value`; returns the threshold
// 2 x mean x scale, raised to the floor.
template <std::size_t N>
double pushValue(std::array<double, N>& history, double& sum, double value, double scale, double floor) {
  sum -= history.front();
  std::copy(history.begin() + 1, history.end(), history.begin());
  history.back() = value;
  sum += value;
  const double threshold = 2.0 * (sum / static_cast<double>(N)) * scale;
  return threshold < floor ? floor : threshold;
}

}  // namespace

bool StandardWeightMethod::run(const float* spectrum, double gainFactor, double gainThresholdScale,
                               double gainThresholdFloor) {
  // Only the band values the choice needs are recomputed; the other keeps
  // its last value.
  double energy = 0.0;
  if (SWMBassHihatIndex == kBass) {
    SWMBassEnergy = meanOfBins(spectrum, kBassFirstBin, kBassLastBin);
    energy = SWMWeight * SWMBassEnergy;
  } else if (SWMBassHihatIndex == kHihat) {
    SWMHihatEnergy = meanOfBins(spectrum, kHihatFirstBin, kHihatLastBin) * SWMCorrectionFactor;
    energy = SWMWeight * SWMHihatEnergy;
  } else {
    SWMBassEnergy = meanOfBins(spectrum, kBassFirstBin, kBassLastBin);
    SWMHihatEnergy = meanOfBins(spectrum, kHihatFirstBin, kHihatLastBin) * SWMCorrectionFactor;
    energy = SWMWeight * (SWMHihatEnergy + SWMBassEnergy) / 2.0;
  }

  SWMEnergy = std::pow(energy * gainFactor, SWMExponent);
  // A non-finite value (from a non-finite spectrum value) would stay in the
  // running sums for good and leave the method deaf: it enters as silence.
  if (!std::isfinite(SWMEnergy)) SWMEnergy = 0.0;

  SWMLongThreshold = pushValue(SWMLongHistory, SWMLongSum, SWMEnergy, gainThresholdScale, gainThresholdFloor);
  SWMShortThreshold =
      pushValue(SWMShortHistory, SWMShortSum, SWMEnergy, gainThresholdScale, gainThresholdFloor);

  const double value = gainThresholdScale * SWMEnergy;
  return value > SWMLongThreshold && value > SWMShortThreshold;
}

void StandardWeightMethod::chooseBand(int optionIndex) {
  SWMBassHihatIndex = optionIndex == 0 ? kBass : optionIndex == 1 ? kHihat : kBassAndHihat;
}

void StandardWeightMethod::setSensitivity(int sliderValue) { SWMExponent = 3.0 - sliderValue / 50.0; }

void StandardWeightMethod::setCorrection(int sliderValue) {
  SWMCorrectionFactor = ToInt16(sliderValue / 100.0);
}

}  // namespace tactolo
