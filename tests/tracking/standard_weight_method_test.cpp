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
constexpr Gain kGains[] = {{0.55, 50.0, 101.0}, {1.5, 100.0, 1.0}, {2.45, 150.0, 0.5}};

Spectrum bass(double level) {
  Spectrum s = silence();
  for (int bin = 4; bin <= 7; ++bin) s[bin] = static_cast<float>(level);
  return s;
}

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
  tick(method, ramp(1));
  EXPECT_EQ(method.SWMHihatEnergy, 303.5 * 11);
  EXPECT_EQ(method.SWMBassEnergy, 0.0);
  EXPECT_EQ(method.SWMEnergy, 6 * 303.5 * 11);
  method.chooseBand(0);
  tick(method, ramp(2));
  EXPECT_EQ(method.SWMBassEnergy, 13.0);
  EXPECT_EQ(method.SWMHihatEnergy, 303.5 * 11);
  EXPECT_EQ(method.SWMEnergy, 6 * 13.0);
  method.chooseBand(2);
  tick(method, ramp(0.5));
  EXPECT_EQ(method.SWMEnergy, 6 * (3.25 + 151.75 * 11) / 2);

  // Out of range: an index other than 0 and 1 is both bands. Correction:
  // v / 100, halves to even.
  for (auto [option, index] : std::vector<std::pair<int, int16_t>>{{1, 1}, {0, 0}, {3, 2}, {-1, 2}}) {
    method.chooseBand(option);
    EXPECT_EQ(method.SWMBassHihatIndex, index) << option;
  }
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
  tick(method, bass(0.25), kGains[2]);
  EXPECT_NEAR(method.SWMEnergy, std::pow(1.5 * 2.45, 3.0), 1e-9);
}

TEST(StandardWeightMethod, SteadyInputNeverBeatsOnceTheHistoriesAreFullAndSilenceNever) {
  for (Gain gain : kGains) {
    StandardWeightMethod method;
    // While the histories still hold their start zeros the value stands out.
    EXPECT_TRUE(tick(method, bass(1.0), gain));
    for (int i = 1; i < 200; ++i) tick(method, bass(1.0), gain);
    for (int i = 0; i < 300; ++i) ASSERT_FALSE(tick(method, bass(1.0), gain)) << i;
    StandardWeightMethod quiet;
    for (int i = 0; i < 300; ++i) ASSERT_FALSE(tick(quiet, silence(), gain)) << i;
    EXPECT_EQ(quiet.SWMLongThreshold, gain.floor);
  }
}

TEST(StandardWeightMethod, ASpikeOverSilenceBeatsOnlyAboveTheGainFloor) {
  for (Gain gain : kGains) {
    for (double ratio : {1.02, 0.98}) {
      StandardWeightMethod method = linearMethod(0);
      for (int i = 0; i < 250; ++i) tick(method, silence(), gain);
      // Scaled, the spike is `ratio` times the floor; twice the means stays
      // below the floor, so both thresholds are the floor.
      EXPECT_EQ(tick(method, bass(ratio * gain.floor / (gain.scale * 6 * gain.factor)), gain), ratio > 1)
          << gain.floor;
      EXPECT_EQ(method.SWMLongThreshold, gain.floor);
      EXPECT_EQ(method.SWMShortThreshold, gain.floor);
    }
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

TEST(StandardWeightMethod, RunningSumsFollowTheHistories) {
  StandardWeightMethod method = linearMethod(0);
  TestRandom random(12345);
  std::vector<double> values;
  for (int i = 0; i < 700; ++i) {
    tick(method, bass(random.next()));
    values.push_back(method.SWMEnergy);
  }
  // Index 0 is the oldest entry, the last the newest.
  EXPECT_EQ(std::vector<double>(method.SWMLongHistory.begin(), method.SWMLongHistory.end()),
            std::vector<double>(values.begin() + 500, values.end()));
  EXPECT_EQ(std::vector<double>(method.SWMShortHistory.begin(), method.SWMShortHistory.end()),
            std::vector<double>(values.begin() + 650, values.end()));
  const double longSum = std::accumulate(values.begin() + 500, values.end(), 0.0);
  const double shortSum = std::accumulate(values.begin() + 650, values.end(), 0.0);
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
