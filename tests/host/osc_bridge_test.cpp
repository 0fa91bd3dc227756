// OscBridge over loopback: a liblo server of the test's own receives what the
// bridge sends and sends it commands, on ports the system picks.
#include "host/osc_bridge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <lo/lo.h>
#include <netinet/in.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/host_interfaces.h"

namespace tactolo::host {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

/// Records the commands it runs; refuses values beyond the plug-in's range
/// as the plug-in does. Offers two commands.
class RecordingCommands : public ICommandServer {
 public:
  std::vector<std::string> executed;

  HostResult<std::string> Name() override { return HostResult<std::string>::success("Tactolo"); }
  HostResult<std::shared_ptr<CommandOptions>> GetFirstOptions() override {
    auto options = std::make_shared<CommandOptions>();
    options->Add("Tactolo ein", "Tactolo On");
    options->Add("VU-Konfiguration", "Select VU-Config");
    return HostResult<std::shared_ptr<CommandOptions>>::success(options);
  }
  HostResult<std::shared_ptr<CommandOptions>> GetSecondOptions(std::string& first) override {
    auto options = std::make_shared<CommandOptions>();
    if (first == "Select VU-Config") {
      options->Add("Auswählen", "select");
    } else {
      options->Add("Ausführen", "do");
    }
    return HostResult<std::shared_ptr<CommandOptions>>::success(options);
  }
  HostStatus ExecuteCommand(std::string& first, std::string& second, int32_t& value,
                            std::shared_ptr<IHostObject>&, std::shared_ptr<IHostObject>&) override {
    if (value >= 32768000) return HostStatus::failure("Overflow");
    executed.push_back(first + "|" + second + "|" + std::to_string(value));
    return hostOk();
  }
};

/// The other end: a liblo server that keeps every message it gets as
/// "PATH TYPES ARG|ARG...".
class Peer {
 public:
  Peer() : server_(lo_server_new(nullptr, nullptr)) {
    lo_server_add_method(server_, nullptr, nullptr, &record, this);
  }
  ~Peer() { lo_server_free(server_); }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  int port() const { return lo_server_get_port(server_); }
  /// By name: where the name has an IPv6 address too, the bridge must still
  /// pick the IPv4 one this server listens on.
  std::string address() const { return "localhost:" + std::to_string(port()); }

  /// What arrived: waits up to a second for `count` messages, then takes
  /// whatever else is already there.
  std::vector<std::string> received(size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (messages_.size() < count && std::chrono::steady_clock::now() < deadline) {
      lo_server_recv_noblock(server_, 20);
    }
    while (lo_server_recv_noblock(server_, 0) > 0) {
    }
    return std::exchange(messages_, {});
  }

  /// Sends an OSC message to the bridge from this peer's port.
  template <class... Args>
  void send(const OscBridge& bridge, const char* path, const char* types, Args... args) {
    lo_address to = lo_address_new("127.0.0.1", std::to_string(bridge.listenPort()).c_str());
    lo_send_from(to, server_, LO_TT_IMMEDIATE, path, types, args...);
    lo_address_free(to);
  }
  void sendBytes(const OscBridge& bridge, const std::string& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(bridge.listenPort()));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sendto(lo_server_get_socket_fd(server_), bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to),
           sizeof to);
  }

 private:
  static int record(const char* path, const char* types, lo_arg** argv, int argc, lo_message, void* self) {
    std::string text = std::string(path) + " " + types;
    for (int i = 0; i < argc; ++i) {
      text += i == 0 ? " " : "|";
      // Arguments lie at 4-byte boundaries; lo_arg wants 8.
      const auto* bytes = reinterpret_cast<const char*>(argv[i]);
      int32_t whole = 0;
      float real = 0;
      std::memcpy(&whole, bytes, sizeof whole);
      std::memcpy(&real, bytes, sizeof real);
      char number[32];
      std::snprintf(number, sizeof number, "%g", real);
      text += types[i] == 's' ? bytes : types[i] == 'i' ? std::to_string(whole) : number;
    }
    static_cast<Peer*>(self)->messages_.push_back(text);
    return 0;
  }

  lo_server server_;
  std::vector<std::string> messages_;
};

BeatEvent beatShowing(const std::string& caption) {
  BeatEvent beat;
  beat.bpm = caption;
  return beat;
}

/// Lets the bridge handle what was sent to it, as the event loop does.
void deliver(OscBridge& bridge) {
  pollfd ready{bridge.fd(), POLLIN, 0};
  ASSERT_EQ(poll(&ready, 1, 1000), 1);
  bridge.receive();
}

struct OscBridgeTest : ::testing::Test {
  OscBridgeTest() : warn([this](const std::string& text) { warnings.push_back(text); }) {}
  Peer peer;
  RecordingCommands commands;
  std::vector<std::string> warnings;
  OscBridge::Warn warn;
};

TEST_F(OscBridgeTest, EveryBeatIsSentAndTheTempoWhenItChanges) {
  OscBridge bridge({peer.address(), 0}, commands, warn);
  const std::string beat = "/tactolo/beat iii 9|1|0";
  // {caption shown with the beat, what the receiver gets for it}
  const std::vector<std::pair<std::string, std::vector<std::string>>> beats = {
      {"120", {"/tactolo/bpm f 120", beat}},
      {"120", {beat}},
      {"128", {"/tactolo/bpm f 128", beat}},
      {"---", {beat}},
      {"128", {beat}},  // the tempo last sent
      {"97.5", {"/tactolo/bpm f 97.5", beat}},
  };
  std::vector<std::string> expected;
  for (const auto& [caption, messages] : beats) {
    bridge.beat(beatShowing(caption));
    expected.insert(expected.end(), messages.begin(), messages.end());
  }
  bridge.showTempo("100");
  bridge.showTempo("100");
  expected.push_back("/tactolo/bpm f 100");

  EXPECT_THAT(peer.received(expected.size()), ElementsAreArray(expected));
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_THAT(warnings[0], HasSubstr("\"---\""));
}

TEST_F(OscBridgeTest, CommandsRunInOrderAndOptionsAreAnsweredToTheSender) {
  OscBridge bridge({"", OscBridge::kAnyPort}, commands, warn);
  peer.send(bridge, "/tactolo/command", "ssi", "Tactolo Off", "do", 0);
  peer.send(bridge, "/tactolo/command", "ssi", "Select VU-Config", "select", 2000);
  peer.send(bridge, "/tactolo/options", "");
  deliver(bridge);

  EXPECT_THAT(commands.executed, ElementsAre("Tactolo Off|do|0", "Select VU-Config|select|2000"));
  EXPECT_THAT(peer.received(2),
              ElementsAre("/tactolo/options ssss Tactolo On|Tactolo ein|do|Ausführen",
                          "/tactolo/options ssss Select VU-Config|VU-Konfiguration|select|Auswählen"));
  EXPECT_THAT(warnings, IsEmpty());
}

TEST_F(OscBridgeTest, AMalformedMessageWarnsOnceAndChangesNothing) {
  OscBridge bridge({"", OscBridge::kAnyPort}, commands, warn);
  const std::vector<std::pair<std::string, std::function<void()>>> cases = {
      {"a float value", [&] { peer.send(bridge, "/tactolo/command", "ssf", "Tactolo Off", "do", 0.0f); }},
      {"no value", [&] { peer.send(bridge, "/tactolo/command", "ss", "Tactolo Off", "do"); }},
      {"a number first", [&] { peer.send(bridge, "/tactolo/command", "iss", 0, "Tactolo Off", "do"); }},
      {"options with an argument", [&] { peer.send(bridge, "/tactolo/options", "i", 1); }},
      {"unknown address", [&] { peer.send(bridge, "/tactolo/blackout", "ssi", "Tactolo Off", "do", 0); }},
      {"a value the plug-in refuses",
       [&] { peer.send(bridge, "/tactolo/command", "ssi", "Sync Beat", "do", 32768000); }},
      {"not OSC", [&] { peer.sendBytes(bridge, "hello"); }},
  };
  for (const auto& [name, send] : cases) {
    SCOPED_TRACE(name);
    warnings.clear();
    send();
    deliver(bridge);
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_THAT(commands.executed, IsEmpty());
    EXPECT_THAT(peer.received(0), IsEmpty());
  }
}

TEST_F(OscBridgeTest, SettingsItCannotUseWarnOnceAndSendAndReceiveNothing) {
  const std::vector<OscSettings> cases = {
      {"localhost:", 0},   {":9000", 0},    {"127.0.0.1:65536", 0},
      {"127.0.0.1:9x", 0}, {"::1:9000", 0}, {"[::1]9000", 0},
      {"", 70000},         {"", -2},        {"", peer.port()},  // in use
  };
  for (const auto& settings : cases) {
    SCOPED_TRACE(settings.sendTo + " / " + std::to_string(settings.listenPort));
    warnings.clear();
    OscBridge bridge(settings, commands, warn);
    bridge.beat(beatShowing("120"));
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(bridge.fd(), -1);
  }
}

}  // namespace
}  // namespace tactolo::host
