#include "audio/pulse_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace tactolo::testing {

namespace {

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

std::unique_ptr<PulseServer> PulseServer::start(std::string& why, const std::string& dir, bool memfd) {
  std::vector<std::string> args{"bash", TACTOLO_PULSE_SERVER_SCRIPT};
  if (!dir.empty()) {
    args.push_back("--dir");
    args.push_back(dir);
  }
  if (memfd) args.push_back("--memfd");
  args.push_back("--serve");
  std::unique_ptr<PulseServer> server(new PulseServer);
  // The script gives up on its own after 10 s; this is only a backstop.
  if (!server->script_.start(args, std::chrono::seconds(20), why)) return nullptr;
  server->address_ = server->script_.value("server");
  server->home_ = server->script_.value("home");
  if (server->address_.empty()) {
    why = "pulseaudio told no address (scripts/pulse-server.sh)";
    return nullptr;
  }
  return server;
}

PulseServer::~PulseServer() {
  // The script stops the server by its PID once its input closes; a frozen
  // server would only take SIGKILL, after the script's grace time.
  signal(SIGCONT);
}

void PulseServer::signal(int number) const { script_.signal(number); }

std::vector<std::string> environmentWithServer(const std::string& address, const std::string& home) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const bool replaced = std::strncmp(*entry, "PULSE_SERVER=", 13) == 0 ||
                          (!home.empty() && std::strncmp(*entry, "HOME=", 5) == 0);
    if (!replaced) environment.emplace_back(*entry);
  }
  if (!home.empty()) environment.push_back("HOME=" + home);
  environment.push_back("PULSE_SERVER=" + address);
  return environment;
}

std::vector<std::string> PulseServer::clientEnvironment() const {
  return environmentWithServer(address_, home_);
}

std::vector<ListedSource> listedSources(const PulseServer& server) {
  std::vector<ListedSource> sources;
  std::istringstream listing(server.run("pactl list sources"));
  for (std::string line; std::getline(listing, line);) {
    const auto text = line.find_first_not_of(" \t");
    if (text == std::string::npos) continue;
    if (line.compare(text, 6, "Name: ") == 0) sources.push_back({line.substr(text + 6), ""});
    if (line.compare(text, 13, "Description: ") == 0 && !sources.empty()) {
      sources.back().description = line.substr(text + 13);
    }
  }
  return sources;
}

std::string PulseServer::run(const std::string& command, int* status) const {
  const std::string line =
      "export HOME=" + quoted(home_) + " PULSE_SERVER=" + quoted(address_) + "; " + command;
  std::string output;
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) {
    if (status != nullptr) *status = -1;
    return output;
  }
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  const int result = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  return output;
}

void PulseServer::wakeSink(const std::string& sink) const {
  run("pactl suspend-sink " + quoted(sink) + " 1 && pactl suspend-sink " + quoted(sink) + " 0");
}

SinkPlayer::SinkPlayer(const PulseServer& server, const std::string& sink, std::vector<float> loop)
    : loop_(std::move(loop)) {
  // A write to pacat once it is gone must fail, not end the test program.
  signal(SIGPIPE, SIG_IGN);
  int input[2];
  if (pipe2(input, O_CLOEXEC) != 0) {
    error_ = "no pipe";
    return;
  }
  // A small pipe keeps the audio waiting in it short (a page: about 12 ms).
  fcntl(input[1], F_SETPIPE_SZ, 4096);
  pacat_ = spawnProcess({"pacat", "--playback", "-d", sink, "--format=float32le", "--rate=44100",
                         "--channels=2", "--latency-msec=10", "--raw"},
                        input[0], -1, server.clientEnvironment());
  close(input[0]);
  toPacat_ = input[1];
  if (pacat_ < 0) {
    error_ = "cannot run pacat";
    return;
  }
  thread_ = std::thread([this] { feed(); });
  if (!eventually([&] { return !server.run("pactl list short sink-inputs").empty(); })) {
    error_ = "pacat's stream did not appear";
    return;
  }
  server.wakeSink(sink);
}

SinkPlayer::~SinkPlayer() {
  stop_ = true;
  if (pacat_ > 0) ::kill(pacat_, SIGTERM);
  if (thread_.joinable()) thread_.join();
  if (toPacat_ >= 0) close(toPacat_);
  if (pacat_ > 0) {
    int status = 0;
    waitpid(pacat_, &status, 0);
  }
}

void SinkPlayer::feed() {
  // pacat takes the frames at the sink's pace: each write waits while the
  // pipe is full.
  const auto* bytes = reinterpret_cast<const char*>(loop_.data());
  const std::size_t size = loop_.size() * sizeof(float);
  std::size_t position = 0;
  while (!stop_) {
    const ssize_t written = write(toPacat_, bytes + position, size - position);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    position = (position + static_cast<std::size_t>(written)) % size;
  }
}

}  // namespace tactolo::testing
