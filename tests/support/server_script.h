// Private servers for the tests (pulseaudio, olad), each started by a script
// of scripts/ run with --serve, and what their tests share: starting a
// process on pipes, a variable that turns a skip into a failure, waiting for
// a real server. Inline and without GoogleTest, so that the benchmarks that
// start a server use it too.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tactolo::testing {

/// True when the environment variable `name` is "1" (CI sets
/// TACTOLO_REQUIRE_PULSE and TACTOLO_REQUIRE_OLA so that tests fail, not
/// skip, without their server).
inline bool requiredByEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && std::strcmp(value, "1") == 0;
}

/// Checks `condition` every 10 ms until it holds or `timeoutMs` pass; returns
/// whether it held. For waiting on a real server or network, never as a
/// timing assertion of its own.
template <class Condition>
bool eventually(Condition condition, int timeoutMs = 2000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

/// Starts `args` with its standard input from `input` and (unless -1) its
/// standard output to `output`, in `environment` (ours when empty). Returns
/// the process id, or -1.
inline pid_t spawnProcess(std::vector<std::string> args, int input, int output,
                          std::vector<std::string> environment = {}) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  if (output >= 0) posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(),
                                   environment.empty() ? environ : envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

/// A server script run with --serve: it prints KEY=VALUE lines (at least
/// pid=), then "ready", and stops the server by its PID once its standard
/// input closes, which the destructor does (as the end of a test program
/// that died would).
class ServerScript {
 public:
  ServerScript() = default;
  ServerScript(const ServerScript&) = delete;
  ServerScript& operator=(const ServerScript&) = delete;
  ~ServerScript() {
    if (toScript_ >= 0) close(toScript_);
    if (scriptPid_ > 0) {
      int status = 0;
      waitpid(scriptPid_, &status, 0);
    }
  }

  /// Runs `args` and reads its lines until "ready", for at most `backstop`
  /// (the scripts give up on their own before). False, with `why`, when the
  /// server did not start.
  bool start(const std::vector<std::string>& args, std::chrono::seconds backstop, std::string& why) {
    int input[2];
    int output[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
      why = "no pipe";
      return false;
    }
    if (pipe2(output, O_CLOEXEC) != 0) {
      close(input[0]);
      close(input[1]);
      why = "no pipe";
      return false;
    }
    scriptPid_ = spawnProcess(args, input[0], output[1]);
    close(input[0]);
    close(output[1]);
    toScript_ = input[1];
    if (scriptPid_ < 0) {
      close(output[0]);
      why = "cannot run " + args.front();
      return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + backstop;
    std::string line;
    bool ready = false;
    while (!ready && readLine(output[0], line, deadline)) {
      ready = line == "ready";
      const auto equals = line.find('=');
      if (equals != std::string::npos) values_[line.substr(0, equals)] = line.substr(equals + 1);
    }
    close(output[0]);
    serverPid_ = static_cast<pid_t>(std::atoi(value("pid").c_str()));
    if (!ready || serverPid_ <= 0) {
      why = "the server did not start (" + args.at(1) + "; see its message above)";
      return false;
    }
    return true;
  }

  /// The value of the line KEY=VALUE the script printed; empty without one.
  std::string value(const std::string& key) const {
    const auto found = values_.find(key);
    return found == values_.end() ? std::string() : found->second;
  }
  /// Sends the server (not the script) signal `number`.
  void signal(int number) const {
    if (serverPid_ > 0) ::kill(serverPid_, number);
  }

 private:
  /// Reads one line from `fd` within the time left before `deadline`; false
  /// at the end of the output or when the time is up.
  static bool readLine(int fd, std::string& line, std::chrono::steady_clock::time_point deadline) {
    line.clear();
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd ready{fd, POLLIN, 0};
      if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
      char c = 0;
      if (read(fd, &c, 1) != 1) return false;
      if (c == '\n') return true;
      line += c;
    }
  }

  pid_t scriptPid_ = -1;
  int toScript_ = -1;  // the script's standard input
  pid_t serverPid_ = -1;
  std::map<std::string, std::string> values_;
};

}  // namespace tactolo::testing
