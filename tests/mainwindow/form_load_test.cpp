// The main window's layout where a script cannot look: the sliders' steps
// and tick marks, and where controls sit. Ranges, positions and texts are in
// the load_sequence transcript.
#include <gtest/gtest.h>

#include "support/plugin_fixture.h"

namespace tactolo::testing {
namespace {

class FormLoadTest : public PluginFixture {};

TEST_F(FormLoadTest, LayoutKeepsItsStepsAndPlaces) {
  loadMain();
  MainForm& f = form();
  struct SliderSteps {
    Slider* slider;
    int large, small, tick;
  };
  for (const auto& s : {SliderSteps{&f.gainSlider, 20, 10, 10}, SliderSteps{&f.senseSlider, 5, 1, 25},
                        SliderSteps{&f.correctionSlider, 100, 1, 200}, SliderSteps{&f.subBandSlider, 5, 4, 8},
                        SliderSteps{&f.maxBpmSlider, 54, 10, 30}, SliderSteps{&f.bpmToleranceSlider, 5, 1, 5},
                        SliderSteps{&f.VUslider, 5, 1, 10}}) {
    SCOPED_TRACE(s.slider->name());
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
