// The main window on a module of its own: its layout (the sliders' ranges,
// positions, steps and tick marks, where controls sit), and the detection
// cycle and keep mode wired to it where the transcripts cannot reach:
// levels without a method, the level average's rounding, host failures for
// detected and generated beats, and code that sets a control without a
// user's drag. What the window shows as it loads is in the load_sequence
// transcript.
#include <gtest/gtest.h>

#include <stdexcept>

#include "support/plugin_fixture.h"

namespace tactolo::testing {
namespace {

class FormLoadTest : public PluginFixture {};

TEST_F(FormLoadTest, LayoutKeepsItsStepsAndPlaces) {
  loadMain();
  MainForm& f = form();
  struct SliderLayout {
    Slider* slider;
    int min, max, value, large, small, tick;
  };
  for (const auto& s : {SliderLayout{&f.gainSlider, 0, 100, 50, 20, 10, 10},
                        SliderLayout{&f.senseSlider, -100, 100, 0, 5, 1, 25},
                        SliderLayout{&f.correctionSlider, 200, 2000, 1100, 100, 1, 200},
                        SliderLayout{&f.subBandSlider, 1, 64, 32, 5, 4, 8},
                        SliderLayout{&f.maxBpmSlider, 30, 300, 165, 54, 10, 30},
                        SliderLayout{&f.bpmToleranceSlider, 0, 30, 5, 5, 1, 5},
                        SliderLayout{&f.VUslider, 0, 100, 50, 5, 1, 10}}) {
    SCOPED_TRACE(s.slider->name());
    EXPECT_EQ(s.slider->min(), s.min);
    EXPECT_EQ(s.slider->max(), s.max);
    EXPECT_EQ(s.slider->value(), s.value);
    EXPECT_EQ(s.slider->largeChange, s.large);
    EXPECT_EQ(s.slider->smallChange, s.small);
    EXPECT_EQ(s.slider->tickFrequency, s.tick);
  }
  EXPECT_EQ(f.find("startbutton")->container(), &f.SourceFrame);
  EXPECT_EQ(f.find("beatShape")->bounds().left, 120);
  EXPECT_EQ(f.find("beatShape")->bounds().height, 495);
}

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

class KeepModeTest : public PluginFixture {
 protected:
  /// Simple method, beat output on, capture started at 0; loud ticks at
  /// 1020 and 1520 ms measure 120 BPM. Keep is pressed at 1530 ms: the first
  /// generated beat comes at 2052 ms, then every 500 ms.
  TactoloMain& keepAt120() {
    TactoloMain& main = loadMain();
    form().methodBox.setListIndex(1);
    main.sendBeatCheck_Click();
    form().startButton.click();
    queueTicks(76, {51, 76});
    clock.advance(1530);
    EXPECT_EQ(vars().MeasuredBPM, 120);
    form().keepButton.click();
    EXPECT_TRUE(vars().Keeping);
    return main;
  }
};

TEST_F(KeepModeTest, GeneratedBeatsTheHostRefusesAreEventErrorsAndTheGeneratorGoesOn) {
  TactoloMain& main = keepAt120();
  helper->messages.failing = true;
  clock.advance(1530);  // to 3060 ms: generated beats at 2052, 2552 and 3052
  EXPECT_EQ(module().eventErrors().size(), 3u);
  EXPECT_EQ(vars().GeneratedBeats, 3);
  EXPECT_TRUE(main.generateTimer->enabled());
  EXPECT_EQ(main.generateTimer->remainingMs(), 492);
  helper->messages.failing = false;
  clock.advance(500);
  ASSERT_FALSE(helper->messages.sent.empty());
  EXPECT_EQ(helper->messages.sent.back().atMs, 3552);
}

TEST_F(KeepModeTest, OnlyTheUsersDragOfTheToleranceMovesTheSlowestTempo) {
  keepAt120();
  EXPECT_EQ(vars().KeepBPMMin, 115);
  // Code that sets the slider (a project's settings) runs no handler.
  form().bpmToleranceSlider.setValue(20);
  EXPECT_EQ(vars().KeepBPMMin, 115);
  form().bpmToleranceSlider.drag(12);
  EXPECT_EQ(vars().KeepBPMMin, 108);
  // The window set at keep stays.
  EXPECT_EQ(vars().SyncWindow, 43);
}

}  // namespace
}  // namespace tactolo::testing
