#include "tracking/simple_sound_energy.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tracking/tempo.h"

namespace tactolo {
namespace {

std::vector<float> spectrumWithEnergy(double energy) {
  std::vector<float> bins(1024, 0.0f);
  bins[3] = static_cast<float>(std::sqrt(energy));
  return bins;
}

TEST(SimpleSoundEnergy, SilenceBeatsOnlyWhileTheHistoryHoldsItsStartZeros) {
  SimpleSoundEnergy method;
  std::vector<float> silence(1024, 0.0f);
  // The floor (0.001) is above a mean of zeros: the start block of the cycle
  // covers these first ticks.
  EXPECT_TRUE(method.run(silence.data(), 1.0));
  for (int i = 1; i < 43; ++i) method.run(silence.data(), 1.0);
  for (int i = 0; i < 200; ++i) ASSERT_FALSE(method.run(silence.data(), 1.0)) << i;
  EXPECT_DOUBLE_EQ(method.SSEEnergy, 0.001);
  EXPECT_NEAR(method.SSEVariance, 0.0, 1e-30);
  EXPECT_NEAR(method.SSEFactor, 1.5142857, 1e-12);
}

TEST(SimpleSoundEnergy, SteadyToneNeverBeatsOnceTheHistoryIsFull) {
  SimpleSoundEnergy method;
  auto tone = spectrumWithEnergy(2.0);
  for (int i = 0; i < 43; ++i) method.run(tone.data(), 1.0);
  for (int i = 0; i < 100; ++i) ASSERT_FALSE(method.run(tone.data(), 1.0)) << i;
}

TEST(SimpleSoundEnergy, JumpAboveTheThresholdTimesTheGainBeats) {
  const auto steady = [] {
    SimpleSoundEnergy method;
    for (int i = 0; i < 43; ++i) method.run(spectrumWithEnergy(1.0).data(), 1.0);
    return method;
  };
  // 1.5142857 times the mean is the threshold: just below gives nothing.
  SimpleSoundEnergy method = steady();
  EXPECT_FALSE(method.run(spectrumWithEnergy(1.514).data(), 1.0));
  method = steady();
  EXPECT_TRUE(method.run(spectrumWithEnergy(1.52).data(), 1.0));
  // The mean was taken before the jump entered the history.
  EXPECT_NEAR(method.SSEAverage, 1.0, 1e-6);
  EXPECT_NEAR(method.SSEHistory[0], 1.52, 1e-6);
  // The gain factor scales the energy: 0.62 x 2.45 clears the threshold.
  method = steady();
  EXPECT_TRUE(method.run(spectrumWithEnergy(0.62).data(), 2.45));
  EXPECT_NEAR(method.SSEEnergy, 0.62 * 2.45, 1e-6);
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

TEST(SimpleSoundEnergy, LastBinIsIgnored) {
  SimpleSoundEnergy method;
  std::vector<float> bins(1024, 0.0f);
  bins[1023] = 100.0f;
  method.run(bins.data(), 1.0);
  EXPECT_DOUBLE_EQ(method.SSEEnergy, 0.001);
}

TEST(MeasureBpm, IntervalsToTempoRoundedDownAndNoTempoForNoInterval) {
  // 180.18 rounds down; 60000 / 1 does not fit and is held at the largest
  // tempo.
  for (const auto& [now, previous, bpm] : {std::tuple{1500, 1000, 120},
                                           {1333, 1000, 180},
                                           {60000, 0, 1},
                                           {60001, 0, 0},
                                           {500, 500, 0},
                                           {-2147483647, 2147483647, 0},
                                           {1, 0, 32767}}) {
    EXPECT_EQ(MeasureBpm(now, previous), bpm) << now << " " << previous;
  }
}

}  // namespace
}  // namespace tactolo
