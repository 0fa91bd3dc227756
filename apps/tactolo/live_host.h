// The plug-in running live: its library, a real clock driven by an event
// loop, a capture back-end handed in by the caller, and a helper object whose
// message service hands each beat on as it comes.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/host_interfaces.h"
#include "plugin_library.h"

namespace tactolo {
class CaptureLibrary;
}

namespace tactolo::app {

/// One beat message the plug-in sent.
struct LiveBeat {
  /// The host clock's time of the message, in ms since the host started.
  TimeMs clockMs = 0;
  /// When the message arrived, on the steady system clock.
  std::chrono::steady_clock::time_point sentAt;
  /// The tempo the main window showed with the beat (bpmLabel's caption).
  std::string bpm;
};

/// The plug-in in its library on a RealClock, with its main window loaded and
/// shown and its beat output on, as a user finds it after opening the tool
/// window. The host acts on it as a user would (select, slide, click) through
/// the automation interface, and runs the clock's events in run().
///
/// The capture back-end and the dialog service belong to the caller and must
/// outlive this object. Everything here is for one thread, the one that
/// calls run().
class LiveHost {
 public:
  using BeatSink = std::function<void(const LiveBeat&)>;

  /// Opens the plug-in library at `pluginPath`, creates the plug-in on
  /// `capture` and `dialogs`, Inits it with an in-memory helper, loads and
  /// shows the main window and turns its beat output on. `onBeat` gets every
  /// beat message, in order, once the event that sent it has run to its end.
  /// std::runtime_error with a one-line message when any of that fails.
  LiveHost(const std::string& pluginPath, CaptureLibrary& capture, DialogService& dialogs, BeatSink onBeat);
  /// Shuts the module down if shutdown() has not run.
  ~LiveHost();
  LiveHost(const LiveHost&) = delete;
  LiveHost& operator=(const LiveHost&) = delete;

  RealClock& clock() { return clock_; }
  /// The plug-in's automation interface; std::runtime_error after
  /// shutdown().
  IPluginAutomation& automation();

  /// The entries of a drop-down list of the main window ("devicesBox",
  /// "inputBox", "methodBox"), in order.
  std::vector<std::string> entries(const std::string& list);
  /// The selected position of that list; -1 for none.
  int32_t selected(const std::string& list);
  /// Picks entry `position` of the list, as a user does; std::runtime_error
  /// with the plug-in's message when it refuses.
  void select(const std::string& list, int32_t position);
  /// Drags a slider of the main window to `value`.
  void slide(const std::string& slider, int32_t value);

  /// Clicks the start button while the capture is stopped. True when the
  /// capture then runs; false when the plug-in refused the start (it has
  /// shown its message box).
  bool start();
  /// Clicks the start button while the capture runs; nothing otherwise.
  void stop();
  /// Whether the capture runs (the plug-in's `Recording`).
  bool capturing();
  /// The clock's time of the last successful start.
  TimeMs startedMs() const { return startedMs_; }

  /// Why run() returned.
  enum class Wake {
    Condition,       // `until` held
    Deadline,        // the clock reached the deadline
    Woken,           // `wakeFd` became readable
    CaptureStopped,  // the capture ended on its own (the plug-in stopped it)
  };
  /// The event loop: sleeps until the clock's next event is due (or
  /// `wakeFd`, when not -1, becomes readable), runs the due events, hands on
  /// the beat messages they sent, and checks `until` (when given) after
  /// each round. Returns at `deadlineMs` on the clock, on `wakeFd`, when
  /// `until` holds, or when a capture that ran at the call has stopped.
  /// Never waits while an event is due, never spins while none is.
  Wake run(std::optional<TimeMs> deadlineMs, int wakeFd = -1, const std::function<bool()>& until = {});

  /// The errors that timer events raised since the last call (the plug-in
  /// went on after each).
  std::vector<std::string> takeEventErrors();
  /// Ends the module (the main window's close handlers run) and releases
  /// the plug-in's objects. Empty when it went well, else the message of
  /// the error a close handler raised. Later calls do nothing.
  std::string shutdown();

 private:
  class Helper;

  void deliverBeats();

  RealClock clock_;
  BeatSink onBeat_;
  std::shared_ptr<Helper> helper_;
  PluginLibrary library_;
  std::shared_ptr<IclsLMQPlugIn> plugin_;
  std::shared_ptr<IPluginAutomation> automation_;
  std::shared_ptr<IExternalWindow> window_;
  TimeMs startedMs_ = 0;
  bool ended_ = false;
};

}  // namespace tactolo::app
