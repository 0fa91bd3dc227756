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

class StateTableTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  FakeCaptureLibrary capture;
  HeadlessDialogs dialogs;
  PluginModule module{PluginEnvironment{clock, capture, dialogs}};
};

TEST_F(StateTableTest, VariablesReadWithTheirTypeUnderTheirOwnSpelling) {
  module.vars().Recording = true;
  module.vars().GainFactor = 1.519;
  module.vars().MeasuredBPM = -3;
  module.vars().RecordChannel = 4000000000u;

  const StateReading recording = readState(module, "recording");
  EXPECT_EQ(recording.name, "Recording");
  EXPECT_EQ(recording.value.kind, AutomationValue::Kind::Boolean);
  EXPECT_EQ(recording.value.integer, 1);
  const StateReading gain = readState(module, "GAINFACTOR");
  EXPECT_EQ(gain.value.kind, AutomationValue::Kind::Real);
  EXPECT_DOUBLE_EQ(gain.value.real, 1.519);
  EXPECT_EQ(readState(module, "MeasuredBPM").value.integer, -3);
  EXPECT_EQ(readState(module, "RecordChannel").value.integer, 4000000000);
}

TEST_F(StateTableTest, UnknownNamesAndIndexesOnPlainVariablesAreRefused) {
  for (const char* name : {"NoSuchThing", "Recording(1)", "Recording.", "", "SWMExponent"}) {
    try {
      readState(module, name);
      ADD_FAILURE() << name << " was read";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), std::string("unknown state ") + name);
    }
  }
}

}  // namespace
}  // namespace tactolo
