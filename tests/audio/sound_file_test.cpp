// Opening and decoding audio whatever the file holds: what is not a regular
// file, headers that claim more than there is, files cut off or damaged
// part-way, in WAV, FLAC and Ogg alike.
#include "audio/sound_file.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

/// Keeps the first `fraction` of the file's bytes.
void cut(const std::string& path, double fraction) {
  std::filesystem::resize_file(
      path, static_cast<std::uintmax_t>(fraction * double(std::filesystem::file_size(path))));
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

struct Format {
  const char* extension;
  int format;
};

const Format kFormats[] = {{"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                           {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                           {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}};

TEST_F(SoundFileTest, FilesCutOffOrDamagedEndWhereTheirDataEndsWithOneLineSayingSo) {
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.extension);
    const std::string name = std::string("sound.") + format.extension;
    const auto whole = write("whole-" + name, 44100, 2, 66150, toneAndHiss, format.format);
    EXPECT_EQ(decodeAll(whole).frames, 66150);
    EXPECT_EQ(decodeAll(whole).error, "");
    EXPECT_EQ(AudioFileDecoder(whole).expectedFrames(), 66150);

    const auto path = write("cut-" + name, 44100, 2, 88200, toneAndHiss, format.format);
    cut(path, 0.6);
    const Decoded decoded = decodeAll(path);
    EXPECT_GT(decoded.frames, 44100 / 4);
    EXPECT_LT(decoded.frames, 88200 * 9 / 10);
    EXPECT_THAT(decoded.error, HasSubstr("audio file '" + path + "' breaks off after "));
    EXPECT_EQ(decoded.error.find('\n'), std::string::npos);
    // Where it broke off is where the decoded audio ends.
    EXPECT_NEAR(breakSeconds(decoded.error), double(decoded.frames) / 44100, 0.002) << decoded.error;
    EXPECT_THROW(loadAudioFile(path), std::runtime_error);

    // FLAC loses its sync; Vorbis skips the hole and ends short of the
    // length its last page announces. A WAV file's junk is only noise.
    if (format.format == kFormats[0].format) continue;
    const auto damaged = write("damaged-" + name, 44100, 2, 88200, toneAndHiss, format.format);
    damageMiddle(damaged, 2000);
    EXPECT_LT(decodeAll(damaged).frames, 88200);
    EXPECT_THAT(decodeAll(damaged).error, HasSubstr("breaks off after "));
  }
  // An Ogg file cut inside its headers does not open.
  const auto headers = write("headers.ogg", 44100, 2, 44100, toneAndHiss, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  std::filesystem::resize_file(headers, 2000);
  EXPECT_THAT(
      [&] { AudioFileDecoder decoder(headers); },
      ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("cannot read audio file '" + headers + "': ")));
}

TEST_F(SoundFileTest, AHeaderClaimingHoursEndsWithTheData) {
  // A FLAC file of one second whose header claims ten hours.
  const auto path = write("long.flac", 44100, 2, 44100, toneAndHiss, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  const uint64_t claimed = uint64_t{44100} * 36000;
  ASSERT_TRUE(claimFlacFrames(path, claimed));
  AudioFileDecoder decoder(path);
  EXPECT_EQ(decoder.expectedFrames(), int64_t(claimed));
  const Decoded decoded = decodeAll(path);
  EXPECT_EQ(decoded.frames, 44100);
  EXPECT_THAT(decoded.error, HasSubstr("breaks off after 1.000 s: its header announces 36000.000 s"));
  // Played, it ends after its second.
  FileStream stream(path);
  stream.advanceTo(44099);
  EXPECT_FALSE(stream.ended());
  stream.advanceTo(44100);
  EXPECT_TRUE(stream.ended());
  EXPECT_EQ(stream.decodedFrames(), 44100);
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

TEST_F(SoundFileTest, WhatIsNotARegularFileIsRefusedWithoutWaiting) {
  // A FIFO with a writer and a whole WAV file in it: read, it would decode,
  // so nothing but the refusal lets this test pass (and none waits).
  const auto wav = bytesOf(write("fifo-content.wav", 44100, 1, 100, toneAndHiss));
  const std::string fifo = (folder_ / "fifo.wav").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::write(writer, wav.data(), wav.size()), ssize_t(wav.size()));

  const std::pair<std::string, std::string> cases[] = {
      {fifo, "not an audio file but a FIFO: '" + fifo + "' (a stream is read from standard input, with -)"},
      {folder_.string(), "not an audio file but a folder: '" + folder_.string() + "'"},
      {"/dev/null", "not an audio file but a device: '/dev/null'"},
      {path("none.wav"), "audio file not found: '" + path("none.wav") + "'"},
      {path("notes.wav"), "cannot read audio file '" + path("notes.wav") + "': "},  // and libsndfile's reason
  };
  put("notes.wav", "these are not samples\n");
  for (const auto& [file, message] : cases) {
    EXPECT_THAT([&] { AudioFileDecoder decoder(file); },
                ::testing::ThrowsMessage<std::runtime_error>(::testing::StartsWith(message)));
  }
  ::close(writer);
}

}  // namespace
}  // namespace tactolo::testing
