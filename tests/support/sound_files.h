// Audio files written on the spot, in a test's own folder.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <filesystem>
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

/// A test that writes audio files into its own folder.
class SoundFileTest : public FolderTest {
 protected:
  template <class Sample>
  std::string write(const std::string& name, int rate, int channels, int frames, Sample sample,
                    int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
    EXPECT_TRUE(writeSound(path(name), rate, channels, frames, sample, format)) << sf_strerror(nullptr);
    return path(name);
  }
};

}  // namespace tactolo::testing
