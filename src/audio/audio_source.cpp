#include "audio/audio_source.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <stdexcept>

#include "audio/capture_library.h"
#include "audio/file_stream.h"

namespace tactolo {

namespace {

constexpr double kRate = kCaptureRate;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

/// A small deterministic noise generator (xorshift32), so that generated
/// signals are the same on every platform and standard library.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed != 0 ? seed : 1u) {}
  /// Uniform in [-1, 1).
  float next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(static_cast<double>(state_) / 2147483648.0 - 1.0);
  }

 private:
  uint32_t state_;
};

std::size_t framesFor(double seconds) { return static_cast<std::size_t>(std::llround(seconds * kRate)); }

void checkSeconds(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0.0 || seconds > kMaxGeneratedSeconds) {
    throw std::runtime_error("generated audio must last between 0 and " +
                             std::to_string(static_cast<int>(kMaxGeneratedSeconds)) + " seconds");
  }
}

DecodedAudio stereoFromMono(const std::vector<float>& mono) {
  DecodedAudio audio;
  audio.samples.resize(2 * mono.size());
  for (std::size_t i = 0; i < mono.size(); ++i) {
    audio.samples[2 * i] = mono[i];
    audio.samples[2 * i + 1] = mono[i];
  }
  return audio;
}

/// Adds `shape(t)` (t in seconds from the event) to `mono` from frame
/// `start` on, for `seconds`.
template <class Shape>
void addEvent(std::vector<float>& mono, std::size_t start, double seconds, Shape shape) {
  const std::size_t end = std::min(mono.size(), start + framesFor(seconds));
  for (std::size_t i = start; i < end; ++i) {
    mono[i] += static_cast<float>(shape(static_cast<double>(i - start) / kRate));
  }
}

void addKick(std::vector<float>& mono, std::size_t start) {
  double phase = 0.0;
  addEvent(mono, start, 0.4, [&phase](double t) {
    // Pitch falls from 110 Hz to 50 Hz within a few tens of milliseconds.
    const double hz = 50.0 + 60.0 * std::exp(-t / 0.04);
    const double value = 0.9 * std::exp(-t / 0.15) * std::sin(phase);
    phase += kTwoPi * hz / kRate;
    return value;
  });
}

void addSnare(std::vector<float>& mono, std::size_t start, Noise& noise) {
  addEvent(mono, start, 0.25, [&noise](double t) {
    const double burst = 0.35 * std::exp(-t / 0.06) * noise.next();
    const double body = 0.3 * std::exp(-t / 0.1) * std::sin(kTwoPi * 180.0 * t);
    return burst + body;
  });
}

void addHiHat(std::vector<float>& mono, std::size_t start, Noise& noise) {
  float previous = 0.0f;
  addEvent(mono, start, 0.06, [&noise, &previous](double t) {
    // The first difference of white noise: most of its energy is high up.
    const float white = noise.next();
    const double high = 0.5 * (white - previous);
    previous = white;
    return 0.12 * std::exp(-t / 0.012) * high;
  });
}

/// Parses the whole of `text` as a finite number; nullopt otherwise.
std::optional<double> parseNumber(const std::string& text) {
  double value = 0.0;
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (text.empty() || error != std::errc() || end != last || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

/// The number in `text` from `first` up to `end` (the end of the text when
/// npos).
double parseParameter(const std::string& text, std::size_t first, double low, double high, const char* what,
                      std::size_t end = std::string::npos) {
  const std::optional<double> value =
      parseNumber(text.substr(first, end == std::string::npos ? end : end - first));
  if (!value || *value < low || *value > high) {
    char range[64];
    std::snprintf(range, sizeof range, "%g and %g", low, high);
    throw std::runtime_error("bad audio source '" + text + "': " + what + " must be a number between " +
                             range);
  }
  return *value;
}

}  // namespace

int64_t DecodedAudio::durationMs() const {
  return static_cast<int64_t>((static_cast<uint64_t>(frameCount()) * 1000 + kCaptureRate - 1) / kCaptureRate);
}

DecodedAudio loadAudioFile(const std::string& path) {
  AudioFileDecoder decoder(path);
  // As long as the header says, up to a minute (a header may claim far more
  // than the file holds), plus room for the resampler's rounding; grown as
  // the audio goes on.
  constexpr int64_t kMaxReservedFrames = int64_t{60} * kCaptureRate;
  std::size_t capacity = static_cast<std::size_t>(std::clamp<int64_t>(
                             decoder.expectedFrames().value_or(kMaxReservedFrames), 0, kMaxReservedFrames)) +
                         64;
  DecodedAudio audio;
  audio.samples.resize(2 * capacity);
  std::size_t frames = 0;
  for (;;) {
    frames += decoder.read(audio.samples.data() + 2 * frames, capacity - frames);
    if (decoder.finished()) {
      break;
    }
    capacity *= 2;
    audio.samples.resize(2 * capacity);
  }
  if (!decoder.error().empty()) {
    throw std::runtime_error(decoder.error());
  }
  audio.samples.resize(2 * frames);
  return audio;
}

namespace {

void checkTempo(double bpm) {
  if (!std::isfinite(bpm) || bpm <= 0.0) {
    throw std::runtime_error("a drum pattern needs a positive tempo in beats per minute");
  }
}

/// Adds the drum pattern at `bpm` to `mono` from frame `startFrame` (a beat,
/// counted `firstBeat` from the start of the pattern) up to `endFrame`.
void addPattern(std::vector<float>& mono, std::size_t startFrame, std::size_t endFrame, double bpm,
                long firstBeat, Noise& noise) {
  const double beatFrames = 60.0 * kRate / bpm;
  // Eighth notes: even ones fall on beats.
  for (long eighth = 0;; ++eighth) {
    const auto start = startFrame + static_cast<std::size_t>(std::llround(eighth * beatFrames / 2.0));
    if (start >= endFrame) {
      break;
    }
    addHiHat(mono, start, noise);
    if (eighth % 2 == 0) {
      const long beat = firstBeat + eighth / 2;
      addKick(mono, start);
      if (beat % 4 == 1 || beat % 4 == 3) {
        addSnare(mono, start, noise);
      }
    }
  }
}

/// Where instruments coincide the sum may pass full scale: bring it back.
DecodedAudio normalised(std::vector<float>& mono) {
  float peak = 0.0f;
  for (const float sample : mono) {
    peak = std::max(peak, std::fabs(sample));
  }
  if (peak > 1.0f) {
    for (float& sample : mono) {
      sample /= peak;
    }
  }
  return stereoFromMono(mono);
}

}  // namespace

DecodedAudio makeDrumPattern(double bpm, double seconds) {
  checkSeconds(seconds);
  checkTempo(bpm);
  std::vector<float> mono(framesFor(seconds), 0.0f);
  Noise noise(0x7ac7010u);
  addPattern(mono, 0, mono.size(), bpm, 0, noise);
  return normalised(mono);
}

long tempoStepBeat(double firstBpm, double stepSeconds) {
  return static_cast<long>(std::ceil(stepSeconds * firstBpm / 60.0));
}

DecodedAudio makeTempoStep(double firstBpm, double secondBpm, double stepSeconds, double seconds) {
  checkSeconds(seconds);
  checkSeconds(stepSeconds);
  checkTempo(firstBpm);
  checkTempo(secondBpm);
  std::vector<float> mono(framesFor(seconds), 0.0f);
  Noise noise(0x7ac7010u);
  // The beats before the step do not depend on the length, so that a longer
  // piece starts with a shorter one.
  const long switchBeat = tempoStepBeat(firstBpm, stepSeconds);
  const auto switchFrame = static_cast<std::size_t>(std::llround(switchBeat * 60.0 * kRate / firstBpm));
  addPattern(mono, 0, std::min(switchFrame, mono.size()), firstBpm, 0, noise);
  addPattern(mono, switchFrame, mono.size(), secondBpm, switchBeat, noise);
  return normalised(mono);
}

DecodedAudio makeTone(double hz, double seconds) {
  checkSeconds(seconds);
  std::vector<float> mono(framesFor(seconds));
  for (std::size_t i = 0; i < mono.size(); ++i) {
    // The phase is reduced in double precision so that long tones stay clean.
    const double cycles = hz * static_cast<double>(i) / kRate;
    mono[i] = static_cast<float>(std::sin(kTwoPi * (cycles - std::floor(cycles))));
  }
  return stereoFromMono(mono);
}

DecodedAudio makeClicks(double intervalMs, double seconds) {
  checkSeconds(seconds);
  if (!std::isfinite(intervalMs) || intervalMs <= 0.0) {
    throw std::runtime_error("clicks need a positive interval in milliseconds");
  }
  std::vector<float> mono(framesFor(seconds), 0.0f);
  Noise noise(0xc11c5u);
  const std::size_t clickFrames = framesFor(0.005);
  for (long click = 0;; ++click) {
    const auto start = static_cast<std::size_t>(std::llround(click * intervalMs * kRate / 1000.0));
    if (start >= mono.size()) {
      break;
    }
    const std::size_t end = std::min(mono.size(), start + clickFrames);
    for (std::size_t i = start; i < end; ++i) {
      mono[i] = noise.next() < 0.0f ? -1.0f : 1.0f;
    }
  }
  return stereoFromMono(mono);
}

DecodedAudio makeSilence(double seconds) {
  checkSeconds(seconds);
  DecodedAudio audio;
  audio.samples.assign(2 * framesFor(seconds), 0.0f);
  return audio;
}

bool isGeneratedSource(const std::string& text) {
  const auto startsWith = [&text](const char* prefix) { return text.rfind(prefix, 0) == 0; };
  return text == "silence" || startsWith("synth:") || startsWith("tone:") || startsWith("clicks:");
}

DecodedAudio parseSource(const std::string& text, double seconds) {
  const auto startsWith = [&text](const char* prefix) { return text.rfind(prefix, 0) == 0; };
  if (text == "silence") {
    return makeSilence(seconds);
  }
  if (startsWith("synth:")) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) {
      return makeDrumPattern(parseParameter(text, 6, 1.0, 1000.0, "the tempo (beats per minute)"), seconds);
    }
    const std::size_t at = text.find('@', slash);
    const double firstBpm = parseParameter(text, 6, 1.0, 1000.0, "the first tempo (beats per minute)", slash);
    const double secondBpm =
        parseParameter(text, slash + 1, 1.0, 1000.0, "the second tempo (beats per minute)", at);
    const double stepSeconds =
        at == std::string::npos
            ? kDefaultTempoStepSeconds
            : parseParameter(text, at + 1, 0.0, kMaxGeneratedSeconds, "the time of the step (seconds)");
    return makeTempoStep(firstBpm, secondBpm, stepSeconds, seconds);
  }
  if (startsWith("tone:")) {
    return makeTone(parseParameter(text, 5, 1.0, 22000.0, "the frequency (Hz)"), seconds);
  }
  if (startsWith("clicks:")) {
    return makeClicks(parseParameter(text, 7, 10.0, 60000.0, "the interval (ms)"), seconds);
  }
  if (text.empty()) {
    throw std::runtime_error("empty audio source: give a file or silence, synth:BPM, tone:HZ or clicks:MS");
  }
  return loadAudioFile(text);
}

}  // namespace tactolo
