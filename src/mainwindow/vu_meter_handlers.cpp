// Handlers of the main window's VU controls: the output switch, the list of
// configurations and the VU gain slider. The output pass, the switching off
// and the preview are the VU layer's (vu/vu_meter.h).
#include "mainwindow/tactolo_main.h"
#include "module/beat_variables.h"
#include "module/plugin_module.h"
#include "vu/vu_config_form.h"
#include "vu/vu_meter.h"
#include "vu/vu_windows.h"

namespace tactolo {

void TactoloMain::SendVuCheck_Click() {
  MainForm& f = *form_;
  BeatVariables& v = vars();
  VuVariables& vu = module_.vu();
  if (!vu.config.VuConfigLoaded) {
    // Nothing to drive: the switch cannot be used until a configuration is.
    v.SendVu = false;
    f.SendVuCheck.setEnabled(false);
    f.SendVuCheck.setBold(false);
    return;
  }
  if (f.SendVuCheck.value() == 1) {
    v.SendVu = true;
    f.SendVuCheck.setBold(true);
    return;
  }
  v.SendVu = false;
  f.SendVuCheck.setBold(false);
  // The next pass after switching on again sends every lit point afresh.
  VuOutput(vu.output).clearLitStates();
  VuMeter(module_).SwitchVuOff();
}

void TactoloMain::ConfCombo_Click() {
  BeatVariables& v = vars();
  const bool sendVu = v.SendVu;
  v.SendVu = false;  // no output while loading
  VUConfigForm& editor = vuWindows_.vuConfigForm();
  const int position = form_->ConfCombo.listIndex();
  // A position the last listing has no row for (entries added by saves, the
  // empty row after the last file) names no file: loading it reports the
  // read error for the bare folder. No entry chosen loads nothing.
  try {
    if (position >= 0) editor.LoadConfig(editor.configList().fileName(position).value_or(""));
  } catch (...) {
    v.SendVu = sendVu;
    throw;
  }
  v.SendVu = sendVu;
}

void TactoloMain::VUslider_Scroll() { vars().VuGainFactor = VuGainFactorForSlider(form_->VUslider.value()); }

}  // namespace tactolo
