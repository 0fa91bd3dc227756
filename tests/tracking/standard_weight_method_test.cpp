#include "tracking/standard_weight_method.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

#include "tracking/spectra.h"

namespace tactolo {
namespace {

// The gain slider's numbers: factor, threshold scale, threshold floor.
struct Gain {
  double factor;
  double scale;
  double floor;
};
constexpr Gain kAtLoad{1.0, 100.0, 1.0};
constexpr Gain kGain0{0.55, 50.0, 101.0};
constexpr Gain kGain50{1.5, 100.0, 1.0};
constexpr Gain kGain100{2.45, 150.0, 0.5};

Spectrum withBins(int first, int last, double level) {
  Spectrum s = silence();
  for (int bin = first; bin <= last; ++bin) s[bin] = static_cast<float>(level);
  return s;
}

Spectrum bass(double level) { return withBins(4, 7, level); }
Spectrum hihat(double level) { return withBins(233, 372, level); }

bool tick(StandardWeightMethod& method, const Spectrum& s, Gain gain = kAtLoad) {
  return method.run(s.data(), gain.factor, gain.scale, gain.floor);
}

// A method with exponent 1, so that SWMEnergy is the weighted, gained band
// energy itself.
StandardWeightMethod linearMethod(int optionIndex = 0) {
  StandardWeightMethod method;
  method.setSensitivity(100);
  method.chooseBand(optionIndex);
  return method;
}

TEST(StandardWeightMethod, BassBandReadsBinsFourToSevenOnly) {
  StandardWeightMethod method = linearMethod(0);
  // Loud and jumping everywhere but bins 4..7: never a beat.
  for (int i = 0; i < 300; ++i) {
    Spectrum s(1024, i % 7 == 0 ? 5.0f : 0.01f);
    for (int bin = 4; bin <= 7; ++bin) s[bin] = 0.0f;
    ASSERT_FALSE(tick(method, s)) << i;
    ASSERT_EQ(method.SWMEnergy, 0.0);
  }

  Spectrum s = silence();
  s[4] = 1.0f;
  s[5] = 2.0f;
  s[6] = 3.0f;
  s[7] = 4.0f;
  EXPECT_TRUE(tick(method, s));
  EXPECT_DOUBLE_EQ(method.SWMBassEnergy, 2.5);
  EXPECT_DOUBLE_EQ(method.SWMEnergy, 6 * 2.5);
}

TEST(StandardWeightMethod, HihatBandWithCorrection) {
  StandardWeightMethod method = linearMethod(1);
  method.setCorrection(1100);
  EXPECT_EQ(method.SWMCorrectionFactor, 11);
  Spectrum s = hihat(0.01);
  s[232] = 5.0f;  // the neighbours of the band do not count
  s[373] = 5.0f;
  s[5] = 5.0f;
  tick(method, s);
  EXPECT_NEAR(method.SWMHihatEnergy, 0.11, 1e-7);
  EXPECT_NEAR(method.SWMEnergy, 0.66, 1e-7);  // 6 x 0.01 x 11
}

TEST(StandardWeightMethod, BothBandsAreAveragedAndAnUnusedBandKeepsItsValue) {
  StandardWeightMethod method = linearMethod(2);
  Spectrum s = hihat(0.01);
  for (int bin = 4; bin <= 7; ++bin) s[bin] = 0.5f;
  tick(method, s);
  EXPECT_NEAR(method.SWMHihatEnergy, 0.04, 1e-7);  // correction factor 4 at load
  EXPECT_DOUBLE_EQ(method.SWMBassEnergy, 0.5);
  EXPECT_NEAR(method.SWMEnergy, 6 * (0.04 + 0.5) / 2, 1e-7);

  method.chooseBand(0);
  tick(method, bass(0.25));
  EXPECT_NEAR(method.SWMHihatEnergy, 0.04, 1e-7);
  EXPECT_DOUBLE_EQ(method.SWMEnergy, 1.5);

  method.chooseBand(1);
  tick(method, hihat(0.02));
  EXPECT_DOUBLE_EQ(method.SWMBassEnergy, 0.25);
}

TEST(StandardWeightMethod, HandlersAtTheEdgesOfTheirControls) {
  // The common values are in the method_panels transcript.
  StandardWeightMethod method;
  for (auto [option, index] : std::vector<std::pair<int, int16_t>>{{1, 1}, {3, 2}, {-1, 2}}) {
    method.chooseBand(option);
    EXPECT_EQ(method.SWMBassHihatIndex, index) << option;
  }
  // Halves go to the even neighbour.
  for (auto [value, factor] :
       std::vector<std::pair<int, int16_t>>{{200, 2}, {1149, 11}, {1150, 12}, {1250, 12}, {2000, 20}}) {
    method.setCorrection(value);
    EXPECT_EQ(method.SWMCorrectionFactor, factor) << value;
  }
}

TEST(StandardWeightMethod, GainScalesTheBandBeforeThePower) {
  StandardWeightMethod method;
  method.setSensitivity(-100);
  tick(method, bass(0.25));
  EXPECT_NEAR(method.SWMEnergy, 7.59375, 1e-12);  // 1.5 ^ 5

  method.setSensitivity(0);
  tick(method, bass(0.25), kGain100);
  EXPECT_NEAR(method.SWMEnergy, std::pow(1.5 * 2.45, 3.0), 1e-9);
}

TEST(StandardWeightMethod, ConstantInputNeverBeatsOnceTheHistoriesAreFull) {
  for (Gain gain : {kGain0, kGain50, kGain100}) {
    StandardWeightMethod method;
    const Spectrum s = bass(1.0);
    // While the histories still hold their start zeros the value stands out.
    EXPECT_TRUE(tick(method, s, gain));
    for (int i = 1; i < 200; ++i) tick(method, s, gain);
    for (int i = 0; i < 300; ++i) ASSERT_FALSE(tick(method, s, gain)) << i;
  }
}

TEST(StandardWeightMethod, SilenceNeverBeats) {
  StandardWeightMethod method;
  for (int i = 0; i < 300; ++i) ASSERT_FALSE(tick(method, silence(), kGain100)) << i;
  EXPECT_EQ(method.SWMLongThreshold, 0.5);
}

// One tick over a silent history whose scaled value is `ratio` times the
// floor of `gain`, with exponent 1.
bool spikeAt(Gain gain, double ratio, StandardWeightMethod* out = nullptr) {
  StandardWeightMethod method = linearMethod(0);
  for (int i = 0; i < 250; ++i) tick(method, silence(), gain);
  const double level = ratio * gain.floor / (gain.scale * 6 * gain.factor);
  const bool beat = tick(method, bass(level), gain);
  if (out != nullptr) *out = method;
  return beat;
}

TEST(StandardWeightMethod, SingleSpikeBeatsOnlyAboveTheGainFloor) {
  for (Gain gain : {kGain0, kGain50, kGain100}) {
    EXPECT_TRUE(spikeAt(gain, 1.02)) << gain.floor;
    StandardWeightMethod method;
    EXPECT_FALSE(spikeAt(gain, 0.98, &method)) << gain.floor;
    // Twice the means is far below the floor: both thresholds are the floor.
    EXPECT_EQ(method.SWMLongThreshold, gain.floor);
    EXPECT_EQ(method.SWMShortThreshold, gain.floor);
  }
}

TEST(StandardWeightMethod, BothMeansIncludeTheCurrentValueAndMustBeCleared) {
  // Over a history of 1.0 values a value s clears the long threshold when
  // s > 2 (199 + s) / 200, that is s > 2.0101, and the short one when
  // s > 2 (49 + s) / 50, that is s > 2.0417.
  auto afterSteadyTicks = [] {
    StandardWeightMethod method = linearMethod(0);
    for (int i = 0; i < 250; ++i) tick(method, bass(1.0 / 6));
    return method;
  };
  StandardWeightMethod method = afterSteadyTicks();
  EXPECT_FALSE(tick(method, bass(2.03 / 6)));
  method = afterSteadyTicks();
  EXPECT_TRUE(tick(method, bass(2.05 / 6)));

  // A loud stretch 1..4 s ago raises the long mean only: the short threshold
  // is cleared, the long one is not.
  method = linearMethod(0);
  for (int i = 0; i < 150; ++i) tick(method, bass(3.0 / 6));
  for (int i = 0; i < 49; ++i) tick(method, bass(1.0 / 6));
  EXPECT_FALSE(tick(method, bass(2.5 / 6)));
  EXPECT_LT(100 * method.SWMEnergy, method.SWMLongThreshold);
  EXPECT_GT(100 * method.SWMEnergy, method.SWMShortThreshold);
}

TEST(StandardWeightMethod, RunningSumsFollowTheHistories) {
  StandardWeightMethod method = linearMethod(0);
  TestRandom random(12345);
  std::vector<double> values;
  for (int i = 0; i < 700; ++i) {
    tick(method, bass(random.next()));
    values.push_back(method.SWMEnergy);
  }
  // Index 0 is the oldest entry, the last the newest.
  for (int i = 0; i < 200; ++i) ASSERT_EQ(method.SWMLongHistory[i], values[500 + i]) << i;
  for (int i = 0; i < 50; ++i) ASSERT_EQ(method.SWMShortHistory[i], values[650 + i]) << i;
  const double longSum = std::accumulate(method.SWMLongHistory.begin(), method.SWMLongHistory.end(), 0.0);
  const double shortSum = std::accumulate(method.SWMShortHistory.begin(), method.SWMShortHistory.end(), 0.0);
  EXPECT_NEAR(method.SWMLongSum, longSum, 1e-9 * longSum);
  EXPECT_NEAR(method.SWMShortSum, shortSum, 1e-9 * shortSum);
  EXPECT_NEAR(method.SWMLongThreshold, std::max(2 * longSum / 200 * 100, 1.0), 1e-9 * longSum);
}

TEST(StandardWeightMethod, NonFiniteSpectrumEntersAsSilence) {
  StandardWeightMethod method = linearMethod(2);
  for (int i = 0; i < 250; ++i) tick(method, bass(0.01));
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    Spectrum s = bass(0.01);
    s[300] = bad;
    EXPECT_FALSE(tick(method, s));
    EXPECT_EQ(method.SWMEnergy, 0.0);
  }
  EXPECT_TRUE(std::isfinite(method.SWMLongSum));
  EXPECT_TRUE(std::isfinite(method.SWMShortSum));
  // The method still hears the next beat.
  EXPECT_TRUE(tick(method, bass(1.0)));
}

}  // namespace
}  // namespace tactolo
