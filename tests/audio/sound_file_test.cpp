// A WAV length its writer could not fill in. What `tactolo analyze` makes of
// files that are cut short, damaged inside, claim hours or are no regular
// file is in the sources command transcript.
#include "audio/sound_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/audio_source.h"
#include "audio/file_stream.h"
#include "support/sound_files.h"

namespace tactolo::testing {
namespace {

using ::testing::HasSubstr;

/// A tone with a little hiss, so that encoders have something to pack.
double toneAndHiss(int i, int channel) {
  return 0.5 * std::sin(0.03 * i + channel) + 0.05 * std::sin(0.37 * double(i) * double(i));
}

struct Decoded {
  std::vector<float> samples;  // stereo
  std::string error;
  int64_t frames() const { return static_cast<int64_t>(samples.size() / 2); }
};

/// Decodes `path` to its end in pieces, as playback does.
Decoded decodeAll(const std::string& path) {
  AudioFileDecoder decoder(path);
  std::vector<float> piece(2 * 1000);
  Decoded decoded;
  while (!decoder.finished()) {
    const std::size_t frames = decoder.read(piece.data(), 1000);
    decoded.samples.insert(decoded.samples.end(), piece.begin(), piece.begin() + 2 * frames);
  }
  decoded.error = decoder.error();
  return decoded;
}

std::vector<char> bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

TEST_F(SoundFileTest, AWavLengthItsWriterCouldNotFillInIsNoBreak) {
  // Written to a pipe, a WAV header gets the largest length the writer can
  // give; saved as a file, it is complete all the same.
  const auto path = write("piped.wav", 44100, 2, 22050, toneAndHiss, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  std::vector<char> bytes = bytesOf(path);
  ASSERT_EQ(std::string(bytes.data() + 36, 4), "data");
  for (int i = 0; i < 4; ++i) bytes[4 + i] = bytes[40 + i] = static_cast<char>(0xFF);
  writeBytes(path, bytes);
  const Decoded decoded = decodeAll(path);
  EXPECT_EQ(decoded.frames(), 22050);
  EXPECT_EQ(decoded.error, "");
}

}  // namespace
}  // namespace tactolo::testing
