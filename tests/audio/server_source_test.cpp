// Sources as libpulse reports them to a source query, and how the capture
// library shows them as devices and inputs.
#include "audio/server_source.h"

#include <gtest/gtest.h>
#include <pulse/introspect.h>

#include <array>

#include "audio/pulse_capture.h"

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
}

TEST(ServerSource, APortlessSourceIsEnabledWithOneInputSwitchedOnNamedAfterIt) {
  pa_source_info info{};
  info.name = "vsink.monitor";
  info.description = "Monitor of Null Output";
  info.sample_spec.channels = 1;
  const ServerSource source = serverSourceOf(info);
  EXPECT_TRUE(source.enabled());
  EXPECT_EQ(source.channels, 1u);  // the volume is set per channel
  EXPECT_EQ(source.inputCount(), 1);
  EXPECT_EQ(source.inputName(0), "Monitor of Null Output");
  EXPECT_EQ(source.inputName(1), std::nullopt);
  EXPECT_EQ(source.inputFlags(0), 0u);
  EXPECT_EQ(source.portToActivate(0, kInputOn), std::nullopt);
}

}  // namespace
}  // namespace tactolo::testing
