#include "audio/file_playback.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "audio/spectrum.h"
#include "signals.h"

namespace tactolo::testing {
namespace {

/// One second of silence, then one second of a full-scale sine on bin 100.
DecodedAudio silenceThenTone() {
  DecodedAudio audio = makeSilence(1.0);
  const DecodedAudio tone = makeTone(binHz(100), 1.0);
  audio.samples.insert(audio.samples.end(), tone.samples.begin(), tone.samples.end());
  return audio;
}

class FilePlaybackTest : public ::testing::Test {
 protected:
  FilePlaybackTest() : audio(silenceThenTone()) {
    playback = std::make_unique<FilePlaybackLibrary>(
        clock, std::vector<PlaybackDevice>{PlaybackDevice::fromAudio("Song", audio),
                                           PlaybackDevice::fromSource("Drums", "synth:120", 3.0),
                                           PlaybackDevice::fromSource("Broken", "synth:abc", 3.0)});
  }

  ChannelHandle start(int32_t device = 0) {
    EXPECT_TRUE(playback->RecordInit(device));
    return playback->RecordStart(44100, 2, kSampleFloat, nullptr, nullptr);
  }

  std::vector<float> dataAt(ChannelHandle handle, TimeMs now) {
    clock.advanceTo(now);
    std::vector<float> bins(kSpectrumBins, -1.0f);
    EXPECT_EQ(playback->ChannelGetData(handle, bins.data(), kDataFft2048), 16384);
    return bins;
  }

  /// What the spectrum must be with the frames [played - 2048, played) of the
  /// audio, silence outside it.
  std::vector<float> expectedAfter(int64_t played) {
    std::vector<float> frames(2 * kFftSize, 0.0f);
    for (int64_t i = 0; i < kFftSize; ++i) {
      const int64_t source = played - kFftSize + i;
      if (source >= 0 && source < int64_t(audio.frameCount())) {
        frames[2 * i] = audio.samples[2 * source];
        frames[2 * i + 1] = audio.samples[2 * source + 1];
      }
    }
    std::vector<float> bins(kSpectrumBins);
    SpectrumAnalyzer().analyze(frames.data(), bins.data());
    return bins;
  }

  VirtualClock clock;
  DecodedAudio audio;
  std::unique_ptr<FilePlaybackLibrary> playback;
};

TEST_F(FilePlaybackTest, SpectrumAndLevelFollowTheClock) {
  clock.advance(5000);
  const ChannelHandle handle = start();
  ASSERT_EQ(handle, 1u);
  EXPECT_EQ(playback->decodedMs(), 2000);
  EXPECT_EQ(dataAt(handle, 5900), std::vector<float>(kSpectrumBins, 0.0f));
  EXPECT_EQ(playback->ChannelGetLevel(handle), 0u);
  // 1010 ms in: 441 frames of the tone, the rest silence.
  const auto early = dataAt(handle, 6010);
  EXPECT_EQ(early, expectedAfter(1010 * 441 / 10));
  EXPECT_GT(early[100], 0.01f);
  EXPECT_LT(early[100], 0.5f);
  const uint32_t level = playback->ChannelGetLevel(handle);
  EXPECT_GT(level & 0xFFFFu, 32000u);
  EXPECT_EQ(level >> 16, level & 0xFFFFu);
  // Well into the tone; 1234.5 ms worth of frames, rounded down.
  const auto full = dataAt(handle, 6234);
  EXPECT_EQ(full, expectedAfter(54419));
  EXPECT_NEAR(full[100], 1.0f, 0.01f);
  EXPECT_EQ(playback->playedMs(), 1234);
  EXPECT_TRUE(playback->playing());
  // Past the end: the last frames fade out of the window, then silence.
  EXPECT_EQ(dataAt(handle, 7020), expectedAfter(2020 * 441 / 10));
  EXPECT_EQ(dataAt(handle, 7100), std::vector<float>(kSpectrumBins, 0.0f));
  EXPECT_EQ(playback->ChannelGetLevel(handle), 0u);
  EXPECT_FALSE(playback->playing());
}

TEST_F(FilePlaybackTest, SourcesAreDecodedWhenTheDeviceIsInitialised) {
  start(1);
  EXPECT_EQ(playback->decodedMs(), 3000);
  EXPECT_TRUE(playback->RecordFree());
  EXPECT_EQ(playback->decodedMs(), std::nullopt);
  EXPECT_FALSE(playback->RecordInit(2));
  EXPECT_EQ(playback->ErrorGetCode(), kErrorNotAvailable);
  EXPECT_THAT(playback->loadError(), ::testing::HasSubstr("synth:abc"));
}

}  // namespace
}  // namespace tactolo::testing
