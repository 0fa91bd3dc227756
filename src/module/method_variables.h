// The detection methods' state, as module variables under their own names.
//
// The methods themselves (tracking/) are built on these structures when the
// main window loads and update them on every tick; the module keeps a view
// of the current ones (PluginModule::methods) so that hosts can read them by
// name (state_table.cpp) while the window is loaded.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tactolo {

/// The simple sound-energy method (methodBox position 1).
struct SimpleSoundEnergyVariables {
  static constexpr int kHistoryLength = 43;
  static constexpr double kEnergyFloor = 0.001;

  double SSEEnergy = 0.0;
  std::array<double, kHistoryLength> SSEHistory{};  // index 0 is the newest
  double SSEAverage = 0.0;
  double SSEVariance = 0.0;
  double SSEFactor = 0.0;
  double SSEEnergyFloor = kEnergyFloor;
};

/// The standard weight method (methodBox position 0).
struct StandardWeightVariables {
  /// Values of SWMBassHihatIndex.
  static constexpr int16_t kBass = 0;
  static constexpr int16_t kHihat = 1;
  static constexpr int16_t kBassAndHihat = 2;

  static constexpr int16_t SWMWeight = 6;
  static constexpr int16_t SWMLongLength = 200;
  static constexpr int16_t SWMShortLength = 50;

  int16_t SWMBassHihatIndex = kBass;
  double SWMExponent = 3.0;
  int16_t SWMCorrectionFactor = 4;
  double SWMBassEnergy = 0.0;                          // mean of the bass bins
  double SWMHihatEnergy = 0.0;                         // mean of the hi-hat bins times the correction factor
  double SWMEnergy = 0.0;                              // the value of the latest tick
  std::array<double, SWMLongLength> SWMLongHistory{};  // index 0 the oldest, the last the newest
  double SWMLongSum = 0.0;                             // running sum of SWMLongHistory
  std::array<double, SWMShortLength> SWMShortHistory{};  // index 0 the oldest, the last the newest
  double SWMShortSum = 0.0;                              // running sum of SWMShortHistory
  double SWMLongThreshold = 1.0;
  double SWMShortThreshold = 1.0;
};

/// The frequency-selected sound-energy method (methodBox position 2): n
/// sub-bands (FSSESubbandCount), each with its width, energy and 43-tick
/// history.
class FrequencySelectedVariables {
 public:
  static constexpr int kHistoryLength = 43;
  static constexpr double kEnergyFloor = 0.00001;
  static constexpr int kMaxSubbands = 256;

  int16_t FSSESubbandCount() const { return subbandCount_; }
  int16_t FSSESubbandValue() const { return subbandValue_; }
  bool FSSESubbandCheck() const { return subbandCheck_; }
  double SubbandSlope() const { return slope_; }
  double SubbandOffset() const { return offset_; }
  double SubbandEnergyFloor() const { return kEnergyFloor; }

  std::span<const int16_t> SubbandWidth() const { return width_; }
  std::span<const double> SubbandEnergy() const { return energy_; }
  std::span<const double> SubbandAverage() const { return average_; }
  std::span<const double> SubbandVariance() const { return variance_; }
  std::span<const double> SubbandFactor() const { return factor_; }
  /// Sub-band numbers by falling variance; rebuilt on each tick with the
  /// ranked selection on.
  std::span<const int16_t> SubbandRank() const { return rank_; }
  /// Energy of sub-band `subband` `age` ticks before the newest (age 0 is
  /// the newest, 42 the oldest); std::out_of_range outside the history.
  double SubbandHistory(int age, int subband) const;

 protected:
  int16_t subbandCount_ = 64;
  int16_t subbandValue_ = 32;
  bool subbandCheck_ = false;
  double slope_ = 0.44444444444444;
  double offset_ = 1.55555555555555;

  std::vector<int16_t> width_;
  std::vector<double> energy_;
  // Row r holds the energies of one tick for all sub-bands; the rows form a
  // ring whose newest row is newestRow_, so a tick replaces the oldest row
  // instead of moving 42 rows.
  std::vector<double> history_;
  int newestRow_ = 0;
  std::vector<double> average_;
  std::vector<double> variance_;
  std::vector<double> factor_;
  std::vector<int16_t> rank_;
};

/// The methods of the loaded main window; all null while it is not loaded.
struct MethodVariables {
  const SimpleSoundEnergyVariables* simple = nullptr;
  const StandardWeightVariables* standard = nullptr;
  const FrequencySelectedVariables* frequency = nullptr;
};

}  // namespace tactolo
