// The live back-end: sources as libpulse reports them to a source query and
// how the capture library shows them as devices and inputs, and the
// back-end against a real sound server of its own (started by
// scripts/pulse-server.sh for each test).
#include "audio/pulse_capture.h"

#include <gtest/gtest.h>
#include <pulse/def.h>
#include <pulse/introspect.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "audio/pulse_server.h"
#include "audio/server_source.h"
#include "signals.h"

namespace tactolo::testing {
namespace {

pa_source_port_info port(const char* name, const char* description, pa_port_available_t available) {
  pa_source_port_info port{};
  port.name = name;
  port.description = description;
  port.available = available;
  return port;
}

/// A sound card's source as libpulse hands it to the query's callback:
/// microphone, line in (the active port, on a jack that cannot tell whether
/// something is plugged in) and headset microphone, reported unplugged.
struct CardInfo {
  CardInfo() {
    info.name = "alsa_input.pci";
    info.description = "Built-in Audio";
    info.sample_spec.channels = 2;
    info.n_ports = static_cast<uint32_t>(ports.size());
    info.ports = list.data();
    info.active_port = &ports[1];
  }
  CardInfo(const CardInfo&) = delete;
  CardInfo& operator=(const CardInfo&) = delete;

  std::array<pa_source_port_info, 3> ports{
      port("analog-input-mic", "Microphone", PA_PORT_AVAILABLE_YES),
      port("analog-input-linein", "Line In", PA_PORT_AVAILABLE_UNKNOWN),
      port("analog-input-headset", "Headset Microphone", PA_PORT_AVAILABLE_NO)};
  std::array<pa_source_port_info*, 3> list{&ports[0], &ports[1], &ports[2]};
  pa_source_info info{};
};

TEST(ServerSource, IsARecordingDeviceDisabledOnlyWhenEveryPortIsUnplugged) {
  CardInfo card;
  const RecordDeviceInfo info = serverSourceOf(card.info).deviceInfo();
  EXPECT_EQ(info.name, "Built-in Audio");
  EXPECT_EQ(info.driver, "alsa_input.pci");
  EXPECT_EQ(info.flags & kDeviceEnabled, kDeviceEnabled);
  card.ports[0].available = PA_PORT_AVAILABLE_NO;
  EXPECT_TRUE(serverSourceOf(card.info).enabled());  // line in may be plugged
  card.ports[1].available = PA_PORT_AVAILABLE_NO;
  EXPECT_EQ(serverSourceOf(card.info).deviceInfo().flags & kDeviceEnabled, 0u);
}

TEST(ServerSource, InputsAreThePortsWithTheActiveOneSwitchedOn) {
  CardInfo card;
  const ServerSource source = serverSourceOf(card.info);
  EXPECT_EQ(source.inputCount(), 3);
  // Line in is the one on; the unplugged headset reads off like the microphone.
  const std::optional<std::string> names[] = {"Microphone", "Line In", "Headset Microphone", std::nullopt};
  const std::optional<uint32_t> flags[] = {kInputOff, 0u, kInputOff, std::nullopt};
  for (int input = 0; input < 4; ++input) {
    EXPECT_EQ(source.inputName(input), names[input]) << input;
    EXPECT_EQ(source.inputFlags(input), flags[input]) << input;
  }
  EXPECT_EQ(source.inputName(-1), std::nullopt);
  // Switching on activates the port unless it is active already; off, a
  // volume change alone (neither flag) or both flags change nothing.
  EXPECT_EQ(source.portToActivate(2, kInputOn), "analog-input-headset");
  EXPECT_EQ(source.portToActivate(1, kInputOn), std::nullopt);
  for (const uint32_t flag : {kInputOff, 0u, kInputOn | kInputOff}) {
    EXPECT_EQ(source.portToActivate(0, flag), std::nullopt) << flag;
  }
  // A source without ports (a sink's monitor) has one input, switched on
  // and named after it.
  card.info.n_ports = 0;
  const ServerSource portless = serverSourceOf(card.info);
  EXPECT_EQ(portless.inputCount(), 1);
  EXPECT_EQ(portless.inputName(0), "Built-in Audio");
  EXPECT_EQ(portless.inputFlags(0), 0u);
  EXPECT_EQ(portless.portToActivate(0, kInputOn), std::nullopt);
}

uint32_t left(uint32_t level) { return level & 0xFFFFu; }

TEST(PulseErrors, MapToTheDocumentedCodes) {
  // A lost connection is "no server" whatever libpulse reported.
  // clang-format off
  for (const auto& [error, connected, code] : {std::tuple{PA_ERR_NOENTITY, false, kErrorNoServer},
           {PA_ERR_CONNECTIONREFUSED, true, kErrorNoServer}, {PA_ERR_TIMEOUT, true, kErrorNoServer},
           {PA_ERR_NOENTITY, true, kErrorDevice}, {PA_ERR_KILLED, true, kErrorDevice},
           {PA_ERR_NOTSUPPORTED, true, kErrorFormat}, {PA_ERR_INVALID, true, kErrorFormat},
           {PA_ERR_BUSY, true, kErrorBusy}, {PA_ERR_ACCESS, true, kErrorBusy}}) {
    // clang-format on
    EXPECT_EQ(captureErrorOfPulse(error, connected), code) << error << " " << connected;
  }
}

class PulseCaptureTest : public PulseServerTest {
 protected:
  void SetUp() override {
    PulseServerTest::SetUp();
    if (server == nullptr) return;
    capture = std::make_unique<PulseCaptureLibrary>(server->address());
  }

  /// The device list as RecordGetDeviceInfo gives it.
  std::vector<RecordDeviceInfo> devices() {
    std::vector<RecordDeviceInfo> list;
    RecordDeviceInfo info;
    for (int32_t n = 0; capture->RecordGetDeviceInfo(n, info); ++n) list.push_back(info);
    return list;
  }

  /// The number of the device whose source is called `source`; -1 if none.
  int32_t deviceOf(const std::string& source) {
    const auto list = devices();
    const auto found =
        std::find_if(list.begin(), list.end(), [&](const auto& d) { return d.driver == source; });
    return found == list.end() ? -1 : static_cast<int32_t>(found - list.begin());
  }

  ChannelHandle startOn(const std::string& source) {
    const int32_t device = deviceOf(source);
    EXPECT_GE(device, 0) << source;
    EXPECT_TRUE(capture->RecordInit(device)) << capture->ErrorGetCode();
    return capture->RecordStart(44100, 2, kSampleFloat, nullptr, nullptr);
  }

  std::unique_ptr<PulseCaptureLibrary> capture;
  std::vector<float> bins = std::vector<float>(kSpectrumBins);
};

TEST_F(PulseCaptureTest, ARecordingShowsInTheMixerWaitsOutASuspendedSinkAndSetsTheSourceVolume) {
  const ChannelHandle handle = startOn("vsink.monitor");
  ASSERT_NE(handle, 0u) << capture->ErrorGetCode();
  // Silence while nothing plays.
  EXPECT_EQ(capture->ChannelGetLevel(handle), 0u);

  // One bin-centred tone, 2048 frames that loop seamlessly.
  SinkPlayer player(*server, "vsink", stereo(kFftSize, sine(binHz(100)), sine(binHz(100), 0.5)));
  ASSERT_EQ(player.error(), "");
  // The level word and the spectrum of what plays are in the live host test.
  ASSERT_TRUE(eventually([&] { return left(capture->ChannelGetLevel(handle)) > 32000; }));

  // Users see who records, in the mixer.
  const std::string outputs = server->run("pactl list source-outputs");
  EXPECT_NE(outputs.find("application.name = \"Tactolo\""), std::string::npos) << outputs;
  EXPECT_NE(outputs.find("media.role = \"music\""), std::string::npos) << outputs;
  EXPECT_NE(outputs.find("application.icon_name = "), std::string::npos) << outputs;
  EXPECT_NE(server->run("pactl list clients").find("application.name = \"Tactolo\""), std::string::npos);

  // A suspended sink sends nothing, and the server says so: the capture
  // waits for it, however long, rather than taking it for a server that hangs.
  server->run("pactl suspend-sink vsink 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(kCaptureFirstSamplesMs + 200));
  EXPECT_NE(capture->ChannelGetLevel(handle), 0xFFFFFFFFu) << capture->ErrorGetCode();
  server->run("pactl suspend-sink vsink 0");

  // The input's volume is the source's.
  EXPECT_TRUE(capture->RecordSetInput(0, kInputOn, 0.5f));
  EXPECT_TRUE(eventually([&] { return left(capture->ChannelGetLevel(handle)) < 20000; }));
  EXPECT_NEAR(left(capture->ChannelGetLevel(handle)), 16384.0, 200.0);

  EXPECT_TRUE(capture->ChannelStop(handle));
  EXPECT_TRUE(eventually([&] { return server->run("pactl list short source-outputs").empty(); }));
}

TEST_F(PulseCaptureTest, SourceGoneFailsTheNextReadWithNoSuchDevice) {
  int status = -1;
  std::string module = server->run("pactl load-module module-null-sink sink_name=gone", &status);
  ASSERT_EQ(status, 0);
  module.erase(module.find_last_not_of("\n") + 1);
  const int32_t device = deviceOf("gone.monitor");
  ASSERT_GE(device, 0);
  const ChannelHandle handle = startOn("gone.monitor");
  ASSERT_NE(handle, 0u) << capture->ErrorGetCode();
  ASSERT_EQ(capture->ChannelGetData(handle, bins.data(), kDataFft2048), kFftRequestBytes);

  server->run("pactl unload-module " + module, &status);
  ASSERT_EQ(status, 0);
  EXPECT_TRUE(
      eventually([&] { return capture->ChannelGetData(handle, bins.data(), kDataFft2048) == -1; }, 1000));
  EXPECT_EQ(capture->ErrorGetCode(), kErrorDevice);
  EXPECT_TRUE(capture->ChannelStop(handle));
  EXPECT_TRUE(capture->RecordFree());
  // Its number still names the gone source until the list is read again.
  EXPECT_FALSE(capture->RecordInit(device));
  EXPECT_EQ(capture->ErrorGetCode(), kErrorDevice);
  EXPECT_EQ(deviceOf("gone.monitor"), -1);
}

}  // namespace
}  // namespace tactolo::testing
