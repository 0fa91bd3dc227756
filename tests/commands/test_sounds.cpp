// Sound files for the command transcripts: what a user might hand to
// `tactolo analyze`, whole, cut short, lying about its length, or holding
// samples that are no numbers. Every file is the same for the same
// arguments, so the transcripts can hold the beats found in it.
//
//   tactolo_test_sounds KIND SECONDS PATH
//
// KIND is one of
//   clicks     a click every 500 ms over a quiet hiss, mono at 44100 Hz; a
//              16-bit WAV, FLAC or Ogg Vorbis file after PATH's extension
//   stereo     the clicks of `clicks` on the left channel and at half their
//              level on the right, a 16-bit stereo WAV at 44100 Hz
//   clicks48k  clicks every 500 ms as a 32-bit float WAV at 48000 Hz
//   cut        the clicks of `clicks`, the file then cut to half its bytes
//   holed      the clicks of `clicks` with a tenth of the file's bytes gone
//              from its middle (lost in a copy)
//   hours      the clicks as FLAC whose header announces ten hours
//   fast       full-scale clicks every 200 ms (300 BPM) in silence, 16-bit WAV
//   silence    a 16-bit WAV of silence; 0 seconds give one without samples
//   gaps       the clicks as a 32-bit float WAV, true silence between them
//   nonfinite  gaps with NaN at 2.3 s, +inf at 3.1 s and -inf at 3.7 s
//   huge       gaps with a burst of 400 samples of +-1e30 at 4.25 s
// It prints nothing and exits 0, or prints why not and exits 2.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "support/sound_files.h"

namespace {

constexpr int kRate = 44100;

/// Makes the header of a FLAC file announce `frames` frames: the stream
/// information's 36-bit sample count, 4 bits of byte 21, then bytes 22 to 25.
bool claimFlacFrames(const std::string& path, uint64_t frames) {
  std::fstream bytes(path, std::ios::in | std::ios::out | std::ios::binary);
  char head[26];
  if (!bytes.read(head, sizeof head) || std::string(head, 4) != "fLaC") return false;
  head[21] = static_cast<char>((head[21] & 0xF0) | ((frames >> 32) & 0x0F));
  for (int i = 0; i < 4; ++i) head[22 + i] = static_cast<char>(frames >> (24 - 8 * i));
  bytes.seekp(0);
  return static_cast<bool>(bytes.write(head, sizeof head));
}

/// Broadband clicks every 500 ms over a quiet hiss (which leaves an encoder
/// little to pack), `seconds` long, mono at `rate` Hz: the simple
/// sound-energy method, which listens to the whole spectrum, hears them.
std::vector<float> clickTrack(double seconds, int rate = kRate) {
  std::vector<float> mono(static_cast<std::size_t>(seconds * rate));
  const std::size_t period = static_cast<std::size_t>(rate / 2);
  for (std::size_t i = 0; i < mono.size(); ++i) {
    mono[i] = static_cast<float>((i % period < 200 ? 0.9 : 0.02) * std::sin(0.37 * double(i) * double(i)));
  }
  return mono;
}

std::size_t at(double seconds, int rate = kRate) { return static_cast<std::size_t>(seconds * rate); }

int formatFor(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension == ".flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  if (extension == ".ogg") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

bool writeMono(const std::string& path, const std::vector<float>& mono, int format, int rate = kRate) {
  return tactolo::testing::writeSound(
      path, rate, 1, static_cast<int>(mono.size()), [&mono](int i, int) { return mono[i]; }, format);
}

/// The clicks with every sample between them set to zero.
std::vector<float> gaps(double seconds) {
  std::vector<float> mono = clickTrack(seconds);
  for (float& sample : mono) {
    if (std::fabs(sample) < 0.1f) sample = 0.0f;
  }
  return mono;
}

/// Writes the file; an empty message when it went well.
std::string make(const std::string& kind, double seconds, const std::string& path) {
  constexpr int kFloatWav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  bool written = false;
  if (kind == "clicks") {
    written = writeMono(path, clickTrack(seconds), formatFor(path));
  } else if (kind == "stereo") {
    const std::vector<float> left = clickTrack(seconds);
    written = tactolo::testing::writeSound(
        path, kRate, 2, static_cast<int>(left.size()),
        [&left](int i, int channel) { return channel == 0 ? left[i] : 0.5f * left[i]; },
        SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  } else if (kind == "clicks48k") {
    written = writeMono(path, clickTrack(seconds, 48000), kFloatWav, 48000);
  } else if (kind == "cut") {
    written = writeMono(path, clickTrack(seconds), formatFor(path));
    if (written) std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
  } else if (kind == "holed") {
    written = writeMono(path, clickTrack(seconds), formatFor(path));
    if (written) {
      std::ifstream in(path, std::ios::binary);
      std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      in.close();
      const auto middle = bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2);
      bytes.erase(middle, middle + static_cast<std::ptrdiff_t>(bytes.size() / 10));
      written = static_cast<bool>(std::ofstream(path, std::ios::binary | std::ios::trunc)
                                      .write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
    }
  } else if (kind == "hours") {
    written = writeMono(path, clickTrack(seconds), SF_FORMAT_FLAC | SF_FORMAT_PCM_16) &&
              claimFlacFrames(path, uint64_t{kRate} * 36000);
  } else if (kind == "fast") {
    std::vector<float> mono(at(seconds), 0.0f);
    for (std::size_t start = 0; start + 200 < mono.size(); start += at(0.2)) {
      for (std::size_t i = 0; i < 200; ++i) mono[start + i] = (i % 2) ? 0.9f : -0.9f;
    }
    written = writeMono(path, mono, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  } else if (kind == "silence") {
    written = writeMono(path, std::vector<float>(at(seconds), 0.0f), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  } else if (kind == "gaps" || kind == "nonfinite" || kind == "huge") {
    std::vector<float> mono = gaps(seconds);
    if (mono.size() < at(5.0)) return "a " + kind + " file needs at least 5 seconds";
    if (kind == "nonfinite") {
      mono[at(2.3)] = std::numeric_limits<float>::quiet_NaN();
      mono[at(3.1)] = kInfinity;
      mono[at(3.7)] = -kInfinity;
    } else if (kind == "huge") {
      for (std::size_t i = 0; i < 400; ++i) mono[at(4.25) + i] = i % 2 ? 1e30f : -1e30f;
    }
    written = writeMono(path, mono, kFloatWav);
  } else {
    return "unknown kind '" + kind + "'";
  }
  return written ? "" : "cannot write " + path + ": " + sf_strerror(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tactolo_test_sounds KIND SECONDS PATH\n");
    return 2;
  }
  char* end = nullptr;
  const double seconds = std::strtod(argv[2], &end);
  if (*end != '\0' || !(seconds >= 0 && seconds <= 600)) {
    std::fprintf(stderr, "tactolo_test_sounds: SECONDS must be 0 to 600, not '%s'\n", argv[2]);
    return 2;
  }
  const std::string failure = make(argv[1], seconds, argv[3]);
  if (!failure.empty()) {
    std::fprintf(stderr, "tactolo_test_sounds: %s\n", failure.c_str());
    return 2;
  }
  return 0;
}
