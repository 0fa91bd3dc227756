#include "audio/spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "audio/capture_analysis.h"
#include "audio/frame_ring.h"
#include "signals.h"

namespace tactolo::testing {
namespace {

std::vector<float> spectrumOf(const std::vector<float>& frames) {
  SpectrumAnalyzer analyzer;
  std::vector<float> bins(kSpectrumBins, -1.0f);
  analyzer.analyze(frames.data(), bins.data());
  return bins;
}

TEST(Spectrum, FullScaleSineOnABinCentreReadsOneThere) {
  for (const int bin : {5, 100, 517, 1000}) {
    SCOPED_TRACE(bin);
    const auto bins = spectrumOf(stereo(kFftSize, sine(binHz(bin)), sine(binHz(bin))));
    EXPECT_NEAR(bins[bin], 1.0f, 0.01f);
    // A Hann window spreads a centred sine over exactly three bins.
    EXPECT_NEAR(bins[bin - 1], 0.5f, 0.01f);
    EXPECT_NEAR(bins[bin + 1], 0.5f, 0.01f);
    EXPECT_LT(bins[bin + 3], 1e-3f);
    EXPECT_EQ(std::max_element(bins.begin(), bins.end()) - bins.begin(), bin);
  }
}

TEST(Level, ChannelsGoToTheirHalvesOfTheWordClippedAtFullScale) {
  const auto alternating = [](std::size_t i) { return i % 2 ? 1.0 : -0.3; };
  EXPECT_EQ(levelWord(stereo(kFftSize, constant(0), alternating).data(), kFftSize), 0x80000000u);
  EXPECT_EQ(levelWord(stereo(kFftSize, constant(-1.0), constant(0)).data(), kFftSize), 0x00008000u);
  EXPECT_EQ(levelWord(stereo(kFftSize, constant(0.5), constant(-0.25)).data(), kFftSize),
            (8192u << 16) | 16384u);
  EXPECT_EQ(levelWord(stereo(100, constant(1.7), constant(-3.0)).data(), 100), 0x80008000u);
  // Only the newest 882 frames count.
  auto frames = stereo(kFftSize, constant(0.1), constant(0.1));
  frames[2 * (kFftSize - kLevelFrames - 1)] = 1.0f;  // just too old
  EXPECT_EQ(levelWord(frames.data(), kFftSize), (3277u << 16) | 3277u);
  frames[2 * (kFftSize - kLevelFrames) + 1] = 1.0f;  // the oldest that counts
  EXPECT_EQ(levelWord(frames.data(), kFftSize), 0x80000000u | 3277u);
}

TEST(CaptureAnalysis, AnswersFromTheNewestFramesOfARing) {
  FrameRing ring;
  const auto older = stereo(3000, constant(0.9), constant(0.9));
  const auto newest = stereo(kFftSize, sine(binHz(64)), sine(binHz(64), 0.5));
  ring.write(older.data(), 3000);
  ring.write(newest.data(), kFftSize);

  CaptureAnalysis analysis;
  std::vector<float> bins(kSpectrumBins);
  int32_t error = -5;
  EXPECT_EQ(analysis.data(ring, bins.data(), kDataFft2048, error), kFftRequestBytes);
  EXPECT_EQ(error, kErrorOk);
  EXPECT_EQ(bins, spectrumOf(newest));
  EXPECT_EQ(analysis.level(ring), levelWord(newest.data(), kFftSize));
  EXPECT_EQ(analysis.data(ring, bins.data(), 0x80000004u, error), -1);
  EXPECT_EQ(error, kErrorNotAvailable);
}

TEST(CaptureAnalysis, SamplesAreMadeSafeBeforeTheyAreAnalysed) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> samples = {nan, inf, -inf, 1e30f, -1e30f, 1.0f, -1.0f, 0.25f, -0.75f, 1.0001f, 0.0f};
  sanitizeSamples(samples.data(), samples.size());
  EXPECT_EQ(samples,
            (std::vector<float>{0.0f, 0.0f, 0.0f, 1.0f, -1.0f, 1.0f, -1.0f, 0.25f, -0.75f, 1.0f, 0.0f}));
}

}  // namespace
}  // namespace tactolo::testing
