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

TEST_F(DetectionCycleTest, AcceptedBeatSendsTheMessageFlashesAndShowsTheTempo) {
  TactoloMain& main = startSimple();
  queueTicks(60, {55});
  clock.advance(1100);
  ASSERT_EQ(helper->messages.sent.size(), 1u);
  const auto& sent = helper->messages.sent[0];
  EXPECT_EQ(sent.atMs, 1100);
  EXPECT_EQ(sent.code, 9);
  EXPECT_EQ(sent.value1, 1);
  EXPECT_EQ(sent.value2, 0);
  EXPECT_EQ(form().beatShape.backColor(), Rgb(0, 230, 0));
  // The first beat after loading is measured from stopwatch time 0.
  EXPECT_EQ(vars().PrevBeatTime, 0);
  EXPECT_EQ(vars().LastBeatTime, 1100);
  EXPECT_EQ(form().bpmLabel.caption(), "54");
  EXPECT_TRUE(main.beatClearTimer->enabled());
  clock.advance(50);
  EXPECT_EQ(form().beatShape.backColor(), Rgb(30, 30, 30));
  EXPECT_FALSE(main.beatClearTimer->enabled());
}

TEST_F(DetectionCycleTest, BeatsHalfASecondApartShow120) {
  startSimple();
  queueTicks(100, {55, 80});
  clock.advance(2000);
  EXPECT_EQ(beatTimes(), (std::vector<TimeMs>{1100, 1600}));
  EXPECT_EQ(form().bpmLabel.caption(), "120");
  EXPECT_EQ(vars().MeasuredBPM, 120);
}

TEST_F(DetectionCycleTest, WithoutBeatOutputTheBeatStillFlashesAndMeasures) {
  startSimple(false);
  EXPECT_FALSE(vars().SendBeat);  // the box starts checked, but output is off until it reports a click
  queueTicks(100, {55, 80});
  clock.advance(2000);
  EXPECT_TRUE(helper->messages.sent.empty());
  EXPECT_EQ(form().bpmLabel.caption(), "120");
  clock.advance(0);
  form().sendBeatCheck.setValue(0);
  EXPECT_FALSE(form().sendBeatCheck.bold());
  queueTicks(10, {1});
  clock.advance(20);
  EXPECT_EQ(form().beatShape.backColor(), Rgb(0, 150, 0));
}

TEST_F(DetectionCycleTest, TwoConsecutiveMethodBeatsGiveOneAcceptedBeat) {
  startSimple();
  queueTicks(100, {55, 56});
  clock.advance(2000);
  EXPECT_EQ(beatTimes(), (std::vector<TimeMs>{1100}));
}

TEST_F(DetectionCycleTest, MaxBpmLimitBlocksTheSecondOfTwoBeats300MsApart) {
  startSimple();
  form().maxBpmSlider.setValue(120);
  queueTicks(100, {55, 70});
  clock.advance(2000);
  EXPECT_EQ(beatTimes(), (std::vector<TimeMs>{1100}));
}

TEST_F(DetectionCycleTest, WithTheLimitOffBothBeatsPass) {
  startSimple();
  form().maxBpmSlider.setValue(120);
  form().maxBpmCheck.setValue(0);
  EXPECT_EQ(form().maxBpmCheck.caption(), "max BPM (no limit)");
  queueTicks(100, {55, 70});
  clock.advance(2000);
  EXPECT_EQ(beatTimes(), (std::vector<TimeMs>{1100, 1400}));
  EXPECT_EQ(vars().MeasuredBPM, 200);
}

TEST_F(DetectionCycleTest, MaxBpmSliderSetsTheLimitDuration) {
  TactoloMain& main = loadMain();
  EXPECT_EQ(main.maxBpmTimer->durationMs(), 350);  // until the slider first changes
  form().maxBpmSlider.setValue(120);
  EXPECT_EQ(main.maxBpmTimer->durationMs(), 500);
  EXPECT_EQ(form().maxBpmCheck.caption(), "max BPM = 120");
  form().maxBpmSlider.setValue(300);
  EXPECT_EQ(main.maxBpmTimer->durationMs(), 200);
}

TEST_F(DetectionCycleTest, BeatsInTheFirstSecondAreIgnoredButTheHistoryAdvances) {
  TactoloMain& main = startSimple();
  queueTicks(60, {10});
  clock.advance(220);
  EXPECT_TRUE(helper->messages.sent.empty());
  // Tick 10's energy entered the history: it is one tick old now.
  EXPECT_DOUBLE_EQ(main.simpleMethod.SSEHistory[1], 1.0);
  clock.advance(1000);
  EXPECT_TRUE(helper->messages.sent.empty());
}

TEST_F(DetectionCycleTest, MethodChangeWhileCapturingBlocksBeatsForASecond) {
  TactoloMain& main = startSimple();
  queueTicks(200, {75, 110});
  clock.advance(1200);
  form().methodBox.setListIndex(1);  // same method picked again: the panels and pause still run
  EXPECT_TRUE(main.beatTimer->enabled());
  EXPECT_TRUE(main.startTimer->enabled());
  clock.advance(1000);
  EXPECT_EQ(beatTimes(), (std::vector<TimeMs>{2200}));
}

TEST_F(DetectionCycleTest, MethodChangeWhileStoppedStartsNoTimer) {
  TactoloMain& main = loadMain();
  form().methodBox.setListIndex(2);
  EXPECT_FALSE(main.beatTimer->enabled());
  EXPECT_FALSE(main.startTimer->enabled());
  EXPECT_FALSE(form().methodGroup[0]->visible());
  EXPECT_TRUE(form().methodGroup[2]->visible());
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

TEST_F(DetectionCycleTest, LevelsAreAveragedEveryFourthTick) {
  startSimple();
  capture.queueLevel(0x80000000u);  // left 0, right 32768
  capture.queueLevel(0x80000000u);
  capture.queueLevel(0x80000000u);
  capture.queueLevel(0x80000000u);
  clock.advance(60);
  EXPECT_EQ(vars().LevelSampleIndex, 3);
  EXPECT_DOUBLE_EQ(vars().VuLevelRight, 0.0);
  clock.advance(20);
  EXPECT_EQ(vars().AvgLevelLeft, 0);
  EXPECT_EQ(vars().AvgLevelRight, 32768);
  EXPECT_DOUBLE_EQ(vars().VuLevelLeft, 0.0);
  EXPECT_DOUBLE_EQ(vars().VuLevelRight, 1.0);
  EXPECT_EQ(vars().LevelSampleIndex, 0);
}

TEST_F(DetectionCycleTest, AFailedLevelReadCountsAsFullWords) {
  startSimple();
  for (int i = 0; i < 4; ++i) capture.queueLevel(0xFFFFFFFFu);
  clock.advance(80);
  EXPECT_EQ(vars().AvgLevelLeft, 65535);
  EXPECT_EQ(vars().AvgLevelRight, 65535);
}

TEST_F(DetectionCycleTest, LevelAverageRoundsHalvesToEven) {
  startSimple();
  // Left sum 2 / 4 = 0.5 -> 0; right sum 10 / 4 = 2.5 -> 2.
  for (uint32_t word : {0x00000001u, 0x00010001u, 0x00040000u, 0x00050000u}) capture.queueLevel(word);
  clock.advance(80);
  EXPECT_EQ(vars().AvgLevelLeft, 0);
  EXPECT_EQ(vars().AvgLevelRight, 2);
}

TEST_F(DetectionCycleTest, LostCaptureStopsTheCycleQuietly) {
  TactoloMain& main = startSimple();
  clock.advance(100);
  capture.lose();
  clock.advance(20);
  EXPECT_FALSE(vars().Recording);
  EXPECT_FALSE(main.beatTimer->enabled());
  EXPECT_EQ(form().startButton.caption(), "Start");
  EXPECT_EQ(form().beatShape.borderColor(), Rgb(0, 255, 0));  // the border is left as it was
  EXPECT_TRUE(dialogs.records().empty());
  EXPECT_EQ(capture.runningChannel(), 0u);
}

TEST_F(DetectionCycleTest, ARefusedBeatMessageDoesNotStopTheCycle) {
  startSimple();
  helper->messages.failing = true;
  queueTicks(100, {55, 80});
  clock.advance(2000);
  EXPECT_EQ(form().bpmLabel.caption(), "120");
  EXPECT_EQ(module->eventErrors().size(), 2u);
  EXPECT_TRUE(vars().Recording);
}

TEST_F(DetectionCycleTest, BeatAfterTermIsReportedAndTheCycleGoesOn) {
  TactoloMain& main = startSimple();
  module->PluginHelper().release();
  queueTicks(60, {55});
  clock.advance(1200);
  EXPECT_TRUE(helper->messages.sent.empty());
  EXPECT_EQ(module->eventErrors().size(), 1u);
  EXPECT_TRUE(main.beatTimer->enabled());
}

}  // namespace
}  // namespace tactolo::testing
