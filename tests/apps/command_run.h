// Running the tactolo command as a user does, and looking at what it did:
// exit status, standard output, standard error.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tactolo::testing {

struct CommandRun {
  int status = -1;  // exit status; -1 when ended by a signal
  std::string out;
  std::string err;
};

/// `text` as one word for the shell, whatever bytes it holds.
inline std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

/// A test with a folder of its own for the files it makes, removed with it.
class FolderTest : public ::testing::Test {
 protected:
  FolderTest() {
    folder_ = std::filesystem::temp_directory_path() /
              ("tactolo-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  ~FolderTest() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_;
};

/// Runs a shell command line, capturing its standard output and error.
inline CommandRun runShell(const std::string& line) {
  const std::filesystem::path errFile =
      std::filesystem::temp_directory_path() / ("tactolo-err-" + std::to_string(::getpid()));
  const std::string command = "( " + line + " ) 2>" + errFile.string();
  CommandRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> buffer{};
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) run.out.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  run.err = text.str();
  std::filesystem::remove(errFile);
  return run;
}

/// Runs `tactolo ARGS` (ARGS as the shell reads them).
inline CommandRun runTactolo(const std::string& args) {
  return runShell(std::string(TACTOLO_BINARY) + " " + args);
}

/// Writes mono samples at `rate` Hz to `path` in `format`; returns false when
/// libsndfile refuses.
inline bool writeSound(const std::filesystem::path& path, const std::vector<float>& mono,
                       int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, int rate = 44100) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 1;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  if (!mono.empty()) sf_writef_float(file, mono.data(), static_cast<sf_count_t>(mono.size()));
  sf_close(file);
  return true;
}

/// Clicks every 500 ms over a quiet hiss (which leaves an encoder little to
/// pack), `seconds` long, mono at 44100 Hz.
/// Broadband clicks every half second: the simple sound-energy method
/// (`--method 1`), which listens to the whole spectrum, hears them.
inline std::vector<float> clickTrack(double seconds) {
  std::vector<float> mono(static_cast<std::size_t>(seconds * 44100));
  for (std::size_t i = 0; i < mono.size(); ++i) {
    mono[i] = static_cast<float>((i % 22050 < 200 ? 0.9 : 0.02) * std::sin(0.37 * double(i) * double(i)));
  }
  return mono;
}

/// Beat lines of `tactolo analyze` (time, tempo, kind): the times in seconds.
inline std::vector<double> beatTimes(const std::string& out) {
  std::vector<double> times;
  std::istringstream lines(out);
  double time = 0.0;
  int bpm = 0;
  std::string kind;
  while (lines >> time >> bpm >> kind) times.push_back(time);
  return times;
}

}  // namespace tactolo::testing
