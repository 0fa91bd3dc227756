#include "tracking/frequency_selected_sound_energy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <utility>
#include <vector>

#include "tracking/spectra.h"

namespace tactolo {
namespace {

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
  // The last bin each count reads.
  const std::vector<int> lastBins{1020, 1016, 1007, 987, 960, 896};
  for (std::size_t t = 0; t < tables.size(); ++t) {
    const auto& [count, expected] = tables[t];
    const Method method = withCount(count);
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(count));
    const auto widths = method.SubbandWidth();
    EXPECT_EQ(std::vector<int16_t>(widths.begin(), widths.end()), expected) << count;
    EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0) - 1, lastBins[t]) << count;
  }
  const Method atLoad;
  EXPECT_EQ(std::accumulate(atLoad.SubbandWidth().begin(), atLoad.SubbandWidth().end(), 0), 988);
}

TEST(FrequencySelectedSoundEnergy, EnergyPerSubbandWeightedByWidthAndGain) {
  Method method = withCount(8);  // sub-band 1 covers bins 8..49 (42 bins)
  Spectrum s = silence();
  s[8] = 2.0f;
  s[9] = 2.0f;
  s[50] = 1.0f;  // first bin of sub-band 2
  method.run(s.data(), 2.45);
  EXPECT_EQ(method.SubbandEnergy()[0], Method::kEnergyFloor);
  EXPECT_DOUBLE_EQ(method.SubbandEnergy()[1], 42 * (8 * 2.45) / 1024);
  EXPECT_DOUBLE_EQ(method.SubbandEnergy()[2], 76 * 2.45 / 1024);
  EXPECT_EQ(method.SubbandHistory(0, 1), method.SubbandEnergy()[1]);
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

  for (int count : {8, 256}) {
    Method moving = withCount(count);
    moving.chooseRanked(true);
    TestRandom random(4242);
    for (int i = 0; i < 300; ++i) {
      // Loud stretches move from band to band, so the ranking keeps changing.
      Spectrum s = random.spectrum(0.2);
      const int loud = (i / 40) * 97 % 1000;
      for (int bin = loud; bin < loud + 20; ++bin) s[bin] *= static_cast<float>(1 + 20 * (i % 3));
      moving.run(s.data(), 1.0);
      const auto variance = moving.SubbandVariance();
      std::vector<int16_t> order(static_cast<std::size_t>(count));
      std::iota(order.begin(), order.end(), int16_t{0});
      std::stable_sort(order.begin(), order.end(),
                       [&](int16_t a, int16_t b) { return variance[a] > variance[b]; });
      ASSERT_EQ(std::vector<int16_t>(moving.SubbandRank().begin(), moving.SubbandRank().end()), order)
          << count << " " << i;
    }
  }
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

}  // namespace
}  // namespace tactolo
