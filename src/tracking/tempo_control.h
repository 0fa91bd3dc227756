// The maximum-tempo limit: its switch, its slider and its countdown. While
// `maxBpmTimer` runs after an accepted beat (60000 / maximum tempo ms), the
// detection cycle accepts no other beat.
//
// Built when the main window loads, from the controls and the countdown it
// works on; the window's handlers (`maxBpmCheck_Click`, `maxBpmSlider_Change`,
// `maxBpmTimer_Timer`) call it.
#pragma once

#include "module/beat_variables.h"
#include "platform/control_model.h"
#include "platform/timers.h"

namespace tactolo {

struct TempoControls {
  CheckBox& maxBpmCheck;
  Slider& maxBpmSlider;
};

class TempoControl {
 public:
  TempoControl(BeatVariables& vars, TempoControls controls, Countdown& maxBpmTimer);

  /// The check box's caption tells the limit, or that there is none.
  void maxBpmCheck_Click();
  /// Takes the slider's tempo as the limit and sets the countdown's duration
  /// (it applies from the next accepted beat).
  void maxBpmSlider_Change();
  void maxBpmTimer_Timer();

 private:
  BeatVariables& vars_;
  TempoControls controls_;
  Countdown& maxBpmTimer_;
};

}  // namespace tactolo
