#include "mainwindow/tactolo_main.h"

#include <exception>
#include <stdexcept>

#include "module/beat_variables.h"
#include "module/host_services.h"
#include "module/plugin_module.h"
#include "platform/numbers.h"
#include "vu/vu_config_form.h"
#include "vu/vu_windows.h"

namespace tactolo {

TactoloMain::TactoloMain(PluginModule& module, VuWindows& vuWindows)
    : module_(module), vuWindows_(vuWindows) {}

TactoloMain::~TactoloMain() = default;

BeatVariables& TactoloMain::vars() { return module_.vars(); }

MainForm& TactoloMain::form() {
  load();
  return *form_;
}

DetectionCycle& TactoloMain::cycle() {
  if (!cycle_) throw std::logic_error("TactoloMain is not loaded");
  return *cycle_;
}

TempoControl& TactoloMain::tempo() {
  if (!tempo_) throw std::logic_error("TactoloMain is not loaded");
  return *tempo_;
}

void TactoloMain::load() {
  if (form_) return;
  form_ = std::make_unique<MainForm>();
  form_->setVisible(false);
  wireHandlers();
  try {
    Form_Load();
  } catch (...) {
    // A load that fails half-way leaves no half-loaded window behind.
    dropLoadedParts();
    throw;
  }
  module_.windowLoaded(kName, *form_);
}

void TactoloMain::dropLoadedParts() {
  // The timers and the stopwatch belong to the loaded window: a countdown
  // still running (the generator in keep mode) ends with it. The cycle and
  // the tempo control work on them, so they go first (the cycle first: it
  // works on the tempo control).
  cycle_.reset();
  tempo_.reset();
  beatTimer.reset();
  beatClearTimer.reset();
  maxBpmTimer.reset();
  startTimer.reset();
  generateTimer.reset();
  stoppuhr.reset();
  hostSettings.reset();
  form_.reset();
}

void TactoloMain::close(int16_t unloadMode) {
  if (!form_) return;
  int16_t cancel = 0;
  Form_QueryUnload(cancel, unloadMode);
  Form_Unload(cancel);
  dropLoadedParts();
  module_.windowUnloaded(kName);
}

void TactoloMain::unload() { close(1); }

void TactoloMain::closeByUser() { close(0); }

void TactoloMain::show() { form().setVisible(true); }

void TactoloMain::hide() { form().setVisible(false); }

void TactoloMain::wireHandlers() {
  MainForm& f = *form_;
  f.devicesBox.onClick = [this] { devicesBox_Click(); };
  f.inputBox.onClick = [this] { inputBox_Click(); };
  f.gainSlider.onChange = [this] { gainSlider_Change(); };
  f.startButton.onClick = [this] { startButton_Click(); };
  f.sendBeatCheck.onClick = [this] { sendBeatCheck_Click(); };
  f.methodBox.onClick = [this] { methodBox_Click(); };
  f.maxBpmCheck.onClick = [this] { maxBpmCheck_Click(); };
  f.maxBpmSlider.onChange = [this] { maxBpmSlider_Change(); };
  f.SendVuCheck.onClick = [this] { SendVuCheck_Click(); };
  f.ConfCombo.onClick = [this] { ConfCombo_Click(); };
  f.VUslider.onScroll = [this] { VUslider_Scroll(); };
  f.freqOption.onClick = [this](int index) { freqOption_Click(index); };
  f.senseSlider.onChange = [this] { senseSlider_Change(); };
  f.correctionSlider.onChange = [this] { correctionSlider_Change(); };
  f.subBandBox.onClick = [this] { subBandBox_Click(); };
  f.subBandCheck.onClick = [this] { subBandCheck_Click(); };
  f.subBandSlider.onChange = [this] { subBandSlider_Change(); };
  f.keepButton.onClick = [this] { keepButton_Click(); };
  f.syncButton.onClick = [this] { syncButton_Click(); };
  f.speedOption.onClick = [this](int index) { speedOption_Click(index); };
  f.bpmToleranceSlider.onScroll = [this] { bpmToleranceSlider_Scroll(); };
}

void TactoloMain::createTimers() {
  Clock& clock = module_.clock();
  // Timer events have no caller to hand an error to: it is reported to the
  // module and the plug-in goes on. An event counts as the module running, so
  // that a host asking for a shutdown from inside it (from its message
  // service during a beat, from its capture library during a tick) is
  // refused instead of freeing the module under the event.
  auto guarded = [this](auto&& handler) {
    return [this, handler](auto... args) {
      const PluginModule::Running running(module_);
      try {
        (this->*handler)(args...);
      } catch (const std::exception& e) {
        module_.reportEventError(e.what());
      } catch (...) {
        module_.reportEventError("unknown error");
      }
    };
  };
  beatTimer = std::make_unique<PeriodicTimer>(clock, 20);
  beatTimer->onTimer = guarded(&TactoloMain::beatTimer_Timer);
  beatClearTimer = std::make_unique<Countdown>(clock, 50);
  beatClearTimer->onExpire = guarded(&TactoloMain::beatClearTimer_Timer);
  maxBpmTimer = std::make_unique<Countdown>(clock, 350);
  maxBpmTimer->onExpire = guarded(&TactoloMain::maxBpmTimer_Timer);
  startTimer = std::make_unique<Countdown>(clock, 1000);
  startTimer->onExpire = guarded(&TactoloMain::startTimer_Timer);
  generateTimer = std::make_unique<Countdown>(clock, 1000);
  generateTimer->onExpire = guarded(&TactoloMain::generateTimer_Timer);
}

void TactoloMain::Form_Load() {
  BeatVariables& v = vars();
  MainForm& f = *form_;

  // 1-3: capture state, timers (all disabled), stopwatch.
  v.Recording = false;
  createTimers();
  stoppuhr = std::make_unique<Stopwatch>(module_.clock());

  // 4: the host's settings object.
  hostSettings = module_.PluginHelper().Settings();

  // 5: the ring of level samples; the preview's heights in pixels.
  v.LevelSamples = {};
  VuVariables& vu = module_.vu();
  vu.VuHalfHeight = ToInt16(f.VUpicture.scaleHeightPx() / 2.0);
  vu.VuFullHeight = ToInt16(f.VUpicture.scaleHeightPx());

  // 6: the spectrum buffer, the methods' arrays and the start values.
  tempo_ =
      std::make_unique<TempoControl>(module_,
                                     TempoControls{f.maxBpmCheck, f.maxBpmSlider, f.keepButton,
                                                   f.bpmToleranceSlider, f.bpmLabel, f.beatShape},
                                     TempoTimers{*maxBpmTimer, *generateTimer, *beatClearTimer, *stoppuhr});
  cycle_ = std::make_unique<DetectionCycle>(
      module_,
      CycleControls{f.startButton, f.methodBox, f.sendBeatCheck, f.maxBpmCheck, f.beatShape, f.bpmLabel,
                    f.VUpicture},
      CycleTimers{*beatTimer, *beatClearTimer, *startTimer, *maxBpmTimer, *stoppuhr}, *tempo_);
  v.GainThresholdScale = 100.0;
  v.GainThresholdFloor = 1.0;
  v.GainFactor = 1.0;
  v.VuGainFactor = 1.0;
  v.LastBeatTime = 0;
  v.PrevBeatTime = 0;
  v.MeasuredBPM = 0;
  v.MaxBPMValue = 165;
  v.Keeping = false;
  v.KeptBPM = 120;
  v.KeepBPMMin = 120;
  v.SyncWindow = 0;
  v.GeneratedBeats = 0;
  v.DoubleSpeed = false;
  v.HalfSpeed = false;
  v.SendGeneratedBeat = false;

  // 7: the maximum tempo on its slider.
  f.maxBpmSlider.setValue(v.MaxBPMValue);

  // 8: the sub-band counts.
  f.subBandBox.clear();
  for (const char* count : {"8", "16", "32", "64", "128", "256"}) f.subBandBox.addItem(count);
  f.subBandBox.setListIndex(3);

  // 9: VU state: no configuration loaded, VU output off, 8 points, gain 1.0,
  // stereo, both rows of 16 points cleared.
  vu.config = VuConfiguration{};
  v.SendVu = false;
  v.VuGainFactor = 1.0;

  // 10: the sub-band arrays for the chosen count.
  ConfigureSubbands();

  // 11: the methods.
  f.methodBox.clear();
  f.methodBox.addItem("Standard Weight Method");
  f.methodBox.addItem("Simple Sound Energy");
  f.methodBox.addItem("Frequency Selected Sound Energy");
  f.methodBox.setListIndex(0);

  // 12: the text of the simple method's panel.
  f.simpleLabel.setCaption(
      "No parameters available\n\nThe beat is computed through the\nactual sound energy compared to "
      "the\nhistory "
      "values.");

  // 13-14: the capture library and its devices.
  CheckLibraryVersion();
  ListRecordingDevices();

  // 15-16: the VU configurations, and the VU switch.
  ListVuConfigurations();
}

void TactoloMain::ListVuConfigurations() {
  MainForm& f = form();
  // The VU configuration editor's first use loads it, which lists the
  // configurations too; then the listing into ConfCombo.
  vuWindows_.vuConfigForm().GetConfigs();
  // VU output can be switched on only when a configuration exists; a project
  // with configurations loaded after one without makes the switch usable
  // again. The switch is disabled only when there is nothing it could drive
  // and nothing it would have to stop: no configuration listed, none in use
  // (one confirmed in the editor stays in use, and the settings restored
  // after a project's listing may switch it on) and VU output off. Running
  // output can always be switched off.
  const bool configurationInUse = module_.vu().config.VuConfigLoaded;
  f.SendVuCheck.setEnabled(f.ConfCombo.listCount() > 0 || configurationInUse || vars().SendVu);
}

void TactoloMain::methodBox_Click() {
  MainForm& f = *form_;
  const bool wasRunning = beatTimer->enabled();
  if (wasRunning) beatTimer->setEnabled(false);
  for (Frame* panel : f.methodGroup) panel->setVisible(false);
  const int selected = f.methodBox.listIndex();
  if (selected >= 0 && selected < static_cast<int>(f.methodGroup.size()))
    f.methodGroup[selected]->setVisible(true);
  if (wasRunning) {
    // The new method needs a second to fill its history before it may report.
    beatTimer->setEnabled(true);
    startTimer->setEnabled(true);
  }
}

// The detection cycle and the tempo limit live in tracking/; these handlers
// hand the window's events over to them.

void TactoloMain::beatTimer_Timer(int32_t /*elapsedMs*/) { DoTactolo(); }

void TactoloMain::DoTactolo() { cycle().DoTactolo(); }

void TactoloMain::beatClearTimer_Timer() { cycle().beatClearTimer_Timer(); }

void TactoloMain::sendBeatCheck_Click() { cycle().sendBeatCheck_Click(); }

void TactoloMain::maxBpmCheck_Click() { tempo().maxBpmCheck_Click(); }

void TactoloMain::maxBpmSlider_Change() { tempo().maxBpmSlider_Change(); }

void TactoloMain::maxBpmTimer_Timer() { tempo().maxBpmTimer_Timer(); }

void TactoloMain::keepButton_Click() { tempo().keepButton_Click(); }

void TactoloMain::generateTimer_Timer() { tempo().generateTimer_Timer(); }

void TactoloMain::syncButton_Click() { tempo().syncButton_Click(); }

void TactoloMain::EmitManualBeat() { tempo().EmitManualBeat(); }

void TactoloMain::speedOption_Click(int index) { tempo().speedOption_Click(index); }

void TactoloMain::bpmToleranceSlider_Scroll() { tempo().bpmToleranceSlider_Scroll(); }

}  // namespace tactolo
