#include "tracking/detection_cycle.h"

#include <string>

#include "audio/capture_library.h"
#include "module/beat_variables.h"
#include "platform/numbers.h"
#include "tracking/beat_output.h"
#include "tracking/tempo.h"
#include "vu/vu_meter.h"

namespace tactolo {

DetectionCycle::DetectionCycle(PluginModule& module, CycleControls controls, CycleTimers timers,
                               TempoControl& tempo)
    : module_(module), controls_(controls), timers_(timers), tempo_(tempo), FftBuffer_(kSpectrumBins, 0.0f) {
  module_.connectMethods({&methods.simple, &methods.standard, &methods.frequency});
}

DetectionCycle::~DetectionCycle() { module_.connectMethods({}); }

void DetectionCycle::DoTactolo() {
  BeatVariables& v = module_.vars();
  CaptureLibrary& capture = module_.capture();

  if (capture.ChannelGetData(v.RecordChannel, FftBuffer_.data(), kDataFft2048) == -1) {
    // The capture is lost: stop the cycle quietly; the generator goes on.
    v.Recording = false;
    timers_.beatTimer.setEnabled(false);
    controls_.startButton.setCaption("Start");
    capture.ChannelStop(v.RecordChannel);
    return;
  }

  // The selected method runs on every tick so that its history advances,
  // whether or not a beat can be accepted now.
  const bool beat = methods.run(controls_.methodBox.listIndex(), FftBuffer_.data(), v);

  if (beat && !timers_.beatClearTimer.enabled() && !timers_.startTimer.enabled() &&
      !timers_.maxBpmTimer.enabled()) {
    acceptDetectedBeat();
  }

  readLevels();
}

void DetectionCycle::acceptDetectedBeat() {
  BeatVariables& v = module_.vars();

  v.PrevBeatTime = v.LastBeatTime;
  v.LastBeatTime = timers_.stoppuhr.elapsedMs();
  v.MeasuredBPM = MeasureBpm(v.LastBeatTime, v.PrevBeatTime);

  if (v.Keeping) {
    // Keep mode shows the kept tempo; the beat may only pull the generator
    // into phase.
    tempo_.Rephase();
    return;
  }

  if (v.SendBeat) SendBeatMessage(module_);
  if (controls_.maxBpmCheck.value() == 1) timers_.maxBpmTimer.setEnabled(true);
  controls_.beatShape.setBackColor(kDetectedBeatColors.of(v.SendBeat));
  timers_.beatClearTimer.setEnabled(true);
  controls_.bpmLabel.setCaption(std::to_string(v.MeasuredBPM));
}

void DetectionCycle::readLevels() {
  BeatVariables& v = module_.vars();
  // A failed read gives all bits set: both halves then read 65535.
  v.LastLevelWord = static_cast<int32_t>(module_.capture().ChannelGetLevel(v.RecordChannel));
  auto& row = v.LevelSamples[static_cast<size_t>(v.LevelSampleIndex)];
  row[0] = LoWord(v.LastLevelWord);
  row[1] = HiWord(v.LastLevelWord);

  if (v.LevelSampleIndex != 3) {
    ++v.LevelSampleIndex;
    return;
  }
  int64_t left = 0;
  int64_t right = 0;
  for (const auto& sample : v.LevelSamples) {
    left += sample[0];
    right += sample[1];
  }
  v.AvgLevelLeft = static_cast<int32_t>(RoundHalfEven(static_cast<double>(left) / 4.0));
  v.AvgLevelRight = static_cast<int32_t>(RoundHalfEven(static_cast<double>(right) / 4.0));
  v.VuLevelLeft = v.AvgLevelLeft / 32768.0 * v.VuGainFactor;
  v.VuLevelRight = v.AvgLevelRight / 32768.0 * v.VuGainFactor;
  VuMeter vu(module_);
  vu.DrawVuPreview(controls_.VUpicture);
  if (v.SendVu) vu.SendVuLevels();
  v.LevelSampleIndex = 0;
}

void DetectionCycle::beatClearTimer_Timer() {
  timers_.beatClearTimer.setEnabled(false);
  controls_.beatShape.setBackColor(kBeatCleared);
}

void DetectionCycle::sendBeatCheck_Click() {
  const bool checked = controls_.sendBeatCheck.value() == 1;
  module_.vars().SendBeat = checked;
  controls_.sendBeatCheck.setBold(checked);
}

}  // namespace tactolo
