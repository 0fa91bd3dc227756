// Audio files written on the spot, in a test's own folder.
#pragma once

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_folder.h"

namespace tactolo::testing {

/// Writes `frames` frames of `channels` channels, sample(frame, channel), at
/// `rate` Hz in `format`; false when libsndfile refuses.
template <class Sample>
bool writeSound(const std::string& path, int rate, int channels, int frames, Sample sample,
                int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  std::vector<float> samples;
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) samples.push_back(static_cast<float>(sample(i, c)));
  }
  const bool written = frames == 0 || sf_writef_float(file, samples.data(), frames) == frames;
  sf_close(file);
  return written;
}

/// Makes the header of a FLAC file announce `frames` frames: the stream
/// information's 36-bit sample count, 4 bits of byte 21, then bytes 22 to 25.
inline bool claimFlacFrames(const std::string& path, uint64_t frames) {
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
inline std::vector<float> clickTrack(double seconds, int rate = 44100) {
  std::vector<float> mono(static_cast<std::size_t>(seconds * rate));
  const std::size_t period = static_cast<std::size_t>(rate / 2);
  for (std::size_t i = 0; i < mono.size(); ++i) {
    mono[i] = static_cast<float>((i % period < 200 ? 0.9 : 0.02) * std::sin(0.37 * double(i) * double(i)));
  }
  return mono;
}

/// A test that writes audio files into its own folder.
class SoundFileTest : public FolderTest {
 protected:
  template <class Sample>
  std::string write(const std::string& name, int rate, int channels, int frames, Sample sample,
                    int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
    EXPECT_TRUE(writeSound(path(name), rate, channels, frames, sample, format)) << sf_strerror(nullptr);
    return path(name);
  }
  /// Mono samples at `rate` Hz.
  std::string writeMono(const std::string& name, const std::vector<float>& mono,
                        int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, int rate = 44100) {
    return write(
        name, rate, 1, static_cast<int>(mono.size()), [&mono](int i, int) { return mono[i]; }, format);
  }
};

}  // namespace tactolo::testing
