// What `tactolo analyze` does with input that is broken, hostile or not
// there: one clear line, bounded time and memory, and the exit status the
// README promises.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "command_run.h"

namespace tactolo::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

/// Runs tactolo with standard output on a pipe whose reader has gone.
CommandRun runWithClosedOutput(const std::vector<std::string>& args) {
  int fds[2];
  CommandRun run;
  if (::pipe(fds) != 0) return run;
  ::close(fds[0]);
  const fs::path errFile = fs::temp_directory_path() / ("tactolo-closed-" + std::to_string(::getpid()));
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(err, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(TACTOLO_BINARY)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(TACTOLO_BINARY, argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  fs::remove(errFile);
  return run;
}

class BadInputTest : public SoundFileTest {
 protected:
  /// `tactolo analyze` of a file, given at most a minute: whatever the
  /// file claims, that is far more than it needs.
  static CommandRun analyze(const std::string& path, const std::string& options = "") {
    return runShell("timeout 60 " + std::string(TACTOLO_BINARY) + " analyze " + shellQuoted(path) +
                    " --method 1 " + options);
  }
};

/// "duration" of a JSON document of analyze.
double jsonDuration(const std::string& json) {
  const auto at = json.find("\"duration\": ");
  return at == std::string::npos ? -1.0 : std::stod(json.substr(at + 12));
}

TEST_F(BadInputTest, FilesBrokenPartWayAreAnalysedToTheBreakWithOneWarning) {
  for (const auto& [name, format] : {std::pair<std::string, int>{"cut.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                                     {"cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                     {"cut.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}}) {
    SCOPED_TRACE(name);
    const std::string path = writeMono(name, clickTrack(6.0), format);
    fs::resize_file(path, fs::file_size(path) / 2);
    const CommandRun text = analyze(path);
    const CommandRun json = analyze(path, "--json");
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(json.status, 0) << json.err;
    // One line, a warning naming the file and where it broke off.
    EXPECT_THAT(text.err, StartsWith("tactolo: warning: audio file '" + path + "' breaks off after "));
    EXPECT_EQ(text.err.find('\n'), text.err.size() - 1) << text.err;
    const double broke = std::stod(text.err.substr(text.err.find("after ") + 6));
    EXPECT_GT(broke, 1.0);
    EXPECT_LT(broke, 5.0);
    // The duration is what was decoded, and every beat lies within it.
    EXPECT_NEAR(jsonDuration(json.out), broke, 0.002) << json.out;
    const auto beats = beatTimes(text.out);
    ASSERT_FALSE(beats.empty());
    EXPECT_LE(beats.back(), broke);
  }
}

TEST_F(BadInputTest, AHeaderClaimingHoursEndsTheAnalysisWithTheData) {
  // Two seconds of FLAC whose header claims ten hours: the run ends with
  // the data, not after ten hours of silence.
  const std::string path = writeMono("long.flac", clickTrack(2.0), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  ASSERT_TRUE(claimFlacFrames(path, uint64_t{44100} * 36000));

  const CommandRun run = analyze(path, "--json");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(jsonDuration(run.out), 2.0);
  EXPECT_EQ(run.err, "tactolo: warning: audio file '" + path +
                         "' breaks off after 2.000 s: its header announces 36000.000 s\n");
}

TEST_F(BadInputTest, StandardInputCarriesAWavOrFlacStream) {
  const std::string wav = writeMono("in.wav", clickTrack(4.0));
  const std::string flac = writeMono("in.flac", clickTrack(4.0), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  const std::string at48k = writeMono("in48.wav", clickTrack(4.0), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000);
  const std::string tactolo = TACTOLO_BINARY;
  for (const std::string& path : {wav, flac, at48k}) {
    SCOPED_TRACE(path);
    const CommandRun direct = runTactolo("analyze " + shellQuoted(path) + " --method 1 --json");
    ASSERT_EQ(direct.status, 0) << direct.err;
    ASSERT_FALSE(beatTimes(runTactolo("analyze " + shellQuoted(path) + " --method 1").out).empty());
    // Through a pipe (read once, front to back) and redirected from the file.
    for (const std::string& line :
         {"cat " + shellQuoted(path) + " | timeout 60 " + tactolo + " analyze - --method 1 --json",
          "timeout 60 " + tactolo + " analyze - --method 1 --json < " + shellQuoted(path)}) {
      const CommandRun run = runShell(line);
      EXPECT_EQ(run.status, 0) << line << ": " << run.err;
      EXPECT_EQ(run.err, "") << line;
      std::string expected = direct.out;
      const std::string source = "\"source\": \"" + path + "\"";
      ASSERT_NE(expected.find(source), std::string::npos);
      expected.replace(expected.find(source), source.size(), "\"source\": \"-\"");
      EXPECT_EQ(run.out, expected) << line;
    }
  }
}

TEST_F(BadInputTest, WhatIsNotAFileOrAStreamIsRefusedAtOnceAlsoAsAScript) {
  // The FIFO has a writer and a WAV file in it: opened and read, it would be
  // analysed; waited on, the test would run into its time limit.
  std::ifstream wav(writeMono("content.wav", clickTrack(0.5)), std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());
  const std::string fifo = (folder_ / "fifo.wav").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::write(writer, content.data(), content.size()), ssize_t(content.size()));

  const std::string tactolo = "timeout 60 " + std::string(TACTOLO_BINARY);
  const std::pair<std::string, std::string> cases[] = {
      {tactolo + " analyze " + shellQuoted(fifo), "tactolo: not an audio file but a FIFO: '" + fifo +
                                                      "' (a stream is read from standard input, with -)\n"},
      {tactolo + " analyze " + shellQuoted(folder_.string()),
       "tactolo: not an audio file but a folder: '" + folder_.string() + "'\n"},
      {tactolo + " analyze /dev/zero", "tactolo: not an audio file but a device: '/dev/zero'\n"},
      {tactolo + " analyze - < /dev/null", "tactolo: standard input is a device, not a file or a stream\n"},
      {tactolo + " analyze - < " + shellQuoted(folder_.string()),
       "tactolo: standard input is a folder, not a file or a stream\n"},
      {"printf 'not a sound' | " + tactolo + " analyze -",
       "tactolo: cannot read standard input: Format not recognised.\n"},
      {tactolo + " script " + shellQuoted(folder_.string()),
       "tactolo: cannot read the script " + folder_.string() + ": it is a folder\n"},
  };
  for (const auto& [line, message] : cases) {
    const CommandRun run = runShell(line);
    EXPECT_EQ(run.status, 2) << line;
    EXPECT_EQ(run.out, "") << line;
    EXPECT_EQ(run.err, message) << line;
  }
  ::close(writer);
}

TEST_F(BadInputTest, NonFiniteAndHugeSamplesDoNotStopTheDetection) {
  std::vector<float> clean = clickTrack(10.0);
  for (float& sample : clean) {
    if (std::fabs(sample) < 0.1f) sample = 0.0f;  // silence between the clicks
  }
  // NaN and infinities between the clicks are heard as the silence they
  // replace: the beats are the very same.
  std::vector<float> nonFinite = clean;
  nonFinite[static_cast<std::size_t>(2.3 * 44100)] = std::numeric_limits<float>::quiet_NaN();
  nonFinite[static_cast<std::size_t>(3.1 * 44100)] = std::numeric_limits<float>::infinity();
  nonFinite[static_cast<std::size_t>(3.7 * 44100)] = -std::numeric_limits<float>::infinity();
  const CommandRun expected = analyze(writeMono("clean.wav", clean, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
  ASSERT_EQ(expected.status, 0) << expected.err;
  ASSERT_GE(beatTimes(expected.out).size(), 10u) << expected.out;
  const CommandRun run = analyze(writeMono("nan.wav", nonFinite, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, expected.out);

  // A burst of 1e30 is a full-scale burst: the beats go on after it.
  std::vector<float> huge = clean;
  for (std::size_t i = 0; i < 400; ++i)
    huge[static_cast<std::size_t>(4.25 * 44100) + i] = i % 2 ? 1e30f : -1e30f;
  const CommandRun burst = analyze(writeMono("huge.wav", huge, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
  EXPECT_EQ(burst.status, 0) << burst.err;
  int after = 0;
  for (const double time : beatTimes(burst.out)) after += time > 5.5;
  int expectedAfter = 0;
  for (const double time : beatTimes(expected.out)) expectedAfter += time > 5.5;
  EXPECT_GE(after, expectedAfter - 1) << burst.out;
}

TEST_F(BadInputTest, SourceNamesAreEscapedOnOneLineAndInValidJson) {
  // A line break, a byte that is not UTF-8, and an "é" that is.
  // Cut short, the file also gets a warning that names it.
  const std::string name = "two\nlines\xFF caf\xC3\xA9.wav";
  const std::string path = writeMono(name, clickTrack(2.0));
  fs::resize_file(path, fs::file_size(path) / 2);
  const CommandRun json = runTactolo("analyze " + shellQuoted(path) + " --json");
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_THAT(json.out, HasSubstr("two\\nlines\xEF\xBF\xBD caf\xC3\xA9.wav\""));
  for (const char c : json.out) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20);
  EXPECT_THAT(json.err, StartsWith("tactolo: warning: audio file '" + folder_.string() +
                                   "/two\\nlines\\xff caf\xC3\xA9.wav' breaks off after "));
  EXPECT_EQ(json.err.find('\n'), json.err.size() - 1) << json.err;

  const std::string missing = (folder_ / "gone\r\n\x1B[2J\xC0.wav").string();
  const CommandRun run = runTactolo("analyze " + shellQuoted(missing));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "tactolo: audio file not found: '" + folder_.string() + "/gone\\r\\n\\x1b[2J\\xc0.wav'\n");
}

TEST_F(BadInputTest, AFailedWriteToStandardOutputIsReported) {
  const CommandRun full = runTactolo("analyze synth:120 > /dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "tactolo: cannot write to standard output: No space left on device\n");
  const CommandRun closed = runWithClosedOutput({"analyze", "synth:120"});
  EXPECT_EQ(closed.status, 1);
  EXPECT_EQ(closed.err, "tactolo: cannot write to standard output: Broken pipe\n");
  // Nothing to write is no failure.
  EXPECT_EQ(runWithClosedOutput({"analyze", writeMono("silent.wav", std::vector<float>(44100, 0.0f))}).status,
            0);
}

}  // namespace
}  // namespace tactolo::testing
