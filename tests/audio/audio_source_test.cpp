#include "audio/audio_source.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "audio/spectrum.h"
#include "signals.h"
#include "sound_files.h"

namespace tactolo::testing {
namespace {

using ::testing::HasSubstr;

using AudioFileTest = SoundFileTest;

/// Spectrum of the 2048 frames from frame `at` on.
std::vector<float> spectrumAt(const DecodedAudio& audio, std::size_t at) {
  SpectrumAnalyzer analyzer;
  std::vector<float> bins(kSpectrumBins);
  analyzer.analyze(audio.samples.data() + 2 * at, bins.data());
  return bins;
}

TEST_F(AudioFileTest, StereoAt44100IsReadAsItIs) {
  const auto path =
      write("stereo.wav", 44100, 2, 44100, [](int i, int c) { return c == 0 ? i * 1e-5 : -0.5; });
  const DecodedAudio audio = loadAudioFile(path);
  ASSERT_EQ(audio.frameCount(), 44100u);
  EXPECT_EQ(audio.durationMs(), 1000);
  EXPECT_FLOAT_EQ(audio.samples[2 * 30000], 0.3f);
  EXPECT_FLOAT_EQ(audio.samples[2 * 30000 + 1], -0.5f);
}

TEST_F(AudioFileTest, MonoAt22050IsResampledAndDuplicated) {
  const double hz = binHz(40);
  const auto path = write("mono.wav", 22050, 1, 22050,
                          [hz](int i, int) { return std::sin(2 * std::numbers::pi * hz * i / 22050); });
  const DecodedAudio audio = loadAudioFile(path);
  EXPECT_NEAR(double(audio.frameCount()), 44100.0, 50.0);
  EXPECT_NEAR(double(audio.durationMs()), 1000.0, 2.0);
  for (std::size_t i = 0; i < audio.frameCount(); ++i)
    ASSERT_EQ(audio.samples[2 * i], audio.samples[2 * i + 1]);
  const auto bins = spectrumAt(audio, 20000);
  EXPECT_NEAR(bins[40], 1.0f, 0.03f);
  EXPECT_EQ(std::max_element(bins.begin(), bins.end()) - bins.begin(), 40);
}

TEST_F(AudioFileTest, At48000TheBassAndTheMidsKeepTheirLevel) {
  // Where beats are found (up to a few kHz), 48 kHz audio reads as the same
  // audio at 44.1 kHz would: each tone within 0.5 dB, and whatever the
  // resampling adds far below them.
  const int bins[] = {5, 100, 230};  // about 108 Hz, 2.2 kHz and 5 kHz
  const auto path = write("video.wav", 48000, 2, 48000, [&bins](int i, int) {
    double sum = 0.0;
    for (const int bin : bins) sum += 0.3 * std::sin(2 * std::numbers::pi * binHz(bin) * i / 48000);
    return sum;
  });
  const DecodedAudio audio = loadAudioFile(path);
  EXPECT_NEAR(double(audio.frameCount()), 44100.0, 50.0);
  const auto spectrum = spectrumAt(audio, 20000);
  for (std::size_t bin = 0; bin < spectrum.size(); ++bin) {
    const bool tone =
        std::any_of(std::begin(bins), std::end(bins), [bin](int t) { return std::abs(int(bin) - t) <= 1; });
    if (std::find(std::begin(bins), std::end(bins), int(bin)) != std::end(bins)) {
      EXPECT_NEAR(20 * std::log10(spectrum[bin] / 0.3f), 0.0, 0.5) << bin;
    } else if (!tone) {
      EXPECT_LT(spectrum[bin], 0.01f) << bin;
    }
  }
}

TEST_F(AudioFileTest, OfManyChannelsTheFirstTwoAreKept) {
  const auto path = write(
      "quad.flac", 44100, 4, 1000, [](int, int c) { return 0.25 * (c + 1) - 0.6; },
      SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  const DecodedAudio audio = loadAudioFile(path);
  ASSERT_EQ(audio.frameCount(), 1000u);
  EXPECT_NEAR(audio.samples[1000], -0.35f, 1e-4f);
  EXPECT_NEAR(audio.samples[1001], -0.1f, 1e-4f);
}

TEST_F(AudioFileTest, OggVorbisDecodes) {
  const auto tone = sine(binHz(100), 0.8);
  const auto path = write(
      "tone.ogg", 44100, 2, 22050, [&tone](int i, int) { return tone(i); }, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  const DecodedAudio audio = loadAudioFile(path);
  EXPECT_EQ(audio.frameCount(), 22050u);
  EXPECT_NEAR(spectrumAt(audio, 10000)[100], 0.8f, 0.05f);
}

TEST_F(AudioFileTest, MissingAndNonAudioFilesThrowNamingThePath) {
  const std::string missing = (folder_ / "nothing-here.wav").string();
  const std::string text = (folder_ / "notes.wav").string();
  std::ofstream(text) << "these are not samples\n";
  for (const auto& path : {missing, text, folder_.string()}) {
    SCOPED_TRACE(path);
    try {
      loadAudioFile(path);
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
      EXPECT_THAT(error.what(), HasSubstr(path));
      EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos);
    }
  }
  EXPECT_THROW(parseSource(missing, 1.0), std::runtime_error);
}

/// Low-frequency (43..130 Hz) and noise-band (4..8.6 kHz) energy of the
/// windows ending every 5 ms, and the times (ms) they end at.
struct Bands {
  std::vector<double> low, high, endMs;
};
Bands bandsOf(const DecodedAudio& audio) {
  SpectrumAnalyzer analyzer;
  std::vector<float> bins(kSpectrumBins);
  Bands bands;
  for (std::size_t end = kFftSize; end <= audio.frameCount(); end += 441 / 2) {
    analyzer.analyze(audio.samples.data() + 2 * (end - kFftSize), bins.data());
    double low = 0, high = 0;
    for (int k = 2; k <= 6; ++k) low += bins[k] * bins[k];
    for (int k = 186; k <= 400; ++k) high += bins[k] * bins[k];
    bands.low.push_back(low);
    bands.high.push_back(high);
    bands.endMs.push_back(end / 44.1);
  }
  return bands;
}

/// Steps at which `energy` has a local maximum above half its largest value.
std::vector<std::size_t> peaks(const std::vector<double>& energy) {
  const double top = *std::max_element(energy.begin(), energy.end());
  std::vector<std::size_t> found;
  for (std::size_t i = 1; i + 1 < energy.size(); ++i) {
    if (energy[i] > top / 2 && energy[i] >= energy[i - 1] && energy[i] > energy[i + 1]) found.push_back(i);
  }
  return found;
}

TEST(DrumPattern, KickPeaksComeEveryBeatAndSnaresOnTwoAndFour) {
  for (const double bpm : {90.0, 120.0, 137.0}) {
    SCOPED_TRACE(bpm);
    const DecodedAudio audio = makeDrumPattern(bpm, 8.0);
    ASSERT_EQ(audio.frameCount(), 8u * 44100u);
    const Bands bands = bandsOf(audio);
    const auto kicks = peaks(bands.low);
    ASSERT_GE(kicks.size(), std::size_t(8 * bpm / 60) - 1);
    const double beatMs = 60000 / bpm;
    for (std::size_t i = 1; i < kicks.size(); ++i) {
      EXPECT_NEAR(bands.endMs[kicks[i]] - bands.endMs[kicks[i - 1]], beatMs, 10.0);
    }
    // The noise band is louder on beats 2 and 4 (1 and 3 counting from 0)
    // than on the others. A window's peak comes a little after its beat.
    double quietestSnare = 1e9, loudestOther = 0;
    for (const std::size_t step : kicks) {
      const auto beat = static_cast<long>(bands.endMs[step] / beatMs);
      if (beat % 2 == 1) {
        quietestSnare = std::min(quietestSnare, bands.high[step]);
      } else {
        loudestOther = std::max(loudestOther, bands.high[step]);
      }
    }
    EXPECT_GT(quietestSnare, 10 * loudestOther);
  }
}

TEST(TempoStep, KicksChangeTheirIntervalAtTheFirstBeatAfterTheStepTime) {
  // 120 BPM up to the first beat at or after 4.2 s (K = ceil(4.2 x 2) = 9,
  // at 4.5 s), 150 BPM (400 ms) from there on.
  EXPECT_EQ(tempoStepBeat(120, 4.2), 9);
  EXPECT_EQ(tempoStepBeat(120, 4.0), 8);
  EXPECT_EQ(tempoStepBeat(70, 15.0), 18);
  const DecodedAudio audio = makeTempoStep(120, 150, 4.2, 8.0);
  ASSERT_EQ(audio.frameCount(), 8u * 44100u);
  const Bands bands = bandsOf(audio);
  const auto kicks = peaks(bands.low);
  ASSERT_GE(kicks.size(), 15u);
  const auto beatTimeMs = [](long beat) { return beat < 9 ? 500.0 * beat : 4500.0 + 400.0 * (beat - 9); };
  // A window's peak comes a little after its beat (less than 100 ms): the
  // first kick found tells which beat it is and how late peaks come.
  const long first = static_cast<long>(bands.endMs[kicks[0]] / 500.0);
  const double lag = bands.endMs[kicks[0]] - beatTimeMs(first);
  double quietestSnare = 1e9, loudestOther = 0;
  for (std::size_t i = 0; i < kicks.size(); ++i) {
    const long beat = first + static_cast<long>(i);
    EXPECT_NEAR(bands.endMs[kicks[i]] - lag, beatTimeMs(beat), 10.0) << beat;
    // The count of beats goes on across the step: snares on the odd beats.
    double& side = beat % 2 == 1 ? quietestSnare : loudestOther;
    side = beat % 2 == 1 ? std::min(side, bands.high[kicks[i]]) : std::max(side, bands.high[kicks[i]]);
  }
  EXPECT_GT(quietestSnare, 10 * loudestOther);
}

TEST(TempoStep, BeforeTheStepItIsThePatternAtTheFirstTempo) {
  EXPECT_EQ(makeTempoStep(120, 150, 20.0, 3.0).samples, makeDrumPattern(120, 3.0).samples);
  EXPECT_EQ(makeTempoStep(100, 100, 0.0, 3.0).samples, makeDrumPattern(100, 3.0).samples);
  EXPECT_NE(makeTempoStep(120, 150, 1.0, 3.0).samples, makeDrumPattern(120, 3.0).samples);
}

TEST(DrumPattern, IsDeterministicAndWithinFullScale) {
  const DecodedAudio a = makeDrumPattern(174, 3.0);
  EXPECT_EQ(a.samples, makeDrumPattern(174, 3.0).samples);
  EXPECT_EQ(levelWord(a.samples.data(), a.frameCount()) & 0xFFFFu,
            levelWord(a.samples.data(), a.frameCount()) >> 16);
  float peak = 0;
  for (float s : a.samples) peak = std::max(peak, std::fabs(s));
  EXPECT_LE(peak, 1.0f);
  EXPECT_GT(peak, 0.5f);
}

TEST(Generators, ToneClicksAndSilence) {
  const DecodedAudio tone = makeTone(binHz(200), 0.5);
  EXPECT_EQ(tone.frameCount(), 22050u);
  EXPECT_NEAR(spectrumAt(tone, 10000)[200], 1.0f, 0.01f);

  // Clicks: runs of full-scale samples, 5 ms long, every 500 ms.
  const DecodedAudio clicks = makeClicks(500, 2.0);
  std::vector<std::pair<std::size_t, std::size_t>> runs;  // first frame, length
  for (std::size_t i = 0; i < clicks.frameCount(); ++i) {
    const float s = clicks.samples[2 * i];
    ASSERT_TRUE(s == 0.0f || std::fabs(s) == 1.0f);
    ASSERT_EQ(s, clicks.samples[2 * i + 1]);
    if (s == 0.0f) continue;
    if (runs.empty() || runs.back().first + runs.back().second != i) runs.emplace_back(i, 0);
    ++runs.back().second;
  }
  using Run = std::pair<std::size_t, std::size_t>;
  EXPECT_EQ(runs, (std::vector<Run>{{0, 221}, {22050, 221}, {44100, 221}, {66150, 221}}));

  const DecodedAudio silence = makeSilence(1.5);
  EXPECT_EQ(silence.samples, std::vector<float>(2 * 66150, 0.0f));
}

TEST(ParseSource, NamesTurnIntoTheGenerators) {
  EXPECT_EQ(parseSource("silence", 0.5).samples, makeSilence(0.5).samples);
  EXPECT_EQ(parseSource("synth:120", 2).samples, makeDrumPattern(120, 2).samples);
  EXPECT_EQ(parseSource("tone:440.5", 1).samples, makeTone(440.5, 1).samples);
  EXPECT_EQ(parseSource("clicks:250", 1).samples, makeClicks(250, 1).samples);
  EXPECT_EQ(parseSource("synth:120/140@2.5", 4).samples, makeTempoStep(120, 140, 2.5, 4).samples);
  EXPECT_EQ(parseSource("synth:90/70", 20).samples, makeTempoStep(90, 70, 15, 20).samples);
  EXPECT_TRUE(isGeneratedSource("synth:90/70"));
}

TEST(ParseSource, BadNumbersThrowQuotingTheSource) {
  for (const char* bad :
       {"synth:abc", "synth:0", "synth:", "synth:120bpm", "tone:-5", "tone:30000", "clicks:2", "clicks:nan",
        "synth:120/", "synth:/140", "synth:120/140@", "synth:120/140@-1", "synth:120/140@601", "synth:120@4",
        "synth:120/140/160", "synth:120/0"}) {
    SCOPED_TRACE(bad);
    try {
      parseSource(bad, 1.0);
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
      EXPECT_THAT(error.what(), HasSubstr(std::string("'") + bad + "'"));
    }
  }
  EXPECT_THROW(parseSource("silence", -1), std::runtime_error);
  EXPECT_THROW(parseSource("", 1), std::runtime_error);
}

}  // namespace
}  // namespace tactolo::testing
