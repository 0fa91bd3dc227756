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

TEST(SimpleSoundEnergy, SteadyInputBeatsOnlyWhileTheHistoryHoldsItsStartZeros) {
  for (double energy : {0.0, 2.0}) {
    SimpleSoundEnergy method;
    const auto steady = spectrumWithEnergy(energy);
    // The start block of the cycle covers these first ticks.
    EXPECT_TRUE(method.run(steady.data(), 1.0));
    for (int i = 1; i < 43; ++i) method.run(steady.data(), 1.0);
    for (int i = 0; i < 200; ++i) ASSERT_FALSE(method.run(steady.data(), 1.0)) << i;
  }
  SimpleSoundEnergy method;
  for (int i = 0; i < 50; ++i) method.run(spectrumWithEnergy(0.0).data(), 1.0);
  EXPECT_DOUBLE_EQ(method.SSEEnergy, 0.001);  // the floor
  EXPECT_NEAR(method.SSEVariance, 0.0, 1e-30);
  EXPECT_NEAR(method.SSEFactor, 1.5142857, 1e-12);
  // Every bin but the last counts.
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
  // enters the history.
  for (const auto& [energy, gain, beat] :
       {std::tuple{1.514, 1.0, false}, {1.52, 1.0, true}, {0.62, 2.45, true}, {0.6, 2.45, false}}) {
    SimpleSoundEnergy method;
    for (int i = 0; i < 43; ++i) method.run(spectrumWithEnergy(1.0).data(), 1.0);
    EXPECT_EQ(method.run(spectrumWithEnergy(energy).data(), gain), beat) << energy;
    EXPECT_NEAR(method.SSEAverage, 1.0, 1e-6);
    EXPECT_NEAR(method.SSEHistory[0], energy * gain, 1e-6);
    EXPECT_NEAR(method.SSEHistory[42], 1.0, 1e-6);
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
