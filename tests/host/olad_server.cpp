#include "host/olad_server.h"

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

#include <cstdlib>

namespace tactolo::testing {

std::unique_ptr<OladServer> OladServer::start(std::string& why, const std::string& plugins, uint16_t port) {
  std::vector<std::string> args{"bash", TACTOLO_TEST_DIR "/../scripts/olad-server.sh", "--plugins", plugins};
  if (port != 0) {
    args.push_back("--port");
    args.push_back(std::to_string(port));
  }
  args.push_back("--serve");
  std::unique_ptr<OladServer> server(new OladServer);
  // The script gives up on its own after 10 s a try; this is only a backstop.
  if (!server->script_.start(args, std::chrono::seconds(60), why)) return nullptr;
  server->port_ = static_cast<uint16_t>(std::atoi(server->script_.value("port").c_str()));
  if (server->port_ == 0) {
    why = "olad told no port (scripts/olad-server.sh)";
    return nullptr;
  }
  return server;
}

void startOlad(const std::string& plugins, std::unique_ptr<OladServer>& olad) {
  std::string why;
  olad = OladServer::start(why, plugins);
  if (olad == nullptr) {
    if (requiredByEnvironment("TACTOLO_REQUIRE_OLA")) FAIL() << "no olad for the test: " << why;
    GTEST_SKIP() << "no olad: " << why;
  }
}

namespace {

/// olad's answer to one request.
struct Answer {
  bool done = false;
  bool ok = false;
  std::vector<ola::client::OlaDevice> devices;
  std::vector<uint8_t> dmx;
};

void answered(Answer* answer, const ola::client::Result& result) {
  answer->ok = result.Success();
  answer->done = true;
}

void devicesArrived(Answer* answer, const ola::client::Result& result,
                    const std::vector<ola::client::OlaDevice>& devices) {
  answer->devices = devices;
  answered(answer, result);
}

void dmxArrived(Answer* answer, const ola::client::Result& result, const ola::client::DMXMetadata&,
                const ola::DmxBuffer& buffer) {
  answer->dmx.assign(buffer.GetRaw(), buffer.GetRaw() + buffer.Size());
  answered(answer, result);
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
  eventually(
      [&] {
        Answer answer;
        client_->FetchDeviceInfo(static_cast<ola::ola_plugin_id>(pluginId),
                                 ola::NewSingleCallback(&devicesArrived, &answer));
        if (!waitFor(answer.done)) return true;
        if (answer.ok && !answer.devices.empty()) alias = answer.devices.front().Alias();
        return alias.has_value();
      },
      5000);
  return alias;
}

bool OlaProbe::patch(unsigned alias, bool input, unsigned universe) {
  if (client_ == nullptr) return false;
  Answer answer;
  client_->Patch(alias, 0, input ? ola::client::INPUT_PORT : ola::client::OUTPUT_PORT, ola::client::PATCH,
                 universe, ola::NewSingleCallback(&answered, &answer));
  return waitFor(answer.done) && answer.ok;
}

std::optional<std::vector<uint8_t>> OlaProbe::fetchDmx(unsigned universe) {
  if (client_ == nullptr) return std::nullopt;
  Answer answer;
  client_->FetchDMX(universe, ola::NewSingleCallback(&dmxArrived, &answer));
  if (!waitFor(answer.done) || !answer.ok) return std::nullopt;
  return answer.dmx;
}

}  // namespace tactolo::testing
