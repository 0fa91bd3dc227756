// The main window's layout: the sliders' ranges, positions as the window
// opens, steps and tick marks, and where controls sit. What the window
// shows as it loads is in the load_sequence transcript.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tactolo::testing
