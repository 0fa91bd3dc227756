#include "audio/server_source.h"

#include <gtest/gtest.h>

namespace tactolo::testing {
namespace {

ServerSource cardWithPorts() {
  return ServerSource{"alsa_input.pci",
                      "Built-in Audio",
                      {{"analog-input-mic", "Microphone", false},
                       {"analog-input-linein", "Line In", true},
                       {"analog-input-headset", "Headset Microphone", false}},
                      "analog-input-linein",
                      2};
}

TEST(ServerSource, IsARecordingDeviceDisabledOnlyWhenEveryPortIsUnplugged) {
  ServerSource source = cardWithPorts();
  const RecordDeviceInfo info = source.deviceInfo();
  EXPECT_EQ(info.name, "Built-in Audio");
  EXPECT_EQ(info.driver, "alsa_input.pci");
  EXPECT_EQ(info.flags & kDeviceEnabled, kDeviceEnabled);
  source.ports[0].unavailable = true;
  EXPECT_TRUE(source.enabled());  // the headset port is still there
  source.ports[2].unavailable = true;
  EXPECT_FALSE(source.enabled());
  EXPECT_EQ(source.deviceInfo().flags & kDeviceEnabled, 0u);
}

TEST(ServerSource, InputsAreThePortsWithTheActiveOneSwitchedOn) {
  const ServerSource source = cardWithPorts();
  EXPECT_EQ(source.inputCount(), 3);
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
  const ServerSource source{"vsink.monitor", "Monitor of Null Output", {}, "", 2};
  EXPECT_TRUE(source.enabled());
  EXPECT_EQ(source.inputCount(), 1);
  EXPECT_EQ(source.inputName(0), "Monitor of Null Output");
  EXPECT_EQ(source.inputName(1), std::nullopt);
  EXPECT_EQ(source.inputFlags(0), 0u);
  EXPECT_EQ(source.portToActivate(0, kInputOn), std::nullopt);
}

}  // namespace
}  // namespace tactolo::testing
