#include "tracking/tempo_control.h"

#include <string>

#include "module/beat_variables.h"
#include "platform/numbers.h"
#include "tracking/beat_output.h"
#include "tracking/tempo_keeping.h"

namespace tactolo {

TempoControl::TempoControl(PluginModule& module, TempoControls controls, TempoTimers timers)
    : module_(module), controls_(controls), timers_(timers) {}

void TempoControl::maxBpmCheck_Click() {
  CheckBox& check = controls_.maxBpmCheck;
  if (check.value() == 1) {
    check.setCaption("max BPM = " + std::to_string(module_.vars().MaxBPMValue));
  } else {
    check.setCaption("max BPM (no limit)");
  }
}

void TempoControl::maxBpmSlider_Change() {
  BeatVariables& v = module_.vars();
  v.MaxBPMValue = static_cast<int16_t>(controls_.maxBpmSlider.value());
  // The slider's range (30..300) keeps the divisor positive.
  timers_.maxBpmTimer.setDurationMs(ToInt32(60000.0 / v.MaxBPMValue));
  if (controls_.maxBpmCheck.value() == 1) maxBpmCheck_Click();
}

void TempoControl::maxBpmTimer_Timer() { timers_.maxBpmTimer.setEnabled(false); }

void TempoControl::keepButton_Click() {
  BeatVariables& v = module_.vars();
  Countdown& generator = timers_.generateTimer;
  if (v.Keeping) {
    // bpmLabel keeps the kept tempo until the next accepted beat.
    v.Keeping = false;
    generator.setEnabled(false);
    controls_.keepButton.setCaption(kKeepCaption);
    return;
  }

  const auto keep = StartKeeping(v.MeasuredBPM, controls_.bpmToleranceSlider.value(),
                                 timers_.stoppuhr.elapsedMs(), v.PrevBeatTime, v.DoubleSpeed);
  if (!keep) return;  // no tempo worth keeping (outside 30..240)
  v.KeptBPM = keep->KeptBPM;
  v.SyncWindow = keep->SyncWindow;
  v.KeepBPMMin = keep->KeepBPMMin;
  v.GeneratedBeats = 0;
  v.Keeping = true;
  generator.setDurationMs(keep->firstDelayMs);
  if (v.DoubleSpeed) v.SendGeneratedBeat = true;
  if (v.HalfSpeed) v.SendGeneratedBeat = false;
  generator.setEnabled(true);
  controls_.bpmLabel.setCaption(std::to_string(v.KeptBPM));
  controls_.keepButton.setCaption(kKeepingCaption);
}

void TempoControl::generateTimer_Timer() {
  BeatVariables& v = module_.vars();
  Countdown& generator = timers_.generateTimer;
  if (v.GeneratedBeats == 0) {
    // The first beat after keep or a re-phase: from here on the kept period.
    generator.setDurationMs(KeptPeriodMs(v.KeptBPM, v.DoubleSpeed));
    v.SendGeneratedBeat = true;
  }
  // Generated beats go to the host whatever the beat output switch says.
  if (v.SendGeneratedBeat) SendBeatMessage(module_);
  if (v.HalfSpeed) v.SendGeneratedBeat = !v.SendGeneratedBeat;
  v.GeneratedBeats = CountGeneratedBeat(v.GeneratedBeats);
  flash(kGeneratedBeatColors.of(v.SendBeat));
  // A generated beat blocks detected ones, with or without the max-BPM switch.
  timers_.maxBpmTimer.setEnabled(true);
  generator.setEnabled(true);
}

void TempoControl::Rephase() {
  BeatVariables& v = module_.vars();
  Countdown& generator = timers_.generateTimer;
  if (generator.remainingMs() >= v.SyncWindow) return;
  generator.setEnabled(false);
  if (v.SendBeat) SendBeatMessage(module_);
  v.GeneratedBeats = 0;
  generator.setDurationMs(SlowPeriodMs(v.KeepBPMMin));
  generator.setEnabled(true);
  flash(kDetectedBeatColors.of(v.SendBeat));
}

void TempoControl::syncButton_Click() {
  if (module_.vars().Keeping) {
    // The next generated beat comes one period after the click.
    timers_.generateTimer.setEnabled(false);
    EmitManualBeat();
    timers_.generateTimer.setEnabled(true);
  } else {
    EmitManualBeat();
  }
}

void TempoControl::EmitManualBeat() {
  const bool sendBeat = module_.vars().SendBeat;
  if (sendBeat) SendBeatMessage(module_);
  flash(kManualBeatColors.of(sendBeat));
}

void TempoControl::speedOption_Click(int index) {
  BeatVariables& v = module_.vars();
  v.DoubleSpeed = index == 0;
  v.HalfSpeed = index == 2;
  if (v.GeneratedBeats > 0) {
    const int32_t period = KeptPeriodMs(v.KeptBPM, false);
    timers_.generateTimer.setDurationMs(v.DoubleSpeed ? HalvedMs(period) : period);
    v.SendGeneratedBeat = true;
  }
}

void TempoControl::bpmToleranceSlider_Scroll() {
  BeatVariables& v = module_.vars();
  v.KeepBPMMin = static_cast<int16_t>(v.KeptBPM - controls_.bpmToleranceSlider.value());
}

void TempoControl::flash(Color color) {
  controls_.beatShape.setBackColor(color);
  timers_.beatClearTimer.setEnabled(true);
}

}  // namespace tactolo
