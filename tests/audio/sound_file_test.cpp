// Decoding audio files damaged part-way, and a WAV length its writer could
// not fill in. What `tactolo analyze` makes of files that are cut short,
// claim hours or are no regular file is in the sources command transcript.
#include "audio/sound_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
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
  int64_t frames = 0;
  std::string error;
};

/// Decodes `path` to its end in pieces, as playback does.
Decoded decodeAll(const std::string& path) {
  AudioFileDecoder decoder(path);
  std::vector<float> piece(2 * 1000);
  Decoded decoded;
  while (!decoder.finished()) decoded.frames += static_cast<int64_t>(decoder.read(piece.data(), 1000));
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

/// Overwrites `bytes` bytes from the middle of the file on with junk.
void damageMiddle(const std::string& path, std::size_t bytes) {
  std::vector<char> data = bytesOf(path);
  for (std::size_t i = 0; i < bytes && data.size() / 2 + i < data.size(); ++i) {
    data[data.size() / 2 + i] = static_cast<char>(i * 37 + 11);
  }
  writeBytes(path, data);
}

/// The seconds in "... breaks off after S s: ...".
double breakSeconds(const std::string& error) {
  const auto at = error.find("breaks off after ");
  return at == std::string::npos ? -1.0 : std::stod(error.substr(at + 17));
}

TEST_F(SoundFileTest, DamagedFilesEndWhereTheirDataEndsWithOneLineSayingSo) {
  // Files cut short, and a header that claims hours, are in the sources
  // command transcript. FLAC loses its sync; Vorbis skips the hole and ends
  // short of the length its last page announces. (A WAV file's junk is only
  // noise.)
  for (const auto& [name, format] : {std::pair{"damaged.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                     std::pair{"damaged.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}}) {
    SCOPED_TRACE(name);
    const auto damaged = write(name, 44100, 2, 88200, toneAndHiss, format);
    damageMiddle(damaged, 2000);
    const Decoded decoded = decodeAll(damaged);
    EXPECT_LT(decoded.frames, 88200);
    EXPECT_THAT(decoded.error, HasSubstr("audio file '" + damaged + "' breaks off after "));
    EXPECT_EQ(decoded.error.find('\n'), std::string::npos);
    // Where it broke off is where the decoded audio ends.
    EXPECT_NEAR(breakSeconds(decoded.error), double(decoded.frames) / 44100, 0.002) << decoded.error;
    // Read whole, such a file is refused.
    EXPECT_THROW(loadAudioFile(damaged), std::runtime_error);
  }
  // An Ogg file cut inside its headers does not open.
  const auto headers = write("headers.ogg", 44100, 2, 44100, toneAndHiss, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  std::filesystem::resize_file(headers, 2000);
  EXPECT_THAT(
      [&] { AudioFileDecoder decoder(headers); },
      ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("cannot read audio file '" + headers + "': ")));
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
  EXPECT_EQ(decoded.frames, 22050);
  EXPECT_EQ(decoded.error, "");
}

}  // namespace
}  // namespace tactolo::testing
