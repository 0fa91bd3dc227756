#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/plugin_fixture.h"
#include "vu/vu_config_form.h"

namespace tactolo::testing {
namespace {

using ::testing::ElementsAre;

class FormLoadTest : public PluginFixture {};

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

TEST_F(FormLoadTest, ReloadStartsFromTheDesignValues) {
  TactoloMain& main = loadMain();
  form().gainSlider.setValue(80);
  form().startButton.click();
  main.unload();
  EXPECT_FALSE(module().isWindowLoaded("TactoloMain"));
  main.load();
  EXPECT_EQ(form().gainSlider.value(), 50);
  EXPECT_EQ(form().startButton.caption(), "Start");
  EXPECT_DOUBLE_EQ(vars().GainFactor, 1.0);
  form().startButton.click();
  EXPECT_TRUE(vars().Recording);
}

}  // namespace
}  // namespace tactolo::testing
