// Keep mode and the method panels wired to the main window, where the
// transcripts cannot reach: host failures, refused list positions, and code
// that sets a control without a user's drag. The methods' state across a
// reload is in the names transcript.
#include <gtest/gtest.h>

#include <stdexcept>

#include "support/plugin_fixture.h"

namespace tactolo::testing {
namespace {

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

class MethodPanelsTest : public PluginFixture {};

TEST_F(MethodPanelsTest, ASubbandListWithoutSelectionIsRefusedAndTheCycleGoesOn) {
  TactoloMain& main = loadMain();
  form().methodBox.setListIndex(2);
  form().startButton.click();
  clock.advance(100);
  EXPECT_THROW(form().subBandBox.setListIndex(-1), std::out_of_range);
  EXPECT_TRUE(main.beatTimer->enabled());
  const auto& frequency = main.cycle().methods.frequency;
  EXPECT_EQ(frequency.FSSESubbandCount(), 64);
  EXPECT_EQ(frequency.SubbandWidth().size(), 64u);
  EXPECT_EQ(form().subBandSlider.max(), 64);
  EXPECT_EQ(form().maxLabel.caption(), "64");
  clock.advance(100);
  EXPECT_TRUE(vars().Recording);
}

}  // namespace
}  // namespace tactolo::testing
