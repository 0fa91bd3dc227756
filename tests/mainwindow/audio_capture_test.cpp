#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/plugin_fixture.h"

namespace tactolo::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> callsStartingWith(const FakeCaptureLibrary& capture, const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& call : capture.calls()) {
    if (call.rfind(prefix, 0) == 0) out.push_back(call);
  }
  return out;
}

class DeviceListTest : public PluginFixture {
 protected:
  DeviceListTest() { capture = FakeCaptureLibrary{}; }
};

TEST_F(DeviceListTest, ListsOnlyEnabledDevicesWithTheirLibraryNumbers) {
  capture.addDevice({"Mic", true, {{"In", true}}});
  capture.addDevice({"Broken", false, {{"In", true}}});
  capture.addDevice({"Line", true, {{"A", true}, {"B", true}}});
  loadMain();
  ASSERT_EQ(form().devicesBox.listCount(), 2);
  EXPECT_EQ(form().devicesBox.list(1), "Line");
  EXPECT_EQ(form().devicesBox.itemData(0), 0);
  EXPECT_EQ(form().devicesBox.itemData(1), 2);
  EXPECT_EQ(form().devicesBox.listIndex(), 0);
  EXPECT_EQ(capture.initialisedDevice(), 0);

  capture.clearCalls();
  form().devicesBox.setListIndex(1);
  EXPECT_EQ(capture.initialisedDevice(), 2);
  EXPECT_THAT(callsStartingWith(capture, "Record"),
              ::testing::IsSupersetOf({std::string("RecordFree()"), std::string("RecordInit(2)")}));
  EXPECT_EQ(form().inputBox.listCount(), 2);
}

TEST_F(DeviceListTest, InputsAllOffSelectNothingAndKeepInputIndex) {
  capture.addDevice({"Line", true, {{"A", true}, {"B", true}}});
  capture.addDevice({"Quiet", true, {{"A", false}, {"B", false}, {"C", false}}});
  loadMain();
  EXPECT_EQ(vars().InputIndex, 1);
  form().devicesBox.setListIndex(1);
  EXPECT_EQ(form().inputBox.listCount(), 3);
  EXPECT_EQ(form().inputBox.listIndex(), -1);
  EXPECT_EQ(vars().InputIndex, 1);
}

TEST_F(DeviceListTest, TheLastSwitchedOnInputEndsSelected) {
  capture.addDevice({"Card", true, {{"A", true}, {"B", false}, {"C", true}, {"D", false}}});
  loadMain();
  EXPECT_EQ(form().inputBox.listIndex(), 2);
  EXPECT_EQ(form().inputBox.text(), "C");
  EXPECT_EQ(vars().InputIndex, 2);
}

TEST_F(DeviceListTest, SelectingAnInputSwitchesOffOnlyTheOnesBeforeIt) {
  capture.addDevice({"Card", true, {{"A", true}, {"B", true}, {"C", true}, {"D", true}}});
  loadMain();
  capture.clearCalls();
  form().inputBox.setListIndex(2);
  EXPECT_THAT(capture.calls(), ElementsAre("RecordSetInput(0,0x10000,-1)", "RecordSetInput(1,0x10000,-1)",
                                           "RecordSetInput(2,0x20000,-1)"));
  EXPECT_EQ(vars().InputIndex, 2);
}

TEST_F(DeviceListTest, NoEnabledDeviceLeavesTheListEmptyAndAStartFails) {
  capture.addDevice({"Off", false, {}});
  loadMain();
  EXPECT_EQ(form().devicesBox.listCount(), 0);
  EXPECT_TRUE(callsStartingWith(capture, "RecordInit").empty());
  form().startButton.click();
  ASSERT_EQ(dialogs.records().size(), 1u);
  EXPECT_THAT(dialogs.records()[0].text, HasSubstr("Can't start recording"));
  EXPECT_FALSE(vars().Recording);
}

class CaptureTest : public PluginFixture {};

TEST_F(CaptureTest, StartAndStopSwitchCaptionBorderAndRecording) {
  TactoloMain& main = loadMain();
  EXPECT_EQ(form().startButton.caption(), "Start");
  EXPECT_EQ(form().beatShape.borderColor(), Rgb(255, 0, 0));

  form().startButton.click();
  EXPECT_EQ(form().startButton.caption(), "Stop");
  EXPECT_EQ(form().beatShape.borderColor(), Rgb(0, 255, 0));
  EXPECT_TRUE(vars().Recording);
  EXPECT_TRUE(main.beatTimer->enabled());
  EXPECT_TRUE(main.startTimer->enabled());
  EXPECT_NE(capture.runningChannel(), 0u);
  EXPECT_THAT(callsStartingWith(capture, "RecordStart"), ElementsAre("RecordStart(44100,2,0x100)"));

  const ChannelHandle channel = capture.runningChannel();
  capture.clearCalls();
  form().startButton.click();
  EXPECT_EQ(form().startButton.caption(), "Start");
  EXPECT_EQ(form().beatShape.borderColor(), Rgb(255, 0, 0));
  EXPECT_FALSE(vars().Recording);
  EXPECT_FALSE(main.beatTimer->enabled());
  EXPECT_THAT(capture.calls(), ElementsAre("ChannelStop(" + std::to_string(channel) + ")"));
}

TEST_F(CaptureTest, RefusedStartShowsTheCodeAndChangesNothing) {
  TactoloMain& main = loadMain();
  capture.refuseNextRecordStart(kErrorAlready);
  form().startButton.click();
  ASSERT_EQ(dialogs.records().size(), 1u);
  const auto& shown = dialogs.records()[0];
  EXPECT_EQ(shown.text, "Can't start recording\r\n\r\nerror code: 14");
  EXPECT_EQ(shown.title, "Error");
  EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
  EXPECT_EQ(shown.buttons, MessageButtons::Ok);
  EXPECT_EQ(form().startButton.caption(), "Start");
  EXPECT_FALSE(main.beatTimer->enabled());
  EXPECT_FALSE(main.startTimer->enabled());
  EXPECT_FALSE(vars().Recording);
  EXPECT_EQ(vars().RecordChannel, 0u);
}

TEST_F(CaptureTest, DeviceChangeWhileCapturingRestartsTheCapture) {
  capture.addDevice({"Second", true, {{"X", true}}});
  loadMain();
  form().startButton.click();
  capture.clearCalls();
  form().devicesBox.setListIndex(1);
  const auto& calls = capture.calls();
  auto pos = [&](const std::string& prefix) {
    return std::find_if(calls.begin(), calls.end(),
                        [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }) -
           calls.begin();
  };
  EXPECT_LT(pos("ChannelStop"), pos("RecordFree"));
  EXPECT_LT(pos("RecordFree"), pos("RecordInit(1)"));
  EXPECT_LT(pos("RecordInit(1)"), pos("RecordStart"));
  EXPECT_TRUE(vars().Recording);
  EXPECT_EQ(form().startButton.caption(), "Stop");
  EXPECT_EQ(capture.initialisedDevice(), 1);
}

TEST_F(CaptureTest, DeviceOrInputChangeWhileStoppedStartsNothing) {
  capture.addDevice({"Second", true, {{"X", true}, {"Y", true}}});
  loadMain();
  form().devicesBox.setListIndex(1);
  form().inputBox.setListIndex(0);
  EXPECT_TRUE(callsStartingWith(capture, "RecordStart").empty());
  EXPECT_FALSE(vars().Recording);
}

TEST_F(CaptureTest, GainMapping) {
  loadMain();
  // Before the slider first moves, the load values hold.
  EXPECT_DOUBLE_EQ(vars().GainFactor, 1.0);
  EXPECT_DOUBLE_EQ(vars().GainThresholdScale, 100.0);
  EXPECT_DOUBLE_EQ(vars().GainThresholdFloor, 1.0);

  struct Row {
    int position;
    double scale, floor, factor;
  };
  for (const Row& row :
       {Row{0, 50, 101, 0.55}, Row{50, 100, 1, 1.5}, Row{51, 101, 0.99, 1.519}, Row{100, 150, 0.5, 2.45}}) {
    // Move away first so that the change handler runs for every row.
    form().gainSlider.setValue(row.position == 1 ? 2 : 1);
    form().gainSlider.setValue(row.position);
    SCOPED_TRACE(row.position);
    EXPECT_DOUBLE_EQ(vars().GainThresholdScale, row.scale);
    EXPECT_NEAR(vars().GainThresholdFloor, row.floor, 1e-12);
    EXPECT_NEAR(vars().GainFactor, row.factor, 1e-12);
  }
}

TEST_F(CaptureTest, ClosingWhileCapturingFreesTheDeviceWithoutStoppingTheChannel) {
  TactoloMain& main = loadMain();
  form().startButton.click();
  capture.clearCalls();
  main.unload();
  EXPECT_FALSE(vars().Recording);
  EXPECT_FALSE(main.isLoaded());
  EXPECT_TRUE(callsStartingWith(capture, "ChannelStop").empty());
  EXPECT_EQ(callsStartingWith(capture, "RecordFree").size(), 2u);
  EXPECT_FALSE(capture.initialisedDevice().has_value());
}

TEST_F(CaptureTest, WrongLibraryVersionWarnsOnceAndStillOpensTheFirstDevice) {
  capture.setVersion(0x02030000);
  loadMain();
  ASSERT_EQ(dialogs.records().size(), 1u);
  EXPECT_EQ(dialogs.records()[0].text, "An incorrect version of BASS.DLL was loaded");
  EXPECT_EQ(dialogs.records()[0].icon, MessageIcon::Critical);
  // The close steps ran (a free before the device list), then the list.
  auto calls = capture.calls();
  auto freeAt = std::find(calls.begin(), calls.end(), "RecordFree()");
  auto listAt = std::find_if(calls.begin(), calls.end(),
                             [](const std::string& c) { return c.rfind("RecordGetDeviceInfo", 0) == 0; });
  EXPECT_LT(freeAt, listAt);
  EXPECT_EQ(form().devicesBox.listCount(), 1);
  EXPECT_EQ(capture.initialisedDevice(), 0);
}

TEST_F(CaptureTest, RightLibraryVersionShowsNoMessage) {
  loadMain();
  EXPECT_TRUE(dialogs.records().empty());
}

}  // namespace
}  // namespace tactolo::testing
