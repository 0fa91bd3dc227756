// `tactolo live` run as a user runs it, against a sound server of the test's
// own: a child process whose output is kept in files, signalled and waited
// for with a bound.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tactolo::testing {

class LiveProcess {
 public:
  /// Starts `tactolo ARGS...` in `environment` (the test's own when empty),
  /// its standard output and error going to files of its own, or its
  /// standard output to `outputPath` when given (such as "/dev/full").
  LiveProcess(const std::vector<std::string>& args, std::vector<std::string> environment = {},
              const std::string& outputPath = "");
  /// Kills the process if it still runs, and removes its files.
  ~LiveProcess();
  LiveProcess(const LiveProcess&) = delete;
  LiveProcess& operator=(const LiveProcess&) = delete;

  bool started() const { return pid_ > 0; }
  void signal(int number) const;
  /// The exit status once the process has ended, waiting at most
  /// `timeoutMs`; -1 when a signal ended it; nullopt while it still runs.
  std::optional<int> waitExit(int timeoutMs);

  std::string out() const;
  std::string err() const;

 private:
  std::filesystem::path folder_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

/// Runs `tactolo ARGS...` to its end (at most `timeoutMs`, then it is
/// killed): exit status (-1 for a signal or a timeout), output and error.
struct LiveRun {
  int status = -1;
  std::string out;
  std::string err;
};
LiveRun runLiveCommand(const std::vector<std::string>& args, std::vector<std::string> environment = {},
                       int timeoutMs = 20000);

}  // namespace tactolo::testing
