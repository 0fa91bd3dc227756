// TactoloMain: the plug-in's main window. The instance lives as long as the
// plug-in module; its controls (MainForm), timers, stopwatch, detection cycle
// and tempo limit exist while the window is loaded. Handlers are named after
// the control and the event.
//
// The handlers are spread over the files of their subsystem:
//   mainwindow/tactolo_main.cpp   load sequence, method choice, life cycle;
//                                 the cycle's and the tempo limit's handlers
//                                 hand over to tracking/
//   mainwindow/audio_capture.cpp  devices, inputs, gain, start/stop, closing
//   mainwindow/method_panels.cpp  the controls of the standard weight and
//                                 frequency-selected methods
//   tracking/detection_cycle.cpp  the 20 ms cycle, gates, indicator, levels
//   tracking/tempo_control.cpp    maximum tempo, keep mode and the generator,
//                                 speed, tolerance, sync
//   mainwindow/vu_meter_handlers.cpp  the VU switch, configuration list and
//                                 gain slider (the output itself is vu/)
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mainwindow/main_form.h"
#include "platform/timers.h"
#include "tracking/detection_cycle.h"
#include "tracking/tempo_control.h"

namespace tactolo {

class PluginModule;
class HostSettings;
class VuWindows;
struct BeatVariables;

/// Capture callback handed to the library: ignores the data and returns 1 so
/// that recording goes on.
int RecordingCallback(uint32_t handle, const void* buffer, uint32_t length, void* user);

class TactoloMain {
 public:
  static constexpr const char* kName = "TactoloMain";

  TactoloMain(PluginModule& module, VuWindows& vuWindows);
  ~TactoloMain();
  TactoloMain(const TactoloMain&) = delete;
  TactoloMain& operator=(const TactoloMain&) = delete;

  // Life cycle -------------------------------------------------------------
  bool isLoaded() const { return form_ != nullptr; }
  /// Loads the window when it is not loaded (runs Form_Load); hidden.
  void load();
  /// Closes a loaded window from code: Form_QueryUnload, Form_Unload, then
  /// the controls, timers and stopwatch go away. An error raised by a close
  /// handler ends the close there, with the window still loaded.
  void unload();
  /// The user closed the window (its close box): the same close handlers.
  void closeByUser();
  /// Shows the window modeless without an owner; loads it first if needed.
  void show();
  /// Hides the window; it stays loaded (loaded hidden first if needed).
  void hide();
  /// The window's controls; any use of the window loads it first.
  MainForm& form();

  // Load sequence and method choice ------------------------------------------
  void Form_Load();
  void methodBox_Click();
  /// Lists the project's VU configurations into ConfCombo (through the VU
  /// editor, which loads the first) and lets VU output be switched on only
  /// when the list has an entry.
  void ListVuConfigurations();

  // Capture ------------------------------------------------------------------
  void CheckLibraryVersion();
  void ListRecordingDevices();
  void devicesBox_Click();
  void inputBox_Click();
  void gainSlider_Change();
  void startButton_Click();
  void Error_(const std::string& message);
  /// Tells the user of something the plug-in did instead of what was asked
  /// (a stored device that is not there): a message box with the
  /// information icon and an OK button.
  void ShowNotice(const std::string& message);
  void Form_QueryUnload(int16_t& cancel, int16_t& unloadMode);
  void Form_Unload(int16_t& cancel);
  void startTimer_Timer();

  // Detection cycle (tracking/detection_cycle.h) ---------------------------------
  void beatTimer_Timer(int32_t elapsedMs);
  void DoTactolo();
  void beatClearTimer_Timer();
  void sendBeatCheck_Click();

  // Standard weight method panel (mainwindow/method_panels.cpp) -----------------
  void freqOption_Click(int index);
  void senseSlider_Change();
  void correctionSlider_Change();

  // Frequency-selected method panel (mainwindow/method_panels.cpp) ---------------
  void subBandBox_Click();
  void subBandCheck_Click();
  void subBandSlider_Change();
  /// Sizes the sub-band arrays for the chosen count, with the cycle paused.
  void ConfigureSubbands();

  // Tempo limit, keep mode and generator (tracking/tempo_control.h) ---------------
  void maxBpmCheck_Click();
  void maxBpmSlider_Change();
  void maxBpmTimer_Timer();
  void keepButton_Click();
  void generateTimer_Timer();
  void syncButton_Click();
  void EmitManualBeat();
  void speedOption_Click(int index);
  void bpmToleranceSlider_Scroll();

  // VU meter (vu/vu_meter.h) ----------------------------------------------------
  void SendVuCheck_Click();
  void ConfCombo_Click();
  void VUslider_Scroll();

  /// The detection cycle of the loaded window; std::logic_error while the
  /// window is not loaded.
  DetectionCycle& cycle();

  // Timers and stopwatch (present while loaded) ------------------------------
  std::unique_ptr<PeriodicTimer> beatTimer;
  std::unique_ptr<Countdown> beatClearTimer;
  std::unique_ptr<Countdown> maxBpmTimer;
  std::unique_ptr<Countdown> startTimer;
  std::unique_ptr<Countdown> generateTimer;
  std::unique_ptr<Stopwatch> stoppuhr;

  std::unique_ptr<HostSettings> hostSettings;

 private:
  BeatVariables& vars();
  void wireHandlers();
  void createTimers();
  void stopAndCloseDevice();
  void close(int16_t unloadMode);
  void dropLoadedParts();
  TempoControl& tempo();

  PluginModule& module_;
  VuWindows& vuWindows_;
  std::unique_ptr<MainForm> form_;
  std::unique_ptr<DetectionCycle> cycle_;
  std::unique_ptr<TempoControl> tempo_;
};

}  // namespace tactolo
