// Audio files read whole, the generated sources and their names.
#include "audio/audio_source.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "audio/spectrum.h"
#include "signals.h"
#include "support/sound_files.h"

namespace tactolo::testing {
namespace {

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

/// Energy of bins `first` to `last` in the 2048 frames from frame `at` on.
double bandEnergy(const DecodedAudio& audio, std::size_t at, int first, int last) {
  const auto bins = spectrumAt(audio, at);
  double energy = 0;
  for (int k = first; k <= last; ++k) energy += bins[k] * bins[k];
  return energy;
}

/// Checks the drums just after each beat (`beatMs(k)`, k from 1 on) of a
/// drum pattern: the kick (43..130 Hz) far louder than just before the
/// beat, and the snare (4..8.6 kHz) far louder on beats 2 and 4 (odd k)
/// than on 1 and 3. The beat times themselves are in the transcripts
/// (analyze).
template <class BeatMs>
void expectDrumsOnTheBeats(const DecodedAudio& audio, BeatMs beatMs) {
  double quietestSnare = 1e9, loudestOther = 0;
  for (long k = 1;; ++k) {
    const auto at = static_cast<std::size_t>(std::lround(beatMs(k) * 44.1));
    if (at + kFftSize > audio.frameCount()) break;
    EXPECT_GT(bandEnergy(audio, at, 2, 6), 10 * bandEnergy(audio, at - kFftSize, 2, 6)) << k;
    const double snare = bandEnergy(audio, at, 186, 400);
    if (k % 2 == 1) {
      quietestSnare = std::min(quietestSnare, snare);
    } else {
      loudestOther = std::max(loudestOther, snare);
    }
  }
  EXPECT_GT(quietestSnare, 10 * loudestOther);
}

TEST(TempoStep, TheTempoChangesAtTheFirstBeatAtOrAfterTheStepTime) {
  // 120 BPM up to the first beat at or after 4.2 s (K = ceil(4.2 x 2) = 9,
  // at 4.5 s), 150 BPM (400 ms) from there on; the count of beats, and the
  // snares on odd beats, go on across the step.
  EXPECT_EQ(tempoStepBeat(120, 4.2), 9);
  EXPECT_EQ(tempoStepBeat(120, 4.0), 8);
  EXPECT_EQ(tempoStepBeat(70, 15.0), 18);
  expectDrumsOnTheBeats(makeTempoStep(120, 150, 4.2, 8.0),
                        [](long k) { return k < 9 ? 500.0 * k : 4500.0 + 400.0 * (k - 9); });
  // Before the step it is the pattern at the first tempo.
  EXPECT_EQ(makeTempoStep(120, 150, 20.0, 3.0).samples, makeDrumPattern(120, 3.0).samples);
  EXPECT_NE(makeTempoStep(120, 150, 1.0, 3.0).samples, makeDrumPattern(120, 3.0).samples);
  // Where the drums coincide their sum is brought back within full scale.
  float peak = 0;
  for (float sample : makeDrumPattern(137, 8.0).samples) peak = std::max(peak, std::fabs(sample));
  EXPECT_LE(peak, 1.0f);
  EXPECT_GT(peak, 0.5f);
  for (double step : {-1.0, 601.0, std::nan("")}) {
    EXPECT_THROW(makeTempoStep(120, 150, step, 3.0), std::runtime_error) << step;
  }
}

TEST(ParseSource, NamesTurnIntoTheGeneratorsAndBadNumbersAreRefusedQuotingTheSource) {
  EXPECT_EQ(parseSource("silence", 0.5).samples, makeSilence(0.5).samples);
  EXPECT_EQ(parseSource("synth:120", 2).samples, makeDrumPattern(120, 2).samples);
  EXPECT_EQ(parseSource("tone:440.5", 1).samples, makeTone(440.5, 1).samples);
  EXPECT_EQ(parseSource("clicks:250", 1).samples, makeClicks(250, 1).samples);
  EXPECT_EQ(parseSource("synth:120/140@2.5", 4).samples, makeTempoStep(120, 140, 2.5, 4).samples);
  EXPECT_EQ(parseSource("synth:90/70", 20).samples, makeTempoStep(90, 70, 15, 20).samples);
  EXPECT_TRUE(isGeneratedSource("synth:90/70"));
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
