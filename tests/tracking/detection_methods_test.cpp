// The three detection methods on spectra made for them (standard weight,
// simple sound energy, frequency-selected sound energy), the tempo of an
// interval, and keep mode's arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "tracking/frequency_selected_sound_energy.h"
#include "tracking/simple_sound_energy.h"
#include "tracking/standard_weight_method.h"
#include "tracking/tempo.h"
#include "tracking/tempo_keeping.h"

namespace tactolo {
namespace {

using Spectrum = std::vector<float>;

inline Spectrum silence() { return Spectrum(1024, 0.0f); }

Spectrum bass(double level) {
  Spectrum s = silence();
  for (int bin = 4; bin <= 7; ++bin) s[bin] = static_cast<float>(level);
  return s;
}

// A tick with the gain numbers the window loads with: factor 1, threshold
// scale 100, floor 1.
bool tick(StandardWeightMethod& method, const Spectrum& s) { return method.run(s.data(), 1.0, 100.0, 1.0); }

// A method with exponent 1, so that SWMEnergy is the weighted, gained band
// energy itself.
StandardWeightMethod linearMethod(int optionIndex = 0) {
  StandardWeightMethod method;
  method.setSensitivity(100);
  method.chooseBand(optionIndex);
  return method;
}

TEST(StandardWeightMethod, EachBandReadsItsOwnBinsAndTheUnusedBandKeepsItsValue) {
  // Bin k holds (k + 1) x scale, so a band's mean tells which bins it read:
  // bass 4..7 (5..8, mean 6.5), hi-hat 233..372 (234..373, mean 303.5).
  const auto ramp = [](double scale) {
    Spectrum s(1024);
    for (int bin = 0; bin < 1024; ++bin) s[bin] = static_cast<float>((bin + 1) * scale);
    return s;
  };
  StandardWeightMethod method = linearMethod(1);
  method.setCorrection(1100);
  // Band option, ramp scale: bass energy, hi-hat energy (x 11), SWMEnergy.
  // clang-format off
  const std::tuple<int, double, double, double, double> rows[] = {{1, 1, 0, 303.5 * 11, 6 * 303.5 * 11},
      {0, 2, 13, 303.5 * 11, 6 * 13.0}, {2, 0.5, 3.25, 151.75 * 11, 6 * (3.25 + 151.75 * 11) / 2}};
  // clang-format on
  for (const auto& [option, scale, bassEnergy, hihatEnergy, energy] : rows) {
    method.chooseBand(option);
    tick(method, ramp(scale));
    EXPECT_EQ(std::tuple(method.SWMBassEnergy, method.SWMHihatEnergy, method.SWMEnergy),
              std::tuple(bassEnergy, hihatEnergy, energy))
        << option;
  }

  // Correction: v / 100, halves to even.
  for (auto [value, factor] :
       std::vector<std::pair<int, int16_t>>{{200, 2}, {1149, 11}, {1150, 12}, {1250, 12}, {2000, 20}}) {
    method.setCorrection(value);
    EXPECT_EQ(method.SWMCorrectionFactor, factor) << value;
  }
}

TEST(StandardWeightMethod, ABeatLiesAboveTwiceBothMeansWhichIncludeTheValue) {
  // Energies (SWMEnergy) of 150 older ticks, 49 recent ones and the value.
  // Over 199 energies of 1 a value s clears the long threshold when s > 2
  // (199 + s) / 200, that is s > 2.0101, and the short one when s > 2 (49 +
  // s) / 50, s > 2.0417.
  struct Case {
    double older, recent, value;
    bool beat;
  };
  for (const Case& c : {Case{1, 1, 2.03, false},
                        {1, 1, 2.05, true},
                        // Loud 1..4 s ago: the short threshold is cleared, the
                        // long one is not.
                        {3, 1, 2.5, false},
                        // Exactly at the long threshold (150 x 990 + 1500 =
                        // 100 x 1500), far above the short one: no beat.
                        {990, 0, 1500, false},
                        {990, 0, 1500.06, true}}) {
    StandardWeightMethod method = linearMethod(0);
    for (int i = 0; i < 150; ++i) tick(method, bass(c.older / 6));
    for (int i = 0; i < 49; ++i) tick(method, bass(c.recent / 6));
    EXPECT_EQ(tick(method, bass(c.value / 6)), c.beat) << c.older << " " << c.value;
  }
}

std::vector<float> spectrumWithEnergy(double energy) {
  std::vector<float> bins(1024, 0.0f);
  bins[3] = static_cast<float>(std::sqrt(energy));
  return bins;
}

TEST(SimpleSoundEnergy, SteadyInputBeatsOnlyWhileTheHistoryHoldsItsStartZeros) {
  for (double energy : {0.0, 2.0}) {
    SimpleSoundEnergy method;
    const auto steady = spectrumWithEnergy(energy);
    // The start block of the cycle covers these first ticks.
    EXPECT_TRUE(method.run(steady.data(), 1.0));
    for (int i = 1; i < 43; ++i) method.run(steady.data(), 1.0);
    for (int i = 0; i < 200; ++i) ASSERT_FALSE(method.run(steady.data(), 1.0)) << i;
  }
  // The energy's floor is in the sources command transcript (silence
  // between clicks). Every bin but the last counts.
  SimpleSoundEnergy method;
  std::vector<float> edges(1024, 0.0f);
  edges[0] = 1.0f;
  edges[1022] = 2.0f;
  edges[1023] = 100.0f;
  method.run(edges.data(), 1.0);
  EXPECT_DOUBLE_EQ(method.SSEEnergy, 5.0);
}

TEST(SimpleSoundEnergy, JumpAboveTheThresholdTimesTheGainBeats) {
  // 1.5142857 times the mean is the threshold; the gain factor scales the
  // energy (0.62 x 2.45 clears it); the mean is taken before the jump
  // enters the history (with it, 1.52 would not clear the threshold), and
  // the history keeps the energy with the gain.
  for (const auto& [energy, gain, beat] :
       {std::tuple{1.514, 1.0, false}, {1.52, 1.0, true}, {0.62, 2.45, true}, {0.6, 2.45, false}}) {
    SimpleSoundEnergy method;
    for (int i = 0; i < 43; ++i) method.run(spectrumWithEnergy(1.0).data(), 1.0);
    EXPECT_EQ(method.run(spectrumWithEnergy(energy).data(), gain), beat) << energy;
    EXPECT_NEAR(method.SSEHistory[0], energy * gain, 1e-6);
  }
}

TEST(SimpleSoundEnergy, LargeVarianceMakesEveryTickABeat) {
  SimpleSoundEnergy method;
  auto loud = spectrumWithEnergy(200.0);
  auto quiet = spectrumWithEnergy(0.0);
  for (int i = 0; i < 43; ++i) method.run((i % 2 ? loud : quiet).data(), 1.0);
  // Variance of alternating 0 / 200 values is near 10000: the factor is negative.
  EXPECT_TRUE(method.run(quiet.data(), 1.0));
  EXPECT_LT(method.SSEFactor, 0.0);
}

TEST(MeasureBpm, IntervalsToTempoRoundedDownAndNoTempoForNoInterval) {
  // Ordinary intervals (rounded down: 1020 ms is 58) are in the analyze
  // command transcript. 60000 / 1 does not fit and is held at the largest
  // tempo.
  for (const auto& [now, previous, bpm] :
       {std::tuple{60000, 0, 1}, {60001, 0, 0}, {500, 500, 0}, {-2147483647, 2147483647, 0}, {1, 0, 32767}}) {
    EXPECT_EQ(MeasureBpm(now, previous), bpm) << now << " " << previous;
  }
}

using Method = FrequencySelectedSoundEnergy;

// Widths written as runs of (width, how many sub-bands).
std::vector<int16_t> runs(std::initializer_list<std::pair<int, int>> list) {
  std::vector<int16_t> widths;
  for (auto [width, count] : list) widths.insert(widths.end(), count, static_cast<int16_t>(width));
  return widths;
}

// List position of a sub-band count.
int positionOf(int count) {
  for (int p = 0; p < 6; ++p) {
    if (Method::kSubbandCounts[p] == count) return p;
  }
  throw std::invalid_argument("no such count");
}

Method withCount(int count) {
  Method method;
  method.chooseSubbandCount(positionOf(count));
  return method;
}

// First bin of sub-band `subband`.
int firstBin(const Method& method, int subband) {
  const auto widths = method.SubbandWidth();
  return std::accumulate(widths.begin(), widths.begin() + subband, 0);
}

// A spectrum whose only sound is one bin of each given sub-band, such that
// the sub-band's energy (gain factor 1) is the given value.
Spectrum energies(const Method& method, std::initializer_list<std::pair<int, double>> list) {
  Spectrum s = silence();
  for (auto [subband, energy] : list) {
    const int width = method.SubbandWidth()[subband];
    s[firstBin(method, subband)] = static_cast<float>(std::sqrt(energy * 1024.0 / width));
  }
  return s;
}

TEST(FrequencySelectedSoundEnergy, WidthTablesOfAllSixCounts) {
  // clang-format off
  const std::vector<std::pair<int, std::vector<int16_t>>> tables{
      {8, {8, 42, 76, 110, 145, 179, 213, 248}},
      {16, {5, 12, 20, 28, 36, 44, 52, 60, 67, 75, 83, 91, 99, 107, 115, 123}},
      {32, {3,  4,  6,  8,  10, 12, 14, 16, 17, 19, 21, 23, 25, 27, 29, 31,
            32, 34, 36, 38, 40, 42, 44, 46, 47, 49, 51, 53, 55, 57, 59, 60}},
      {64, runs({{1, 1},  {2, 2},  {3, 2},  {4, 2},  {5, 3},  {6, 2},  {7, 2},  {8, 2},  {9, 3},  {10, 2},
                 {11, 2}, {12, 2}, {13, 3}, {14, 2}, {15, 2}, {16, 2}, {17, 3}, {18, 2}, {19, 2}, {20, 2},
                 {21, 3}, {22, 2}, {23, 2}, {24, 2}, {25, 3}, {26, 2}, {27, 2}, {28, 2}, {29, 3}})},
      {128, runs({{1, 10}, {2, 9}, {3, 9}, {4, 9}, {5, 9}, {6, 9}, {7, 9}, {8, 9}, {9, 9}, {10, 9}, {11, 9},
                  {12, 9}, {13, 9}, {14, 9}, {15, 1}})},
      {256, runs({{0, 1}, {1, 42}, {2, 42}, {3, 43}, {4, 42}, {5, 43}, {6, 42}, {7, 1}})},
  };
  // clang-format on
  for (const auto& [count, expected] : tables) {
    const Method method = withCount(count);
    const auto widths = method.SubbandWidth();
    EXPECT_EQ(std::vector<int16_t>(widths.begin(), widths.end()), expected) << count;
  }
}

TEST(FrequencySelectedSoundEnergy, StatisticsOfThePrevious43EnergiesInEverySubband) {
  // Energies (j + 1) x 1, 2, ... 43 in sub-band j: mean 22 (j + 1), variance
  // (43^2 - 1) / 12 (j + 1)^2 = 154 (j + 1)^2, and the factor
  // -0.0025714 x variance + 1.5142857. (The spectrum holds floats: energies
  // are exact to about 1e-7.)
  for (int count : {8, 16, 256}) {
    Method method = withCount(count);
    const auto tick = [&](double energy) {
      Spectrum s = silence();
      for (int j = 0; j < count; ++j) {
        const int width = method.SubbandWidth()[j];
        if (width > 0)
          s[firstBin(method, j)] = static_cast<float>(std::sqrt((j + 1) * energy * 1024.0 / width));
      }
      method.run(s.data(), 1.0);
    };
    for (int i = 1; i <= 43; ++i) tick(i);
    tick(1000.0);
    for (int j = count == 256 ? 1 : 0; j < count; ++j) {
      const double scale = j + 1;
      const double variance = 154.0 * scale * scale;
      ASSERT_NEAR(method.SubbandAverage()[j], 22.0 * scale, 1e-5 * scale) << count << " " << j;
      ASSERT_NEAR(method.SubbandVariance()[j], variance, 1e-5 * variance) << count << " " << j;
      ASSERT_NEAR(method.SubbandFactor()[j], -0.0025714 * variance + 1.5142857, 1e-5 * variance)
          << count << " " << j;
      ASSERT_NEAR(method.SubbandHistory(0, j), 1000.0 * scale, 1e-3 * scale) << count << " " << j;
    }
  }
}

TEST(FrequencySelectedSoundEnergy, SilenceHoldsTheFloorAndAJumpAboveTheFactorTimesTheMeanBeats) {
  Method method;
  // The floor energy is above a mean of start zeros.
  EXPECT_TRUE(method.run(silence().data(), 1.0));
  for (int i = 1; i < Method::kHistoryLength; ++i) method.run(silence().data(), 1.0);
  for (int i = 0; i < 200; ++i) ASSERT_FALSE(method.run(silence().data(), 1.0)) << i;
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(method.SubbandEnergy()[i], Method::kEnergyFloor);
    EXPECT_NEAR(method.SubbandFactor()[i], 1.5142857, 1e-12);
  }
  for (const auto& [jump, beat] : {std::pair{1.51, false}, {1.52, true}}) {
    method = withCount(8);
    for (int i = 0; i < 60; ++i) method.run(energies(method, {{0, 1.0}}).data(), 1.0);
    EXPECT_EQ(method.run(energies(method, {{0, jump}}).data(), 1.0), beat);
    EXPECT_NEAR(method.SubbandAverage()[0], 1.0, 1e-6);
    EXPECT_NEAR(method.SubbandHistory(0, 0), jump, 1e-6);
  }
}

TEST(FrequencySelectedSoundEnergy, RankingByFallingVarianceEqualOnesInNumericOrderTickAfterTick) {
  Method method;  // 64 sub-bands: 1 and 2 are both 2 bins wide
  method.chooseRanked(true);
  for (int i = 0; i < 60; ++i) {
    const double loud = i % 2 ? 4.0 : 0.5;
    const double softer = i % 2 ? 1.0 : 0.5;
    method.run(energies(method, {{10, softer}, {2, loud}, {1, loud}}).data(), 1.0);
  }
  std::vector<int16_t> expected{1, 2, 10};
  for (int16_t i = 0; i < 64; ++i) {
    if (i != 1 && i != 2 && i != 10) expected.push_back(i);
  }
  EXPECT_EQ(std::vector<int16_t>(method.SubbandRank().begin(), method.SubbandRank().end()), expected);
  EXPECT_EQ(method.SubbandVariance()[1], method.SubbandVariance()[2]);
}

// Sub-band 3 of 8 alternates between quiet and loud; the others are silent.
// Its loud ticks always clear its threshold, and its variance is the largest.
bool runAlternating(Method& method, int tickIndex) {
  const double energy = tickIndex % 2 ? 30.0 : 0.0;
  return method.run(energies(method, {{3, energy}}).data(), 1.0);
}

TEST(FrequencySelectedSoundEnergy, RankedSelectionLeavesOutTheMostVariedSubbands) {
  for (int m : {1, 2, 8}) {
    Method ranked = withCount(8);
    ranked.chooseRanked(true);
    // From 1, so that the end of the slider's range counts too; values
    // outside 1..8 are ignored.
    for (int value : {1, m, 0, 9}) ranked.moveSlider(value);
    EXPECT_EQ(ranked.FSSESubbandValue(), m);
    Method unranked = withCount(8);
    int rankedBeats = 0;
    int unrankedBeats = 0;
    for (int i = 0; i < 200; ++i) {
      const bool r = runAlternating(ranked, i);
      const bool u = runAlternating(unranked, i);
      if (i < Method::kHistoryLength) continue;
      rankedBeats += r;
      unrankedBeats += u;
    }
    EXPECT_EQ(ranked.SubbandRank()[0], 3);
    EXPECT_GT(unrankedBeats, 70) << m;
    // m = 1 tests every rank; m >= 2 leaves out rank 0, sub-band 3.
    EXPECT_EQ(rankedBeats, m == 1 ? unrankedBeats : 0) << m;
  }
}

TEST(StartKeeping, KeptTempoSlowestTempoSyncWindowAndFirstDelay) {
  struct Case {
    int16_t measured, tolerance;
    int32_t now, previous;
    int16_t slowest;
    int32_t window, delay;
  };
  // No tolerance: no window. The slowest tempo is raised to 20 after the
  // window is taken from it: 40 - 30 = 10 gives Round(2 x |1500 - 6000|). A
  // tempo equal to the tolerance tolerates every slower tempo: the window is
  // that of 1 BPM, longer than any generator period.
  for (const Case& c : {Case{120, 0, 1510, 1000, 120, 0, 500}, Case{40, 30, 5000, 3500, 20, 9000, 1500},
                        Case{30, 30, 10000, 8000, 20, 116000, 1000}}) {
    const auto keep = StartKeeping(c.measured, c.tolerance, c.now, c.previous, false);
    ASSERT_TRUE(keep.has_value()) << c.measured;
    EXPECT_EQ(keep->KeptBPM, c.measured);
    EXPECT_EQ(keep->KeepBPMMin, c.slowest) << c.measured;
    EXPECT_EQ(keep->SyncWindow, c.window) << c.measured;
    EXPECT_EQ(keep->firstDelayMs, c.delay) << c.measured;
  }
  EXPECT_EQ(SyncWindowMs(31, 30), 116129);  // M - t = 1 as it stands
  EXPECT_THROW(SyncWindowMs(0, 5), std::invalid_argument);
  // Only tempos from 30 to 240 are kept.
  for (int16_t bpm : {0, 29, 241, 1000}) EXPECT_FALSE(StartKeeping(bpm, 5, 0, 0, false).has_value()) << bpm;
  for (int16_t bpm : {30, 240}) EXPECT_TRUE(StartKeeping(bpm, 5, 0, 0, false).has_value()) << bpm;
}

TEST(FirstDelay, UsedWhenMoreThan100AndLessThan100000MsAhead) {
  // KeepBPMMin 90: Int(60000 / 90) = 666, Round(60000 / 90) = 667. Kept at
  // the tolerance (KeepBPMMin 0 or below) the period is 3000 ms. A stopwatch
  // reading far before the previous beat does not overflow.
  // 1566 is exactly 100 ms ahead, 3000 past, 99334 exactly 100000 ms.
  // clang-format off
  for (const auto& [slowest, now, previous, delay] : {std::tuple{90, 1510, 1000, 156}, {90, 1565, 1000, 101},
           {90, 1566, 1000, 667}, {90, 3000, 1000, 667}, {90, 0, 99333, 99999}, {90, 0, 99334, 667},
           {90, INT32_MIN, INT32_MAX, 667}, {0, 1000, 500, 2500}}) {
    // clang-format on
    EXPECT_EQ(FirstDelayMs(static_cast<int16_t>(slowest), now, previous), delay) << now << " " << previous;
  }
}

TEST(GeneratorPeriods, KeptAndSlowPeriodsRoundHalvesToEven) {
  // 513 / 2 = 256.5, 531 / 2 = 265.5; a slowest tempo of 0 or below waits
  // 3000 ms.
  for (const auto& [period, ms] : {std::pair{KeptPeriodMs(117, true), 256},
                                   {KeptPeriodMs(113, true), 266},
                                   {HalvedMs(521), 260},
                                   {HalvedMs(523), 262},
                                   {SlowPeriodMs(1), 60000},
                                   {SlowPeriodMs(0), 3000},
                                   {SlowPeriodMs(-5), 3000}}) {
    EXPECT_EQ(period, ms);
  }
  EXPECT_THROW(KeptPeriodMs(0, false), std::invalid_argument);
}

TEST(GeneratedBeats, CountStaysAtTheLargest16BitNumber) {
  EXPECT_EQ(CountGeneratedBeat(0), 1);
  EXPECT_EQ(CountGeneratedBeat(32766), 32767);
  EXPECT_EQ(CountGeneratedBeat(32767), 32767);
}

}  // namespace
}  // namespace tactolo
