// The 20 ms detection cycle: spectrum, method, beat gates, tempo, indicator,
// beat message, and every fourth tick the VU levels.
#include <string>

#include "audio/capture_library.h"
#include "mainwindow/beat_variables.h"
#include "mainwindow/numbers.h"
#include "mainwindow/tactolo_main.h"
#include "shell/host_services.h"
#include "shell/plugin_module.h"
#include "tracking/tempo.h"

namespace tactolo {

namespace {
constexpr Color kDetectedBeatSent = Rgb(0, 230, 0);
constexpr Color kDetectedBeatQuiet = Rgb(0, 150, 0);
constexpr Color kBeatCleared = Rgb(30, 30, 30);
}  // namespace

void TactoloMain::beatTimer_Timer(int32_t /*elapsedMs*/) { DoTactolo(); }

void TactoloMain::DoTactolo() {
  MainForm& f = *form_;
  BeatVariables& v = vars();
  CaptureLibrary& capture = module_.capture();

  if (capture.ChannelGetData(v.RecordChannel, FftBuffer.data(), kDataFft2048) == -1) {
    // The capture is lost: stop the cycle quietly; the generator goes on.
    v.Recording = false;
    beatTimer->setEnabled(false);
    f.startButton.setCaption("Start");
    capture.ChannelStop(v.RecordChannel);
    return;
  }

  // The selected method runs on every tick so that its history advances,
  // whether or not a beat can be accepted now.
  bool beat = false;
  switch (f.methodBox.listIndex()) {
    case 1:
      beat = simpleMethod.run(FftBuffer.data(), v.GainFactor);
      break;
    default:
      break;
  }

  if (beat && !beatClearTimer->enabled() && !startTimer->enabled() && !maxBpmTimer->enabled()) {
    acceptDetectedBeat();
  }

  readLevels();
}

void TactoloMain::acceptDetectedBeat() {
  MainForm& f = *form_;
  BeatVariables& v = vars();

  v.PrevBeatTime = v.LastBeatTime;
  v.LastBeatTime = stoppuhr->elapsedMs();
  v.MeasuredBPM = MeasureBpm(v.LastBeatTime, v.PrevBeatTime);

  if (v.Keeping) return;  // keep mode re-phases its generator instead

  if (v.SendBeat) sendBeatMessage();
  if (f.maxBpmCheck.value() == 1) maxBpmTimer->setEnabled(true);
  f.beatShape.setBackColor(v.SendBeat ? kDetectedBeatSent : kDetectedBeatQuiet);
  beatClearTimer->setEnabled(true);
  f.bpmLabel.setCaption(std::to_string(v.MeasuredBPM));
}

void TactoloMain::sendBeatMessage() {
  // A beat the host refuses is lost, but the cycle must go on: the failure is
  // reported and the indicator and tempo still follow the music.
  try {
    module_.PluginHelper().SendMessage(BeatMessageCode, 1, 0);
  } catch (const HostError& e) {
    module_.reportEventError(e.what());
  }
}

void TactoloMain::readLevels() {
  BeatVariables& v = vars();
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
  v.LevelSampleIndex = 0;
}

void TactoloMain::beatClearTimer_Timer() {
  beatClearTimer->setEnabled(false);
  form_->beatShape.setBackColor(kBeatCleared);
}

void TactoloMain::sendBeatCheck_Click() {
  MainForm& f = *form_;
  const bool checked = f.sendBeatCheck.value() == 1;
  vars().SendBeat = checked;
  f.sendBeatCheck.setBold(checked);
}

}  // namespace tactolo
