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
  for (const char* name :
       {"NoSuchThing", "Recording(1)", "Recording.", "", "SWMExponent(0)", "SWMLongHistory"}) {
    try {
      readState(module, name);
      ADD_FAILURE() << name << " was read";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), std::string("unknown state ") + name);
    }
  }
}

TEST_F(StateTableTest, VuVariablesAndTheMembersOfTheirArraysReadUnderTheirSpelling) {
  VuVariables& vu = module.vu();
  vu.config.VuName = "Bühne";
  vu.config.RightPoints[15].BlueChannel = -7;
  vu.config.LeftPoints[0].Monochrome = true;
  vu.output.size = 2;
  vu.output.VuThresholds[1] = 1.0;
  vu.output.RightOn[1] = true;
  vu.EditPointSide = kRightRow;

  const StateReading name = readState(module, "vuname");
  EXPECT_EQ(name.name, "VuName");
  EXPECT_EQ(name.value.kind, AutomationValue::Kind::Text);
  EXPECT_EQ(name.value.text, "Bühne");
  const StateReading channel = readState(module, "rightpoints(15).bluechannel");
  EXPECT_EQ(channel.name, "RightPoints(15).BlueChannel");
  EXPECT_EQ(channel.value.integer, -7);
  EXPECT_EQ(readState(module, "LeftPoints(0).Monochrome").value.kind, AutomationValue::Kind::Boolean);
  EXPECT_EQ(readState(module, "VuThresholds(1)").value.real, 1.0);
  EXPECT_EQ(readState(module, "RightOn(1)").value.integer, 1);
  EXPECT_EQ(readState(module, "EditPointSide").value.integer, 1);
  EXPECT_EQ(readState(module, "VuSize").value.integer, 8);
  EXPECT_EQ(readState(module, "VuStereo").value.integer, 1);
}

TEST_F(StateTableTest, MembersBeyondAnArrayAreRefusedNamingTheMembersThereAre) {
  module.vu().output.size = 2;
  const auto refusal = [&](const std::string& name) {
    try {
      readState(module, name);
    } catch (const std::runtime_error& e) {
      return std::string(e.what());
    }
    return std::string("read");
  };
  EXPECT_EQ(refusal("LeftPoints(16).Red"),
            "LeftPoints(16).Red does not exist: LeftPoints has members 0 to 15");
  EXPECT_EQ(refusal("LeftOn(2)"), "LeftOn(2) does not exist: LeftOn has members 0 to 1");
  module.vu().output.size = 0;
  EXPECT_EQ(refusal("VuThresholds(0)"), "VuThresholds(0) does not exist: VuThresholds has no members now");
  // An array needs an index, a plain variable takes none, a point a field.
  EXPECT_EQ(refusal("LeftOn"), "unknown state LeftOn");
  EXPECT_EQ(refusal("VuName(1)"), "unknown state VuName(1)");
  EXPECT_EQ(refusal("LeftPoints(1)"), "unknown state LeftPoints(1)");
  EXPECT_EQ(refusal("LeftPoints(1).Purple"), "unknown state LeftPoints(1).Purple");
}

TEST_F(StateTableTest, MethodVariablesAreReadOnlyWhileTheMethodsExist) {
  for (const char* name : {"SWMExponent", "SSEHistory(0)", "FSSESubbandCount", "SubbandWidth(3)"}) {
    try {
      readState(module, name);
      ADD_FAILURE() << name << " was read";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "TactoloMain is not loaded") << name;
    }
  }

  SimpleSoundEnergyVariables simple;
  StandardWeightVariables standard;
  simple.SSEHistory[42] = 0.25;
  standard.SWMExponent = 5.0;
  standard.SWMCorrectionFactor = 11;
  standard.SWMLongHistory[199] = 2.5;
  module.connectMethods({&simple, &standard, nullptr});

  const StateReading exponent = readState(module, "swmexponent");
  EXPECT_EQ(exponent.name, "SWMExponent");
  EXPECT_EQ(exponent.value.kind, AutomationValue::Kind::Real);
  EXPECT_DOUBLE_EQ(exponent.value.real, 5.0);
  EXPECT_EQ(readState(module, "SWMCorrectionFactor").value.integer, 11);
  EXPECT_EQ(readState(module, "SWMWeight").value.integer, 6);
  const StateReading newest = readState(module, "swmlonghistory(199)");
  EXPECT_EQ(newest.name, "SWMLongHistory(199)");
  EXPECT_DOUBLE_EQ(newest.value.real, 2.5);
  EXPECT_DOUBLE_EQ(readState(module, "SSEHistory(42)").value.real, 0.25);

  for (const char* name : {"SWMLongHistory(200)", "SWMShortHistory(50)", "SSEHistory(43)"}) {
    EXPECT_THROW(readState(module, name), std::runtime_error) << name;
  }
  try {
    readState(module, "SWMShortHistory(50)");
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "SWMShortHistory(50) does not exist: SWMShortHistory has members 0 to 49");
  }
  EXPECT_THROW(readState(module, "FSSESubbandValue"), std::runtime_error);
}

}  // namespace
}  // namespace tactolo
