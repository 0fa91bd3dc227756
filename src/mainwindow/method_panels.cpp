// Handlers of the method panels: the band options and sliders of the
// standard weight method, and the sub-band count, ranked selection and slider
// of the frequency-selected method. Each hands the control's value to the
// method's state (tracking/), where the next tick uses it.
#include "mainwindow/tactolo_main.h"

namespace tactolo {

namespace {

/// Pauses the detection cycle while the methods' arrays are rebuilt, so
/// that no tick sees arrays of the wrong size; the cycle resumes when the
/// rebuild ends, also when it fails.
class PausedCycle {
 public:
  explicit PausedCycle(PeriodicTimer& beatTimer) : beatTimer_(beatTimer), wasRunning_(beatTimer.enabled()) {
    if (wasRunning_) beatTimer_.setEnabled(false);
  }
  ~PausedCycle() {
    if (wasRunning_) beatTimer_.setEnabled(true);
  }
  PausedCycle(const PausedCycle&) = delete;
  PausedCycle& operator=(const PausedCycle&) = delete;

 private:
  PeriodicTimer& beatTimer_;
  bool wasRunning_;
};

}  // namespace

void TactoloMain::freqOption_Click(int index) { cycle().methods.standard.chooseBand(index); }

void TactoloMain::senseSlider_Change() {
  cycle().methods.standard.setSensitivity(form_->senseSlider.value());
}

void TactoloMain::correctionSlider_Change() {
  cycle().methods.standard.setCorrection(form_->correctionSlider.value());
}

void TactoloMain::subBandBox_Click() {
  MainForm& f = *form_;
  FrequencySelectedSoundEnergy& method = cycle().methods.frequency;
  PausedCycle paused(*beatTimer);
  // A position without a count (no selection) is refused and changes nothing.
  method.chooseSubbandCount(f.subBandBox.listIndex());
  // A lower maximum pulls the slider down to the count (its change handler
  // then takes the value it already has).
  f.subBandSlider.setMax(method.FSSESubbandCount());
  f.subBandSlider.setValue(method.FSSESubbandValue());
  f.maxLabel.setCaption(method.maxLabelText());
  f.midLabel.setCaption(method.midLabelText());
}

void TactoloMain::subBandCheck_Click() {
  cycle().methods.frequency.chooseRanked(form_->subBandCheck.value() == 1);
}

void TactoloMain::subBandSlider_Change() {
  cycle().methods.frequency.moveSlider(form_->subBandSlider.value());
}

void TactoloMain::ConfigureSubbands() {
  PausedCycle paused(*beatTimer);
  cycle().methods.frequency.ConfigureSubbands();
}

}  // namespace tactolo
