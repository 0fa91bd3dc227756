// The "BPM Control" frame: the maximum-tempo limit, keep mode with its beat
// generator, the speed options, the tolerance and the sync button.
//
// Maximum tempo: while `maxBpmTimer` runs after an accepted beat (60000 /
// maximum tempo ms), the detection cycle accepts no other beat.
//
// Keep mode holds the measured tempo: `generateTimer` then fires one
// generated beat per kept period on its own, sent to the host whatever the
// beat output switch says. A detected beat that comes within the sync window
// before the next generated beat pulls the generator into phase: it is shown
// (and sent when beat output is on) and the generator waits one slow period
// before it goes on at the kept period. Speed "2" halves the period, "1/2"
// sends every second generated beat. The sync button gives a manual beat and
// restarts the generator's countdown. The arithmetic is in tempo_keeping.h.
//
// Built when the main window loads, from the controls, countdowns and
// stopwatch it works on; the window's handlers call it.
#pragma once

#include "module/plugin_module.h"
#include "platform/control_model.h"
#include "platform/timers.h"

namespace tactolo {

struct TempoControls {
  CheckBox& maxBpmCheck;
  Slider& maxBpmSlider;
  Button& keepButton;
  Slider& bpmToleranceSlider;
  Label& bpmLabel;
  Shape& beatShape;
};

struct TempoTimers {
  Countdown& maxBpmTimer;
  Countdown& generateTimer;
  Countdown& beatClearTimer;
  Stopwatch& stoppuhr;
};

class TempoControl {
 public:
  static constexpr const char* kKeepCaption = "Keep this beat !";
  static constexpr const char* kKeepingCaption = "... keeping ...";

  TempoControl(PluginModule& module, TempoControls controls, TempoTimers timers);

  /// The check box's caption tells the limit, or that there is none.
  void maxBpmCheck_Click();
  /// Takes the slider's tempo as the limit and sets the countdown's duration
  /// (it applies from the next accepted beat).
  void maxBpmSlider_Change();
  void maxBpmTimer_Timer();

  /// Keep on, at the measured tempo (ignored outside 30..240 BPM), or off.
  void keepButton_Click();
  /// One generated beat, then the generator runs on.
  void generateTimer_Timer();
  /// An accepted detected beat in keep mode: inside the sync window it
  /// re-phases the generator, otherwise it has no effect.
  void Rephase();
  /// A manual beat; in keep mode the generator's countdown restarts.
  void syncButton_Click();
  /// Sends the beat when beat output is on, and flashes the indicator.
  void EmitManualBeat();
  /// Speed "2" (index 0), "1" (1) or "1/2" (2); once the generator has
  /// produced a beat its period follows at once.
  void speedOption_Click(int index);
  /// The user moved the tolerance: the slowest tolerated tempo follows,
  /// without a lower bound.
  void bpmToleranceSlider_Scroll();

 private:
  void flash(Color color);

  PluginModule& module_;
  TempoControls controls_;
  TempoTimers timers_;
};

}  // namespace tactolo
