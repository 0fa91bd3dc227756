#include "shell/window_placement.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/control_model.h"
#include "platform/headless_host.h"
#include "shell/host_services.h"

namespace tactolo {
namespace {

class WindowPlacementTest : public ::testing::Test {
 protected:
  WindowPlacementTest() {
    host.attach(helper);
    settings = host.Settings();
    window.setLeft(1000);
    window.setTop(2000);
  }
  std::map<std::string, std::string>& stored() { return helper->settings.general; }

  VirtualClock clock;
  std::shared_ptr<HeadlessHelper> helper = std::make_shared<HeadlessHelper>(clock);
  HostServices host;
  std::unique_ptr<HostSettings> settings;
  Form window{"TactoloMain", {0, 0, 4260, 8760}};
};

TEST_F(WindowPlacementTest, SaveWritesBothEdgesInTheNormalStateOnly) {
  SaveWindowPlacement(window, *settings);
  EXPECT_EQ(stored()["TactoloMain_L"], "1000");
  EXPECT_EQ(stored()["TactoloMain_T"], "2000");
  stored().clear();
  for (int state : {1, 2}) {
    window.setWindowState(state);
    SaveWindowPlacement(window, *settings);
    EXPECT_TRUE(stored().empty()) << state;
  }
  EXPECT_TRUE(helper->settings.device.empty());
}

TEST_F(WindowPlacementTest, LoadWithNothingStoredLeavesTheWindowWhereItIs) {
  LoadWindowPlacement(window, *settings);
  EXPECT_EQ(window.left(), 1000);
  EXPECT_EQ(window.top(), 2000);
}

TEST_F(WindowPlacementTest, LoadStopsAtTheFirstUnusableEdge) {
  stored()["TactoloMain_L"] = "300";
  LoadWindowPlacement(window, *settings);
  EXPECT_EQ(window.left(), 300);
  EXPECT_EQ(window.top(), 2000);

  stored()["TactoloMain_L"] = "east";
  stored()["TactoloMain_T"] = "40";
  LoadWindowPlacement(window, *settings);
  EXPECT_EQ(window.left(), 300);
  EXPECT_EQ(window.top(), 2000);

  stored()["TactoloMain_L"] = " 120 ";
  LoadWindowPlacement(window, *settings);
  EXPECT_EQ(window.left(), 120);
  EXPECT_EQ(window.top(), 40);
}

TEST_F(WindowPlacementTest, AnEdgeBeyond16BitsIsWrittenButNotRestored) {
  window.setLeft(40000);  // a window on a second screen to the right
  SaveWindowPlacement(window, *settings);
  EXPECT_EQ(stored()["TactoloMain_L"], "40000");
  window.setLeft(0);
  window.setTop(0);
  LoadWindowPlacement(window, *settings);
  EXPECT_EQ(window.left(), 0);
  EXPECT_EQ(window.top(), 0);  // the restore ended at the left edge
}

TEST_F(WindowPlacementTest, LoadAfterTermChangesNothingAndRaisesNothing) {
  stored()["TactoloMain_L"] = "5";
  host.release();
  EXPECT_NO_THROW(LoadWindowPlacement(window, *settings));
  EXPECT_EQ(window.left(), 1000);
  EXPECT_THROW(SaveWindowPlacement(window, *settings), HostError);
}

TEST(StoredNumbers, Int16Parsing) {
  EXPECT_EQ(ParseInt16("-32768"), -32768);
  EXPECT_EQ(ParseInt16("32767"), 32767);
  EXPECT_EQ(ParseInt16("32768"), std::nullopt);
  EXPECT_EQ(ParseInt16("-32769"), std::nullopt);
  EXPECT_EQ(ParseInt16("12.5"), 12);  // halves to even
  EXPECT_EQ(ParseInt16("13.5"), 14);
  EXPECT_EQ(ParseInt16(""), std::nullopt);
  EXPECT_EQ(ParseInt16("12px"), std::nullopt);
  EXPECT_EQ(ParseInt16("nan"), std::nullopt);
}

TEST(StoredNumbers, SingleText) {
  EXPECT_EQ(SingleToText(1440.0f), "1440");
  EXPECT_EQ(SingleToText(-15.0f), "-15");
  EXPECT_EQ(SingleToText(1.5f), "1.5");
}

}  // namespace
}  // namespace tactolo
