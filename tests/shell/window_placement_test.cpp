// The window's position in the host's project: the drawing scale, the edges
// restored up to the first stored value the window cannot take, a host store
// that fails between the two reads, a load after Term, and the number
// format of the stored edges. A project's load and save carrying them is in
// the project_settings transcript.
#include "shell/window_placement.h"

#include <gtest/gtest.h>

#include "module/host_services.h"
#include "platform/clock.h"
#include "platform/control_model.h"
#include "platform/headless_host.h"
#include "support/failing_settings.h"

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

TEST_F(WindowPlacementTest, BothRoutinesSwitchTheDrawingScaleToPixelsFirst) {
  EXPECT_EQ(window.scaleMode(), ScaleMode::Twips);
  LoadWindowPlacement(window, *settings);  // nothing stored: it still switches
  EXPECT_EQ(window.scaleMode(), ScaleMode::Pixels);

  Form minimised{"TactoloMain", {0, 0, 4260, 8760}};
  minimised.setWindowState(1);
  SaveWindowPlacement(minimised, *settings);  // writes nothing, but switches
  EXPECT_EQ(minimised.scaleMode(), ScaleMode::Pixels);
  EXPECT_TRUE(stored().empty());
}

TEST_F(WindowPlacementTest, EdgesMoveUpToTheFirstStoredValueTheWindowCannotTake) {
  // Stored left and top (null: not stored), and where the window then
  // stands; it starts at 1000, 2000.
  struct Case {
    const char* left;
    const char* top;
    int x, y;
  };
  for (const Case& c : {Case{nullptr, nullptr, 1000, 2000}, Case{"120", nullptr, 120, 2000},
                        Case{"east", "40", 1000, 2000}, Case{"40000", "40", 1000, 2000},
                        Case{" +12.5 ", "-32768", 12, -32768}, Case{"200", "0x10", 200, 2000}}) {
    stored().clear();
    if (c.left) stored()["TactoloMain_L"] = c.left;
    if (c.top) stored()["TactoloMain_T"] = c.top;
    window.setLeft(1000);
    window.setTop(2000);
    LoadWindowPlacement(window, *settings);
    EXPECT_EQ(window.left(), c.x) << (c.left ? c.left : "-");
    EXPECT_EQ(window.top(), c.y) << (c.left ? c.left : "-");
  }
}

TEST_F(WindowPlacementTest, BothEdgesAreReadBeforeEitherMoves) {
  stored()["TactoloMain_L"] = "300";
  stored()["TactoloMain_T"] = "400";
  testing::FailingSettings failing(helper->settings);
  failing.failingRead = "TactoloMain_T";
  HostSettings failingTop(host, helper, failing);
  LoadWindowPlacement(window, failingTop);
  EXPECT_EQ(window.left(), 1000);  // the "_T" read failed after "_L" was read: nothing moves
  EXPECT_EQ(window.top(), 2000);

  LoadWindowPlacement(window, *settings);
  EXPECT_EQ(window.left(), 300);
  EXPECT_EQ(window.top(), 400);
}

TEST_F(WindowPlacementTest, LoadAfterTermChangesNothingAndRaisesNothing) {
  stored()["TactoloMain_L"] = "5";
  host.release();
  EXPECT_NO_THROW(LoadWindowPlacement(window, *settings));
  EXPECT_EQ(window.left(), 1000);
  EXPECT_THROW(SaveWindowPlacement(window, *settings), HostError);
}

TEST(StoredNumbers, Int16ParsingTakesDecimalNumbersWithin16Bits) {
  // Halves go to even.
  // clang-format off
  for (const auto& [text, value] : {std::pair<std::string, int>{"-32768", -32768}, {"32767", 32767},
           {"12.5", 12}, {"13.5", 14}, {"1e3", 1000}, {"+12", 12}, {".5", 0}}) {
    // clang-format on
    EXPECT_EQ(ParseInt16(text), value) << text;
  }
  for (const char* text :
       {"32768", "-32769", "", "12px", "nan", "inf", "-", "1e", "1e999", "0x10", "0X1A", "-0x10", "0x1p3"}) {
    EXPECT_EQ(ParseInt16(text), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace tactolo
