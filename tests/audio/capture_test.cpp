// What every capture back-end shares: the ring of recent frames, the level
// word and the analysis answering from the newest frames, the input gain,
// and the back-end that raises on request (its use in the plug-in's handlers
// is in the handler_errors transcript). Samples that are no numbers or out
// of range are in the sources command transcript.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <stdexcept>
#include <thread>
#include <utility>

#include "audio/capture_analysis.h"
#include "audio/fake_capture.h"
#include "audio/frame_ring.h"
#include "audio/input_gain.h"
#include "audio/raising_capture.h"
#include "audio/spectrum.h"
#include "signals.h"

namespace tactolo::testing {
namespace {

/// Frames whose left sample is `first + i` and right sample its negative.
std::vector<float> counting(std::size_t first, std::size_t frames) {
  return stereo(
      frames, [first](std::size_t i) { return double(first + i); },
      [first](std::size_t i) { return -double(first + i); });
}

TEST(FrameRing, KeepsOrderAcrossTheWrapAndMissingOlderFramesReadAsSilence) {
  FrameRing ring;
  ASSERT_EQ(ring.capacityFrames(), 8192u);
  const auto a = counting(1, 7999);
  ring.write(a.data(), 7999);
  std::vector<float> out(2 * 8192, 7.0f);  // what was there is overwritten
  ring.readNewest(out.data(), 8001);
  EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 4), std::vector<float>(4, 0.0f));
  EXPECT_EQ(std::vector<float>(out.begin() + 4, out.begin() + 2 * 8001), a);
  const auto b = counting(8000, 500);
  ring.write(b.data(), 500);
  // The whole ring: the 308 oldest frames were overwritten.
  ring.readNewest(out.data(), 8192);
  EXPECT_EQ(out, counting(308, 8192));
  EXPECT_EQ(ring.framesWritten(), 8499u);
}

TEST(FrameRing, AWriteLongerThanTheRingKeepsItsNewestFrames) {
  // A sound server may hand over more than the ring holds after a stall.
  FrameRing ring;
  const auto big = counting(0, 20000);
  ring.write(big.data(), 20000);
  std::vector<float> out(2 * 8192);
  ring.readNewest(out.data(), 8192);
  EXPECT_EQ(out, counting(20000 - 8192, 8192));
}

TEST(FrameRing, ReaderOnAnotherThreadSeesWholeWrites) {
  FrameRing ring;
  std::atomic<bool> done = false;
  std::thread writer([&] {
    for (std::size_t block = 0; block < 20000; ++block) {
      const auto frames = counting(block * 441, 441);
      ring.write(frames.data(), 441);
    }
    done = true;
  });
  std::vector<float> out(2 * kFftSize);
  int torn = 0;
  int reads = 0;
  while (!done || reads == 0) {
    ring.readNewest(out.data(), kFftSize);
    ++reads;
    const auto last = static_cast<std::size_t>(out[2 * (kFftSize - 1)]);
    if (last >= kFftSize && out != counting(last + 1 - kFftSize, kFftSize)) ++torn;
  }
  writer.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(ring.framesWritten(), 20000u * 441u);
}

std::vector<float> spectrumOf(const std::vector<float>& frames) {
  SpectrumAnalyzer analyzer;
  std::vector<float> bins(kSpectrumBins, -1.0f);
  analyzer.analyze(frames.data(), bins.data());
  return bins;
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

TEST(InputGain, DecibelsBecomeAmplitudeFactors) {
  for (const auto& [db, factor] : {std::pair{0.0, 1.0f}, {6.0206, 2.0f}, {20.0, 10.0f}, {30.0, 31.6228f}}) {
    EXPECT_NEAR(inputGainFactor(db), factor, 1e-3f) << db;
  }
}

TEST(RaisingCapture, TakesOnlyTheLibrarysOperationsByTheirExactNames) {
  // Raising once, in place of the call, is in the handler_errors transcript.
  FakeCaptureLibrary fake({{"Line In", true, {{"Line", true}}}});
  RaisingCaptureLibrary capture(fake);
  EXPECT_THROW(capture.raiseOnNextCall("RecordStop", "x"), std::invalid_argument);
  EXPECT_FALSE(RaisingCaptureLibrary::isOperation("channelgetlevel"));
}

}  // namespace
}  // namespace tactolo::testing
