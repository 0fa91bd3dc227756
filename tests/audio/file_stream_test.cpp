// Audio files read whole, the generated sources and their names; audio
// files streamed while they play: heard exactly as when decoded whole,
// across the window's wrap, resampling, the end and restarts, in bounded
// memory. What `tactolo analyze` makes of files that are cut short, damaged
// inside, claim hours, carry a WAV length their writer could not fill in or
// are no regular file is in the sources command transcript.
#include "audio/file_stream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "audio/audio_source.h"
#include "audio/file_playback.h"
#include "audio/scripted_capture.h"
#include "audio/sound_file.h"
#include "audio/spectrum.h"
#include "signals.h"
#include "support/sound_files.h"

namespace {
std::atomic<long> allocations{0};
std::atomic<long long> allocatedBytes{0};
}  // namespace

// Counts the program's allocations and their bytes (for the tests that
// playback makes none, and that a file is not decoded whole). Kept out of
// line, so that no caller sees the malloc and free behind them.
[[gnu::noinline]] void* operator new(std::size_t size) {
  ++allocations;
  allocatedBytes += static_cast<long long>(size);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace tactolo::testing {
namespace {

using ::testing::FloatNear;
using ::testing::Pointwise;

/// A capture of the one device of a FilePlaybackLibrary, from the clock's
/// time of construction on.
struct Player {
  Player(const Clock& clock, PlaybackDevice device) : library(clock, {std::move(device)}) {
    EXPECT_TRUE(library.RecordInit(0)) << library.loadError();
    restart();
  }
  void restart() {
    library.ChannelStop(handle);
    handle = library.RecordStart(kCaptureRate, 2, kSampleFloat, nullptr, nullptr);
  }
  std::vector<float> spectrum() {
    std::vector<float> bins(kSpectrumBins, -1.0f);
    EXPECT_EQ(library.ChannelGetData(handle, bins.data(), kDataFft2048), kFftRequestBytes);
    return bins;
  }

  FilePlaybackLibrary library;
  ChannelHandle handle = 0;
};

/// A different tone, sweep and hiss on each channel.
double busy(int i, int channel) {
  const double at = i;
  return 0.5 * std::sin(at * (0.01 + 0.004 * channel)) + 0.2 * std::sin(1e-7 * at * at + channel) +
         0.2 * std::sin(0.37 * at * at + channel);
}

class FileStreamTest : public SoundFileTest {
 protected:
  /// Plays `path` streamed and decoded whole side by side on one clock, in
  /// 13 ms steps with one leap of 400 ms, to past its end, and then once
  /// more from the start. Spectra must agree within `tolerance`, each half
  /// of the level word within `levelTolerance`.
  void expectStreamedAsWhole(const std::string& path, float tolerance, uint32_t levelTolerance) {
    VirtualClock clock;
    Player streamed(clock, PlaybackDevice::fromSource("streamed", path, 0.0));
    Player whole(clock, PlaybackDevice::fromAudio("whole", loadAudioFile(path)));
    const int64_t lengthMs = *whole.library.decodedMs();
    ASSERT_GT(lengthMs, 4 * FileStream::kWindowFrames * 1000 / kCaptureRate);
    for (int run = 0; run < 2; ++run) {
      const TimeMs start = clock.nowMs();
      for (TimeMs t = 0; t < lengthMs + 100; t += t == 390 ? 400 : 13) {
        clock.advanceTo(start + t);
        ASSERT_THAT(streamed.spectrum(), Pointwise(FloatNear(tolerance), whole.spectrum()))
            << run << ' ' << t;
        const uint32_t a = streamed.library.ChannelGetLevel(streamed.handle);
        const uint32_t b = whole.library.ChannelGetLevel(whole.handle);
        ASSERT_NEAR(a & 0xFFFFu, b & 0xFFFFu, levelTolerance) << t;
        ASSERT_NEAR(a >> 16, b >> 16, levelTolerance) << t;
        ASSERT_EQ(streamed.library.playing(), whole.library.playing()) << t;
      }
      EXPECT_FALSE(streamed.library.playing());
      EXPECT_EQ(streamed.library.decodedMs(), lengthMs);
      EXPECT_EQ(streamed.library.loadError(), "");
      EXPECT_EQ(streamed.spectrum(), std::vector<float>(kSpectrumBins, 0.0f));
      streamed.restart();
      whole.restart();
    }
  }
};

TEST_F(FileStreamTest, FilesLongerThanTheWindowPlayAsWhenDecodedWhole) {
  // Stereo, and mono and three channels, which take another way in; and
  // resampled, within rounding.
  for (const int channels : {2, 1, 3}) {
    SCOPED_TRACE(channels);
    expectStreamedAsWhole(write("long.wav", 44100, channels, 66150, busy, SF_FORMAT_WAV | SF_FORMAT_PCM_16),
                          0.0f, 0);
  }
  expectStreamedAsWhole(write("low.wav", 22050, 1, 33075, busy), 1e-5f, 1);
  // Decoded by libFLAC and libvorbisfile, which go back to the start too.
  expectStreamedAsWhole(write("long.flac", 44100, 2, 66150, busy, SF_FORMAT_FLAC | SF_FORMAT_PCM_16), 0.0f,
                        0);
  expectStreamedAsWhole(write("long.ogg", 44100, 1, 66150, busy, SF_FORMAT_OGG | SF_FORMAT_VORBIS), 0.0f, 0);
}

TEST_F(FileStreamTest, PlayingAllocatesNothing) {
  for (const std::string& path :
       {write("stereo.wav", 44100, 2, 44100, busy), write("mono.wav", 32000, 1, 32000, busy),
        write("mono.flac", 44100, 1, 44100, busy, SF_FORMAT_FLAC | SF_FORMAT_PCM_16),
        write("stereo.ogg", 44100, 2, 44100, busy, SF_FORMAT_OGG | SF_FORMAT_VORBIS)}) {
    VirtualClock clock;
    Player player(clock, PlaybackDevice::fromSource("File", path, 0.0));
    std::vector<float> bins(kSpectrumBins);
    int64_t bytes = 0;
    const long before = allocations;
    for (int tick = 0; tick < 60; ++tick) {
      clock.advance(20);
      bytes += player.library.ChannelGetData(player.handle, bins.data(), kDataFft2048);
      bytes += player.library.ChannelGetLevel(player.handle) != 0xFFFFFFFFu;
    }
    EXPECT_EQ(allocations - before, 0) << path;
    EXPECT_EQ(bytes, 60 * (kFftRequestBytes + 1));
  }
}

TEST_F(FileStreamTest, ScriptedCaptureStreamsItsFileInBoundedMemory) {
  // 30 s of audio: 10 MB decoded whole; streamed, the window and the
  // decoder's buffers. What it plays is what FilePlaybackLibrary plays,
  // checked above.
  const std::string path = write("long.wav", 44100, 2, 30 * 44100, busy, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  VirtualClock clock;
  ScriptedCaptureLibrary capture(clock);
  capture.addDevice("Line In", true);
  ASSERT_TRUE(capture.RecordInit(0));
  const ChannelHandle handle = capture.RecordStart(kCaptureRate, 2, kSampleFloat, nullptr, nullptr);
  std::vector<float> bins(kSpectrumBins);
  const long long before = allocatedBytes;
  capture.setSource(path);
  for (int tick = 0; tick < 30 * 50; ++tick) {
    clock.advance(20);
    ASSERT_EQ(capture.ChannelGetData(handle, bins.data(), kDataFft2048), kFftRequestBytes);
  }
  EXPECT_LT(allocatedBytes - before, 1 << 20);
  EXPECT_EQ(capture.takeSourceBreak(), std::nullopt);
}

using ::testing::HasSubstr;

using AudioFileTest = SoundFileTest;

/// Spectrum of the 2048 frames from frame `at` on.
std::vector<float> spectrumAt(const DecodedAudio& audio, std::size_t at) {
  std::vector<float> bins(kSpectrumBins);
  SpectrumAnalyzer().analyze(audio.samples.data() + 2 * at, bins.data());
  return bins;
}

TEST_F(AudioFileTest, StereoAt44100IsReadAsItIsAndOfManyChannelsTheFirstTwoAreKept) {
  DecodedAudio audio = loadAudioFile(
      write("stereo.wav", 44100, 2, 44100, [](int i, int c) { return c == 0 ? i * 1e-5 : -0.5; }));
  ASSERT_EQ(audio.frameCount(), 44100u);
  EXPECT_EQ(audio.durationMs(), 1000);
  EXPECT_FLOAT_EQ(audio.samples[2 * 30000], 0.3f);
  EXPECT_FLOAT_EQ(audio.samples[2 * 30000 + 1], -0.5f);

  audio = loadAudioFile(write(
      "quad.flac", 44100, 4, 1000, [](int, int c) { return 0.25 * (c + 1) - 0.6; },
      SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
  ASSERT_EQ(audio.frameCount(), 1000u);
  EXPECT_NEAR(audio.samples[1000], -0.35f, 1e-4f);
  EXPECT_NEAR(audio.samples[1001], -0.1f, 1e-4f);
}

TEST_F(AudioFileTest, OtherRatesAreResampledKeepingTheBassAndTheMids) {
  // Where beats are found (up to a few kHz), the audio reads as the same
  // audio at 44.1 kHz would: each tone within 0.5 dB, and what the
  // resampling adds below its source's half rate far below them; mono is
  // heard on both channels.
  struct Case {
    int rate, channels, format;
    std::vector<int> tones;  // bins: 5 about 108 Hz, 100 2.2 kHz, 230 5 kHz
  };
  for (const Case& c : {Case{22050, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, {5, 100}},
                        Case{48000, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, {5, 100, 230}},
                        Case{44100, 2, SF_FORMAT_OGG | SF_FORMAT_VORBIS, {5, 100, 230}}}) {
    SCOPED_TRACE(c.rate);
    const DecodedAudio audio = loadAudioFile(write(
        "tones." + std::string(c.rate == 44100 ? "ogg" : "wav"), c.rate, c.channels, c.rate,
        [&c](int i, int) {
          double sum = 0.0;
          for (const int bin : c.tones) sum += 0.3 * std::sin(2 * std::numbers::pi * binHz(bin) * i / c.rate);
          return sum;
        },
        c.format));
    EXPECT_NEAR(double(audio.frameCount()), 44100.0, 50.0);
    for (std::size_t i = 0; c.channels == 1 && i < audio.frameCount(); ++i)
      ASSERT_EQ(audio.samples[2 * i], audio.samples[2 * i + 1]);
    const auto spectrum = spectrumAt(audio, 20000);
    for (int bin = 0; bin < std::min(kSpectrumBins, c.rate * kFftSize / 2 / kCaptureRate); ++bin) {
      const auto near = [bin](int tone) { return std::abs(bin - tone) <= 1; };
      if (std::find(c.tones.begin(), c.tones.end(), bin) != c.tones.end()) {
        EXPECT_NEAR(20 * std::log10(spectrum[bin] / 0.3f), 0.0, 0.5) << bin;
      } else if (std::none_of(c.tones.begin(), c.tones.end(), near)) {
        EXPECT_LT(spectrum[bin], 0.01f) << bin;
      }
    }
  }
}

TEST(TempoStep, StepsAtTheFirstBeatAtOrAfterItsTimeAndDrumsStayWithinFullScale) {
  // K = ceil(4.2 x 2) = 9, at 4.5 s; the beats across a step are in the
  // analyze transcript (synth:120/150).
  EXPECT_EQ(tempoStepBeat(120, 4.2), 9);
  EXPECT_EQ(tempoStepBeat(120, 4.0), 8);
  float peak = 0;
  for (float sample : makeDrumPattern(137, 8.0).samples) peak = std::max(peak, std::fabs(sample));
  EXPECT_LE(peak, 1.0f);
  EXPECT_GT(peak, 0.5f);
}

TEST(ParseSource, NamesTurnIntoTheGeneratorsAndBadNumbersAreRefusedQuotingTheSource) {
  EXPECT_EQ(parseSource("silence", 0.5).samples, makeSilence(0.5).samples);
  EXPECT_EQ(parseSource("tone:440.5", 1).samples, makeTone(440.5, 1).samples);
  EXPECT_EQ(parseSource("clicks:250", 1).samples, makeClicks(250, 1).samples);
  EXPECT_EQ(parseSource("synth:120/140@2.5", 4).samples, makeTempoStep(120, 140, 2.5, 4).samples);
  for (const char* bad :
       {"synth:abc", "synth:0", "synth:", "synth:120bpm", "tone:-5", "tone:30000", "clicks:2", "clicks:nan",
        "synth:120/", "synth:/140", "synth:120/140@", "synth:120/140@-1", "synth:120/140@601", "synth:120@4",
        "synth:120/140/160", "synth:120/0"}) {
    EXPECT_THAT([bad] { parseSource(bad, 1.0); },
                ::testing::ThrowsMessage<std::runtime_error>(HasSubstr(std::string("'") + bad + "'")));
  }
  EXPECT_THROW(parseSource("silence", -1), std::runtime_error);
  EXPECT_THROW(parseSource("", 1), std::runtime_error);
}

}  // namespace
}  // namespace tactolo::testing
