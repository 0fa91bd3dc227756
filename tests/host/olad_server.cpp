#include "host/olad_server.h"

#include <fcntl.h>
#include <ola/Callback.h>
#include <ola/Clock.h>
#include <ola/DmxBuffer.h>
#include <ola/client/ClientArgs.h>
#include <ola/client/ClientTypes.h>
#include <ola/client/OlaClient.h>
#include <ola/client/Result.h>
#include <ola/io/SelectServer.h>
#include <ola/network/IPV4Address.h>
#include <ola/network/SocketAddress.h>
#include <ola/network/TCPSocket.h>
#include <ola/plugin_id.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace tactolo::testing {

namespace {

/// Reads one line from `fd` within the time left before `deadline`; false at
/// the end of the output or when the time is up.
bool readLine(int fd, std::string& line, std::chrono::steady_clock::time_point deadline) {
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

}  // namespace

bool olaRequired() {
  const char* required = std::getenv("TACTOLO_REQUIRE_OLA");
  return required != nullptr && std::strcmp(required, "1") == 0;
}

std::unique_ptr<OladServer> OladServer::start(std::string& why, const std::string& plugins, uint16_t port) {
  int input[2];
  int output[2];
  if (pipe2(input, O_CLOEXEC) != 0) {
    why = "no pipe";
    return nullptr;
  }
  if (pipe2(output, O_CLOEXEC) != 0) {
    close(input[0]);
    close(input[1]);
    why = "no pipe";
    return nullptr;
  }
  std::vector<std::string> args{"bash", TACTOLO_TEST_DIR "/../scripts/olad-server.sh", "--plugins", plugins};
  if (port != 0) {
    args.push_back("--port");
    args.push_back(std::to_string(port));
  }
  args.push_back("--serve");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  std::unique_ptr<OladServer> server(new OladServer);
  const int spawned = posix_spawnp(&server->scriptPid_, "bash", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(input[0]);
  close(output[1]);
  server->toScript_ = input[1];
  if (spawned != 0) {
    server->scriptPid_ = -1;
    close(output[0]);
    why = "cannot run bash";
    return nullptr;
  }

  // The script gives up on its own after 10 s a try; this is only a backstop.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::string line;
  bool ready = false;
  while (!ready && readLine(output[0], line, deadline)) {
    if (line == "ready") {
      ready = true;
    } else if (line.rfind("pid=", 0) == 0) {
      server->serverPid_ = static_cast<pid_t>(std::atoi(line.c_str() + 4));
    } else if (line.rfind("port=", 0) == 0) {
      server->port_ = static_cast<uint16_t>(std::atoi(line.c_str() + 5));
    }
  }
  close(output[0]);
  if (!ready || server->serverPid_ <= 0 || server->port_ == 0) {
    why = "olad did not start (scripts/olad-server.sh; see its message above)";
    return nullptr;
  }
  return server;
}

OladServer::~OladServer() {
  // The script stops olad by its PID once its input closes.
  if (toScript_ >= 0) close(toScript_);
  if (scriptPid_ > 0) {
    int status = 0;
    waitpid(scriptPid_, &status, 0);
  }
}

void OladServer::kill() {
  if (serverPid_ > 0) ::kill(serverPid_, SIGKILL);
}

void OladTest::SetUp() {
  std::string why;
  olad = OladServer::start(why, plugins);
  if (olad == nullptr) {
    if (olaRequired()) FAIL() << "no olad for the test: " << why;
    GTEST_SKIP() << "no olad: " << why;
  }
}

namespace {

struct DeviceAnswer {
  bool done = false;
  std::vector<ola::client::OlaDevice> devices;
};

void devicesArrived(DeviceAnswer* answer, const ola::client::Result& result,
                    const std::vector<ola::client::OlaDevice>& devices) {
  if (result.Success()) answer->devices = devices;
  answer->done = true;
}

struct PatchAnswer {
  bool done = false;
  bool ok = false;
};

void patched(PatchAnswer* answer, const ola::client::Result& result) {
  answer->ok = result.Success();
  answer->done = true;
}

struct DmxAnswer {
  bool done = false;
  std::optional<std::vector<uint8_t>> values;
};

void dmxArrived(DmxAnswer* answer, const ola::client::Result& result, const ola::client::DMXMetadata&,
                const ola::DmxBuffer& buffer) {
  if (result.Success())
    answer->values = std::vector<uint8_t>(buffer.GetRaw(), buffer.GetRaw() + buffer.Size());
  answer->done = true;
}

}  // namespace

OlaProbe::OlaProbe(uint16_t port) {
  socket_.reset(ola::network::TCPSocket::Connect(
      ola::network::IPV4SocketAddress(ola::network::IPV4Address::Loopback(), port)));
  if (socket_ == nullptr) return;
  selectServer_ = std::make_unique<ola::io::SelectServer>();
  auto client = std::make_unique<ola::client::OlaClient>(socket_.get());
  if (!client->Setup()) return;
  selectServer_->AddReadDescriptor(socket_.get());
  client_ = std::move(client);
}

OlaProbe::~OlaProbe() {
  if (client_ != nullptr) {
    client_->Stop();
    selectServer_->RemoveReadDescriptor(socket_.get());
  }
  client_.reset();
  if (socket_ != nullptr) socket_->Close();
}

bool OlaProbe::waitFor(const bool& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!done && std::chrono::steady_clock::now() < deadline) {
    selectServer_->RunOnce(ola::TimeInterval(0, 10000));
  }
  return done;
}

std::optional<unsigned> OlaProbe::deviceOf(int pluginId) {
  if (client_ == nullptr) return std::nullopt;
  std::optional<unsigned> alias;
  waitUntil(
      [&] {
        DeviceAnswer answer;
        client_->FetchDeviceInfo(static_cast<ola::ola_plugin_id>(pluginId),
                                 ola::NewSingleCallback(&devicesArrived, &answer));
        if (!waitFor(answer.done)) return true;
        if (!answer.devices.empty()) alias = answer.devices.front().Alias();
        return alias.has_value();
      },
      5000);
  return alias;
}

bool OlaProbe::patch(unsigned alias, bool input, unsigned universe) {
  if (client_ == nullptr) return false;
  PatchAnswer answer;
  client_->Patch(alias, 0, input ? ola::client::INPUT_PORT : ola::client::OUTPUT_PORT, ola::client::PATCH,
                 universe, ola::NewSingleCallback(&patched, &answer));
  return waitFor(answer.done) && answer.ok;
}

std::optional<std::vector<uint8_t>> OlaProbe::fetchDmx(unsigned universe) {
  if (client_ == nullptr) return std::nullopt;
  DmxAnswer answer;
  client_->FetchDMX(universe, ola::NewSingleCallback(&dmxArrived, &answer));
  if (!waitFor(answer.done)) return std::nullopt;
  return answer.values;
}

}  // namespace tactolo::testing
