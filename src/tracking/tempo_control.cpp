#include "tracking/tempo_control.h"

#include <string>

#include "platform/numbers.h"

namespace tactolo {

TempoControl::TempoControl(BeatVariables& vars, TempoControls controls, Countdown& maxBpmTimer)
    : vars_(vars), controls_(controls), maxBpmTimer_(maxBpmTimer) {}

void TempoControl::maxBpmCheck_Click() {
  CheckBox& check = controls_.maxBpmCheck;
  if (check.value() == 1) {
    check.setCaption("max BPM = " + std::to_string(vars_.MaxBPMValue));
  } else {
    check.setCaption("max BPM (no limit)");
  }
}

void TempoControl::maxBpmSlider_Change() {
  vars_.MaxBPMValue = static_cast<int16_t>(controls_.maxBpmSlider.value());
  // The slider's range (30..300) keeps the divisor positive.
  maxBpmTimer_.setDurationMs(ToInt32(60000.0 / vars_.MaxBPMValue));
  if (controls_.maxBpmCheck.value() == 1) maxBpmCheck_Click();
}

void TempoControl::maxBpmTimer_Timer() { maxBpmTimer_.setEnabled(false); }

}  // namespace tactolo
