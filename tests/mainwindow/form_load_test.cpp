#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/plugin_fixture.h"
#include "vu/vu_config_form.h"

namespace tactolo::testing {
namespace {

using ::testing::ElementsAre;

class FormLoadTest : public PluginFixture {};

TEST_F(FormLoadTest, LoadTalksToTheLibraryInOrder) {
  capture.addDevice({"Second", true, {{"X", true}}});
  loadMain();
  EXPECT_THAT(capture.calls(),
              ElementsAre("GetVersion()", "RecordGetDeviceInfo(0)", "RecordGetDeviceInfo(1)",
                          "RecordGetDeviceInfo(2)", "RecordFree()", "RecordInit(0)", "RecordGetInputName(0)",
                          "RecordGetInputName(0)", "RecordGetInput(0)", "RecordGetInputName(1)",
                          "RecordGetInputName(1)", "RecordGetInput(1)", "RecordSetInput(0,0x10000,-1)",
                          "RecordSetInput(1,0x20000,-1)", "RecordGetInputName(2)"));
}

TEST_F(FormLoadTest, WindowAfterLoad) {
  TactoloMain& main = loadMain();
  MainForm& f = form();
  EXPECT_EQ(f.caption(), "Tactolo");
  EXPECT_FALSE(f.visible());  // loaded, not shown
  EXPECT_EQ(f.methodBox.text(), "Standard Weight Method");
  EXPECT_EQ(f.methodBox.listCount(), 3);
  EXPECT_TRUE(f.methodGroup[0]->visible());
  EXPECT_FALSE(f.methodGroup[1]->visible());
  EXPECT_FALSE(f.methodGroup[2]->visible());
  EXPECT_EQ(f.subBandBox.text(), "64");
  EXPECT_EQ(f.subBandBox.listCount(), 6);
  EXPECT_EQ(f.maxBpmSlider.value(), 165);
  EXPECT_EQ(f.startButton.caption(), "Start");
  EXPECT_EQ(f.beatShape.borderColor(), Rgb(255, 0, 0));
  EXPECT_EQ(
      f.simpleLabel.caption(),
      "No parameters available\n\nThe beat is computed through the\nactual sound energy compared to the\n"
      "history values.");
  EXPECT_FALSE(f.SendVuCheck.enabled());  // no VU configuration yet
  EXPECT_EQ(f.sendBeatCheck.value(), 1);
  EXPECT_FALSE(vars().SendBeat);  // the box starts checked, output does not
  EXPECT_FALSE(vars().Recording);
  for (auto* timer :
       {main.beatClearTimer.get(), main.maxBpmTimer.get(), main.startTimer.get(), main.generateTimer.get()}) {
    EXPECT_FALSE(timer->enabled());
  }
  EXPECT_FALSE(main.beatTimer->enabled());
  EXPECT_EQ(main.beatTimer->intervalMs(), 20);
  EXPECT_EQ(main.generateTimer->durationMs(), 1000);
  EXPECT_EQ(main.FftBuffer.size(), 1024u);
  EXPECT_TRUE(module->isWindowLoaded("tactolomain"));
  EXPECT_FALSE(module->vuConfigForm().isLoaded());  // the editor exists but is not loaded
}

TEST_F(FormLoadTest, LayoutKeepsItsTextsRangesAndSteps) {
  loadMain();
  MainForm& f = form();
  struct SliderFacts {
    Slider* slider;
    int min, max, value, large, small, tick;
  };
  for (const auto& s : {SliderFacts{&f.gainSlider, 0, 100, 50, 20, 10, 10},
                        SliderFacts{&f.senseSlider, -100, 100, 0, 5, 1, 25},
                        SliderFacts{&f.correctionSlider, 200, 2000, 1100, 100, 1, 200},
                        SliderFacts{&f.subBandSlider, 1, 64, 32, 5, 4, 8},
                        SliderFacts{&f.maxBpmSlider, 30, 300, 165, 54, 10, 30},
                        SliderFacts{&f.bpmToleranceSlider, 0, 30, 5, 5, 1, 5},
                        SliderFacts{&f.VUslider, 0, 100, 50, 5, 1, 10}}) {
    SCOPED_TRACE(s.slider->name());
    EXPECT_EQ(s.slider->min(), s.min);
    EXPECT_EQ(s.slider->max(), s.max);
    EXPECT_EQ(s.slider->value(), s.value);
    EXPECT_EQ(s.slider->largeChange, s.large);
    EXPECT_EQ(s.slider->smallChange, s.small);
    EXPECT_EQ(s.slider->tickFrequency, s.tick);
  }
  EXPECT_EQ(f.freqOption.selectedIndex(), 2);
  EXPECT_EQ(f.freqOption.button(1)->caption(), "HiHat 3-5 KHz");
  EXPECT_EQ(f.speedOption.selectedIndex(), 1);
  EXPECT_EQ(f.speedOption.button(2)->caption(), "1/2");
  EXPECT_EQ(f.find("Label9")->caption(), "BPM-Tolerance (\u00B1 0 - 50) :");
  EXPECT_EQ(f.find("methodGroup", 2)->caption(), "Frequency Selected Sound Energy");
  EXPECT_EQ(f.find("startbutton")->container(), &f.SourceFrame);
  EXPECT_EQ(f.find("beatShape")->bounds().left, 120);
  EXPECT_EQ(f.find("beatShape")->bounds().height, 495);
  EXPECT_TRUE(f.sendBeatCheck.bold());
  EXPECT_TRUE(f.bpmLabel.bold());
  EXPECT_EQ(f.subBandCheck.toolTip(),
            "Number of subbands used for Tactolo (sorted according to the maximal  variance)");
}

TEST_F(FormLoadTest, LoadBeforeInitFailsAndLeavesNoHalfLoadedWindow) {
  module = std::make_unique<PluginModule>(PluginEnvironment{clock, capture, dialogs});
  EXPECT_THROW(module->mainWindow().load(), HostError);
  EXPECT_FALSE(module->mainWindow().isLoaded());
  EXPECT_TRUE(module->loadedWindows().empty());
  module->PluginHelper().attach(helper);
  module->mainWindow().load();
  EXPECT_TRUE(module->mainWindow().isLoaded());
}

TEST_F(FormLoadTest, ReloadStartsFromTheDesignValues) {
  TactoloMain& main = loadMain();
  form().gainSlider.setValue(80);
  form().startButton.click();
  main.unload();
  EXPECT_FALSE(module->isWindowLoaded("TactoloMain"));
  main.load();
  EXPECT_EQ(form().gainSlider.value(), 50);
  EXPECT_EQ(form().startButton.caption(), "Start");
  EXPECT_DOUBLE_EQ(vars().GainFactor, 1.0);
  form().startButton.click();
  EXPECT_TRUE(vars().Recording);
}

TEST_F(FormLoadTest, UserCloseRunsTheCloseHandlers) {
  TactoloMain& main = loadMain();
  form().startButton.click();
  capture.clearCalls();
  main.closeByUser();
  EXPECT_FALSE(main.isLoaded());
  EXPECT_FALSE(vars().Recording);
  EXPECT_THAT(capture.calls(), ElementsAre("RecordFree()", "RecordFree()"));
}

}  // namespace
}  // namespace tactolo::testing
