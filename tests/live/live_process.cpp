#include "live/live_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace tactolo::testing {

namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

LiveProcess::LiveProcess(const std::vector<std::string>& args, std::vector<std::string> environment,
                         const std::string& outputPath) {
  static std::atomic<int> serial{0};
  folder_ = std::filesystem::temp_directory_path() /
            ("tactolo-live-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
  std::filesystem::create_directories(folder_);

  std::vector<std::string> argv{TACTOLO_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> argp;
  for (std::string& arg : argv) argp.push_back(arg.data());
  argp.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  const std::string output = outputPath.empty() ? (folder_ / "out").string() : outputPath;
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (folder_ / "err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  // The child starts with no signal blocked and the default actions,
  // whatever the test program has set.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGINT);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGHUP);
  sigaddset(&ending, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &ending);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  if (posix_spawn(&pid_, argp[0], &actions, &attributes, argp.data(),
                  environment.empty() ? environ : envp.data()) != 0) {
    pid_ = -1;
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
}

LiveProcess::~LiveProcess() {
  if (pid_ > 0 && !status_) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void LiveProcess::signal(int number) const {
  if (pid_ > 0 && !status_) ::kill(pid_, number);
}

std::optional<int> LiveProcess::waitExit(int timeoutMs) {
  if (status_ || pid_ <= 0) return status_;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
    if (ended == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return status_;
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string LiveProcess::out() const { return readFile(folder_ / "out"); }
std::string LiveProcess::err() const { return readFile(folder_ / "err"); }

LiveRun runLiveCommand(const std::vector<std::string>& args, std::vector<std::string> environment,
                       int timeoutMs) {
  LiveProcess process(args, std::move(environment));
  LiveRun run;
  if (!process.started()) return run;
  run.status = process.waitExit(timeoutMs).value_or(-1);
  run.out = process.out();
  run.err = process.err();
  return run;
}

}  // namespace tactolo::testing
