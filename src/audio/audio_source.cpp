#include "audio/audio_source.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "audio/capture_library.h"

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

double parseParameter(const std::string& text, std::size_t prefixLength, double low, double high,
                      const char* what) {
  const std::optional<double> value = parseNumber(text.substr(prefixLength));
  if (!value || *value < low || *value > high) {
    char range[64];
    std::snprintf(range, sizeof range, "%g and %g", low, high);
    throw std::runtime_error("bad audio source '" + text + "': " + what + " must be a number between " +
                             range);
  }
  return *value;
}

std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  while (!text.empty() && text.back() == ' ') {
    text.pop_back();
  }
  return text;
}

struct SndfileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

std::vector<float> resample(const std::vector<float>& stereo, int rate, const std::string& path) {
  const double ratio = kRate / rate;
  if (src_is_valid_ratio(ratio) == 0) {
    throw std::runtime_error("cannot resample audio file '" + path + "' from " + std::to_string(rate) +
                             " Hz to 44100 Hz");
  }
  const long inputFrames = static_cast<long>(stereo.size() / 2);
  const long outputFrames = static_cast<long>(std::ceil(static_cast<double>(inputFrames) * ratio)) + 16;
  std::vector<float> output(2 * static_cast<std::size_t>(outputFrames));
  SRC_DATA data{};
  data.data_in = stereo.data();
  data.data_out = output.data();
  data.input_frames = inputFrames;
  data.output_frames = outputFrames;
  data.src_ratio = ratio;
  data.end_of_input = 1;
  const int error = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, 2);
  if (error != 0) {
    throw std::runtime_error("cannot resample audio file '" + path + "': " + src_strerror(error));
  }
  output.resize(2 * static_cast<std::size_t>(data.output_frames_gen));
  return output;
}

}  // namespace

int64_t DecodedAudio::durationMs() const {
  return static_cast<int64_t>((static_cast<uint64_t>(frameCount()) * 1000 + kCaptureRate - 1) / kCaptureRate);
}

DecodedAudio loadAudioFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    throw std::runtime_error("audio file not found: '" + path + "'");
  }
  if (std::filesystem::is_directory(path, error)) {
    throw std::runtime_error("not an audio file but a folder: '" + path + "'");
  }
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) {
    throw std::runtime_error("cannot read audio file '" + path + "': " + oneLine(sf_strerror(nullptr)));
  }
  if (info.channels < 1 || info.samplerate < 1) {
    throw std::runtime_error("audio file '" + path + "' has no channels or no sample rate");
  }

  const auto channels = static_cast<std::size_t>(info.channels);
  constexpr sf_count_t kChunkFrames = 4096;
  std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * channels);
  std::vector<float> stereo;
  if (info.frames > 0 && info.frames < (sf_count_t{1} << 32)) {
    stereo.reserve(2 * static_cast<std::size_t>(info.frames));
  }
  for (;;) {
    const sf_count_t read = sf_readf_float(file.get(), chunk.data(), kChunkFrames);
    if (read <= 0) {
      break;
    }
    for (sf_count_t i = 0; i < read; ++i) {
      const float* frame = chunk.data() + static_cast<std::size_t>(i) * channels;
      stereo.push_back(frame[0]);
      stereo.push_back(channels > 1 ? frame[1] : frame[0]);
    }
  }
  if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
    throw std::runtime_error("error while reading audio file '" + path +
                             "': " + oneLine(sf_strerror(file.get())));
  }

  DecodedAudio audio;
  audio.samples =
      info.samplerate == kCaptureRate ? std::move(stereo) : resample(stereo, info.samplerate, path);
  return audio;
}

DecodedAudio makeDrumPattern(double bpm, double seconds) {
  checkSeconds(seconds);
  if (!std::isfinite(bpm) || bpm <= 0.0) {
    throw std::runtime_error("a drum pattern needs a positive tempo in beats per minute");
  }
  std::vector<float> mono(framesFor(seconds), 0.0f);
  Noise noise(0x7ac7010u);
  const double beatFrames = 60.0 * kRate / bpm;
  // Eighth notes: even ones fall on beats.
  for (long eighth = 0;; ++eighth) {
    const auto start = static_cast<std::size_t>(std::llround(eighth * beatFrames / 2.0));
    if (start >= mono.size()) {
      break;
    }
    addHiHat(mono, start, noise);
    if (eighth % 2 == 0) {
      const long beat = eighth / 2;
      addKick(mono, start);
      if (beat % 4 == 1 || beat % 4 == 3) {
        addSnare(mono, start, noise);
      }
    }
  }
  // Where instruments coincide the sum may pass full scale: bring it back.
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
    return makeDrumPattern(parseParameter(text, 6, 1.0, 1000.0, "the tempo (beats per minute)"), seconds);
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
