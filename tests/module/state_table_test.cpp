#include "module/state_table.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "audio/fake_capture.h"
#include "module/plugin_module.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

namespace tactolo {
namespace {

TEST(StateNames, AnIndexInParenthesesIsSplitFromTheKey) {
  auto plain = splitStateName("MeasuredBPM");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->key, "MeasuredBPM");
  EXPECT_EQ(plain->index, std::nullopt);

  auto indexed = splitStateName("LeftPoints(3).RedChannel");
  ASSERT_TRUE(indexed);
  EXPECT_EQ(indexed->key, "LeftPoints().RedChannel");
  EXPECT_EQ(indexed->index, 3);
  EXPECT_EQ(splitStateName("Buffer(32767)")->index, 32767);

  for (const char* bad : {"Buffer(32768)", "Buffer()", "Buffer(-1)", "Buffer(1", "Buffer1)", "A(1).B(2)",
                          "Buffer(x)", "Buffer(1000000)"}) {
    EXPECT_EQ(splitStateName(bad), std::nullopt) << bad;
  }
}

// Reading names in any case, the refusals and the methods' state are in the
// names transcript; here the values a script cannot produce.
TEST(StateTable, IntegersReadWholeBeyondThe32BitRangeAndBelowZero) {
  VirtualClock clock;
  FakeCaptureLibrary capture;
  HeadlessDialogs dialogs;
  PluginModule module{PluginEnvironment{clock, capture, dialogs}};
  module.vars().MeasuredBPM = -3;
  module.vars().RecordChannel = 4000000000u;
  EXPECT_EQ(readState(module, "MeasuredBPM").value.integer, -3);
  const StateReading channel = readState(module, "recordchannel");
  EXPECT_EQ(channel.name, "RecordChannel");
  EXPECT_EQ(channel.value.kind, AutomationValue::Kind::Integer);
  EXPECT_EQ(channel.value.integer, 4000000000);
}

}  // namespace
}  // namespace tactolo
