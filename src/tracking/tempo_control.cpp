// The maximum-tempo limit: its switch, its slider and its countdown.
#include <string>

#include "mainwindow/beat_variables.h"
#include "mainwindow/numbers.h"
#include "mainwindow/tactolo_main.h"
#include "shell/plugin_module.h"

namespace tactolo {

void TactoloMain::maxBpmCheck_Click() {
  MainForm& f = *form_;
  if (f.maxBpmCheck.value() == 1) {
    f.maxBpmCheck.setCaption("max BPM = " + std::to_string(vars().MaxBPMValue));
  } else {
    f.maxBpmCheck.setCaption("max BPM (no limit)");
  }
}

void TactoloMain::maxBpmSlider_Change() {
  MainForm& f = *form_;
  BeatVariables& v = vars();
  v.MaxBPMValue = static_cast<int16_t>(f.maxBpmSlider.value());
  // The slider's range (30..300) keeps the divisor positive.
  maxBpmTimer->setDurationMs(ToInt32(60000.0 / v.MaxBPMValue));
  if (f.maxBpmCheck.value() == 1) maxBpmCheck_Click();
}

void TactoloMain::maxBpmTimer_Timer() { maxBpmTimer->setEnabled(false); }

}  // namespace tactolo
