// Running the tactolo command as a user does, and looking at what it did:
// exit status, standard output, standard error.
#pragma once

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

#include "support/sound_files.h"

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

/// Broadband clicks every 500 ms over a quiet hiss (which leaves an encoder
/// little to pack), `seconds` long, mono at 44100 Hz: the simple
/// sound-energy method (`--method 1`), which listens to the whole spectrum,
/// hears them.
inline std::vector<float> clickTrack(double seconds) {
  std::vector<float> mono(static_cast<std::size_t>(seconds * 44100));
  for (std::size_t i = 0; i < mono.size(); ++i) {
    mono[i] = static_cast<float>((i % 22050 < 200 ? 0.9 : 0.02) * std::sin(0.37 * double(i) * double(i)));
  }
  return mono;
}

/// A beat line of `tactolo analyze`: time in seconds, tempo, kind.
struct Beat {
  double time;
  int bpm;
  std::string kind;
};

inline std::vector<Beat> parseBeats(const std::string& out) {
  std::vector<Beat> beats;
  std::istringstream lines(out);
  Beat beat{};
  while (lines >> beat.time >> beat.bpm >> beat.kind) beats.push_back(beat);
  return beats;
}

/// The times of the beat lines, in seconds.
inline std::vector<double> beatTimes(const std::string& out) {
  std::vector<double> times;
  for (const Beat& beat : parseBeats(out)) times.push_back(beat.time);
  return times;
}

}  // namespace tactolo::testing
