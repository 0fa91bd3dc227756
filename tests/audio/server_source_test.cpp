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

TEST(ServerSource, IsARecordingDeviceNamedByItsDescription) {
  const RecordDeviceInfo info = cardWithPorts().deviceInfo();
  EXPECT_EQ(info.name, "Built-in Audio");
  EXPECT_EQ(info.driver, "alsa_input.pci");
  EXPECT_EQ(info.flags & kDeviceEnabled, kDeviceEnabled);
}

TEST(ServerSource, IsDisabledOnlyWhenEveryPortIsUnplugged) {
  ServerSource source = cardWithPorts();
  source.ports[0].unavailable = true;
  EXPECT_TRUE(source.enabled());  // the headset port is still there
  source.ports[2].unavailable = true;
  EXPECT_FALSE(source.enabled());
  EXPECT_EQ(source.deviceInfo().flags & kDeviceEnabled, 0u);
  // A source without ports (a monitor, a virtual source) is always enabled.
  EXPECT_TRUE((ServerSource{"vsink.monitor", "Monitor of Null Output", {}, "", 2}.enabled()));
}

TEST(ServerSource, InputsAreThePortsWithTheActiveOneSwitchedOn) {
  const ServerSource source = cardWithPorts();
  EXPECT_EQ(source.inputCount(), 3);
  EXPECT_EQ(source.inputName(0), "Microphone");
  EXPECT_EQ(source.inputName(2), "Headset Microphone");
  EXPECT_EQ(source.inputName(3), std::nullopt);
  EXPECT_EQ(source.inputName(-1), std::nullopt);
  EXPECT_EQ(source.inputFlags(0), kInputOff);
  EXPECT_EQ(source.inputFlags(1), 0u);
  EXPECT_EQ(source.inputFlags(2), kInputOff);
  EXPECT_EQ(source.inputFlags(3), std::nullopt);
}

TEST(ServerSource, APortlessSourceHasOneInputSwitchedOnNamedAfterIt) {
  const ServerSource source{"vsink.monitor", "Monitor of Null Output", {}, "", 2};
  EXPECT_EQ(source.inputCount(), 1);
  EXPECT_EQ(source.inputName(0), "Monitor of Null Output");
  EXPECT_EQ(source.inputName(1), std::nullopt);
  EXPECT_EQ(source.inputFlags(0), 0u);
  EXPECT_EQ(source.portToActivate(0, kInputOn), std::nullopt);
  EXPECT_EQ(source.portToActivate(0, kInputOff), std::nullopt);
}

TEST(ServerSource, SwitchingOnActivatesThePortAndSwitchingOffChangesNothing) {
  const ServerSource source = cardWithPorts();
  EXPECT_EQ(source.portToActivate(2, kInputOn), "analog-input-headset");
  EXPECT_EQ(source.portToActivate(0, kInputOn), "analog-input-mic");
  // Already active: nothing to do.
  EXPECT_EQ(source.portToActivate(1, kInputOn), std::nullopt);
  // Off, on a non-active input or on the active one, changes nothing.
  EXPECT_EQ(source.portToActivate(0, kInputOff), std::nullopt);
  EXPECT_EQ(source.portToActivate(1, kInputOff), std::nullopt);
  // Neither flag (a volume change only) and both flags change nothing either.
  EXPECT_EQ(source.portToActivate(0, 0u), std::nullopt);
  EXPECT_EQ(source.portToActivate(0, kInputOn | kInputOff), std::nullopt);
}

}  // namespace
}  // namespace tactolo::testing
