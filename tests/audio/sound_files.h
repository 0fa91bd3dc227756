// Audio files written on the spot for the audio tests, in a folder of the
// test's own that goes with the test.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tactolo::testing {

class SoundFileTest : public ::testing::Test {
 protected:
  SoundFileTest() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("tactolo-audio-" + std::to_string(getpid()) + "-" + test->name());
    std::filesystem::create_directories(folder_);
  }
  ~SoundFileTest() override { std::filesystem::remove_all(folder_); }

  /// Writes `frames` frames of `channels` channels, sample(frame, channel),
  /// and returns the file's path.
  template <class Sample>
  std::string write(const std::string& name, int rate, int channels, int frames, Sample sample,
                    int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
    const std::string path = (folder_ / name).string();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> samples;
    for (int i = 0; i < frames; ++i) {
      for (int c = 0; c < channels; ++c) samples.push_back(static_cast<float>(sample(i, c)));
    }
    EXPECT_EQ(sf_writef_float(file, samples.data(), frames), frames);
    sf_close(file);
    return path;
  }

  std::filesystem::path folder_;
};

}  // namespace tactolo::testing
