#include <gtest/gtest.h>

#include "support/plugin_fixture.h"

namespace tactolo::testing {
namespace {

class DetectionCycleTest : public PluginFixture {
 protected:
  /// Loads the window with the simple method, beat output on, and starts the
  /// capture at time 0: tick n runs at n * 20 ms.
  TactoloMain& startSimple(bool sendBeat = true) {
    TactoloMain& main = loadMain();
    form().methodBox.setListIndex(1);
    if (sendBeat) main.sendBeatCheck_Click();
    form().startButton.click();
    return main;
  }

  std::vector<TimeMs> beatTimes() const {
    std::vector<TimeMs> out;
    for (const auto& sent : helper->messages.sent) out.push_back(sent.atMs);
    return out;
  }
};

TEST_F(DetectionCycleTest, TwoConsecutiveMethodBeatsGiveOneAcceptedBeat) {
  startSimple();
  queueTicks(100, {55, 56});
  clock.advance(2000);
  EXPECT_EQ(beatTimes(), (std::vector<TimeMs>{1100}));
}

TEST_F(DetectionCycleTest, BeatsInTheFirstSecondAreIgnoredButTheHistoryAdvances) {
  TactoloMain& main = startSimple();
  queueTicks(60, {10});
  clock.advance(220);
  EXPECT_TRUE(helper->messages.sent.empty());
  // Tick 10's energy entered the history: it is one tick old now.
  EXPECT_DOUBLE_EQ(main.cycle().methods.simple.SSEHistory[1], 1.0);
  clock.advance(1000);
  EXPECT_TRUE(helper->messages.sent.empty());
}

TEST_F(DetectionCycleTest, NoMethodSelectedGivesNoBeatsButLevelsGoOn) {
  startSimple();
  form().methodBox.setListIndex(-1);
  capture.setSteadySpectrum(loudSpectrum());
  capture.setSteadyLevel(0x40000000u);  // right 16384
  clock.advance(3000);
  EXPECT_TRUE(helper->messages.sent.empty());
  EXPECT_DOUBLE_EQ(vars().VuLevelRight, 0.5);
}

TEST_F(DetectionCycleTest, LevelAverageRoundsHalvesToEvenAndAFailedReadCountsAsFullWords) {
  startSimple();
  // Left sum 2 / 4 = 0.5 -> 0; right sum 10 / 4 = 2.5 -> 2.
  for (uint32_t word : {0x00000001u, 0x00010001u, 0x00040000u, 0x00050000u}) capture.queueLevel(word);
  for (int i = 0; i < 4; ++i) capture.queueLevel(0xFFFFFFFFu);
  clock.advance(80);
  EXPECT_EQ(vars().AvgLevelLeft, 0);
  EXPECT_EQ(vars().AvgLevelRight, 2);
  clock.advance(80);
  EXPECT_EQ(vars().AvgLevelLeft, 65535);
  EXPECT_EQ(vars().AvgLevelRight, 65535);
}

TEST_F(DetectionCycleTest, ARefusedBeatMessageDoesNotStopTheCycle) {
  startSimple();
  helper->messages.failing = true;
  queueTicks(100, {55, 80});
  clock.advance(2000);
  EXPECT_EQ(form().bpmLabel.caption(), "120");
  EXPECT_EQ(module().eventErrors().size(), 2u);
  EXPECT_TRUE(vars().Recording);
}

}  // namespace
}  // namespace tactolo::testing
