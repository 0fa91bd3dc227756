// The 20 ms detection cycle: spectrum, method, beat gates, tempo, indicator,
// beat message, and every fourth tick the VU levels.
//
// The cycle is built when the main window loads, from the window's controls
// and timers it works on, and dropped when the window unloads. The window's
// handlers (`beatTimer_Timer`, `beatClearTimer_Timer`, `sendBeatCheck_Click`)
// call it. In keep mode an accepted beat goes to the tempo control's
// re-phase step instead of being shown.
#pragma once

#include <vector>

#include "module/plugin_module.h"
#include "platform/control_model.h"
#include "platform/timers.h"
#include "tracking/detection_methods.h"
#include "tracking/tempo_control.h"

namespace tactolo {

/// The main window's controls the cycle reads and sets.
struct CycleControls {
  Button& startButton;      // reads "Start" again when the capture is lost
  ComboBox& methodBox;      // the selected method
  CheckBox& sendBeatCheck;  // beat output switch
  CheckBox& maxBpmCheck;    // maximum-tempo limit on or off
  Shape& beatShape;         // the beat indicator
  Label& bpmLabel;          // the tempo shown
  PictureBox& VUpicture;    // the level preview
};

/// The main window's timers and stopwatch the cycle runs on.
struct CycleTimers {
  PeriodicTimer& beatTimer;
  Countdown& beatClearTimer;
  Countdown& startTimer;
  Countdown& maxBpmTimer;
  Stopwatch& stoppuhr;
};

class DetectionCycle {
 public:
  /// Allocates the spectrum buffer; the methods start with empty histories
  /// and are connected to the module's state until the cycle goes.
  DetectionCycle(PluginModule& module, CycleControls controls, CycleTimers timers, TempoControl& tempo);
  ~DetectionCycle();
  DetectionCycle(const DetectionCycle&) = delete;
  DetectionCycle& operator=(const DetectionCycle&) = delete;

  /// One tick. Reads the spectrum into FftBuffer (a failed read ends the
  /// capture quietly), runs the selected method, accepts its beat when no
  /// gate countdown runs, and reads the level. Allocates nothing.
  void DoTactolo();
  /// The indicator goes dark 50 ms after a shown beat.
  void beatClearTimer_Timer();
  /// Beat output follows the check box; the box is bold while it is on.
  void sendBeatCheck_Click();

  /// Magnitude spectrum of the latest tick (1024 bins).
  const std::vector<float>& FftBuffer() const { return FftBuffer_; }
  DetectionMethods methods;

 private:
  void acceptDetectedBeat();
  void readLevels();

  PluginModule& module_;
  CycleControls controls_;
  CycleTimers timers_;
  TempoControl& tempo_;
  std::vector<float> FftBuffer_;
};

}  // namespace tactolo
