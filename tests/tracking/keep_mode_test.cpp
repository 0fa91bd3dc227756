// Keep mode and the method panels wired to the main window, where the
// transcripts cannot reach: host failures, refused list positions, code that
// sets a control without a user's drag, and the methods' life with the
// window.
#include <gtest/gtest.h>

#include <stdexcept>

#include "module/state_table.h"
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

TEST_F(KeepModeTest, ClosingTheWindowEndsTheGeneratorAndReloadingStartsAfresh) {
  TactoloMain& main = keepAt120();
  main.unload();
  const std::size_t sent = helper->messages.sent.size();
  clock.advance(5000);
  EXPECT_EQ(helper->messages.sent.size(), sent);
  main.load();
  EXPECT_FALSE(vars().Keeping);
  EXPECT_EQ(vars().KeptBPM, 120);
  EXPECT_EQ(vars().KeepBPMMin, 120);
  EXPECT_EQ(vars().SyncWindow, 0);
  EXPECT_EQ(form().keepButton.caption(), "Keep this beat !");
  EXPECT_FALSE(main.generateTimer->enabled());
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

TEST_F(MethodPanelsTest, TheMethodsStateIsReadWhileTheWindowIsLoadedAndStartsAfreshOnReload) {
  TactoloMain& main = loadMain();
  EXPECT_EQ(readState(module(), "FSSESubbandCount").value.integer, 64);
  EXPECT_EQ(readState(module(), "SubbandWidth(3)").value.integer, 3);
  EXPECT_DOUBLE_EQ(readState(module(), "SWMExponent").value.real, 3.0);
  form().methodBox.setListIndex(2);
  form().subBandBox.setListIndex(0);
  form().methodBox.setListIndex(0);
  form().senseSlider.setValue(-100);
  EXPECT_EQ(readState(module(), "FSSESubbandCount").value.integer, 8);
  EXPECT_DOUBLE_EQ(readState(module(), "SWMExponent").value.real, 5.0);

  main.unload();
  EXPECT_THROW(readState(module(), "FSSESubbandCount"), std::runtime_error);
  EXPECT_THROW(readState(module(), "SSEEnergy"), std::runtime_error);
  main.load();
  EXPECT_EQ(readState(module(), "FSSESubbandCount").value.integer, 64);
  EXPECT_EQ(readState(module(), "FSSESubbandValue").value.integer, 32);
  EXPECT_DOUBLE_EQ(readState(module(), "SWMExponent").value.real, 3.0);
  EXPECT_EQ(form().subBandSlider.max(), 64);
}

TEST_F(MethodPanelsTest, EachPositionRunsItsOwnMethodOnTheTick) {
  TactoloMain& main = loadMain();
  form().startButton.click();
  std::vector<float> bass(kSpectrumBins, 0.0f);
  for (int bin = 4; bin <= 7; ++bin) bass[bin] = 0.5f;
  capture.setSteadySpectrum(bass);
  const auto& methods = main.cycle().methods;
  clock.advance(20);
  EXPECT_DOUBLE_EQ(methods.standard.SWMBassEnergy, 0.5);
  EXPECT_DOUBLE_EQ(methods.simple.SSEEnergy, 0.0);
  form().methodBox.setListIndex(2);
  clock.advance(20);
  // Sub-band 3 of 64 holds bins 5 to 7: 3 x (3 x 0.25) / 1024.
  EXPECT_DOUBLE_EQ(methods.frequency.SubbandEnergy()[3], 3 * 0.75 / 1024);
  EXPECT_DOUBLE_EQ(methods.simple.SSEEnergy, 0.0);
  form().methodBox.setListIndex(1);
  clock.advance(20);
  EXPECT_DOUBLE_EQ(methods.simple.SSEEnergy, 4 * 0.25);
}

}  // namespace
}  // namespace tactolo::testing
