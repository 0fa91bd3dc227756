// The plug-in as every front end of ours hosts it: its library opened, the
// plug-in object Inited with a helper object, its main window loaded and
// shown, and each beat message handed on with the tempo and the kind of beat
// the window showed with it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/beat_event.h"
#include "host/plugin_library.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/host_interfaces.h"

namespace tactolo {
class CaptureLibrary;
}

namespace tactolo::host {

/// The parts of the helper object that a front end chooses: where the
/// settings are kept, where DMX goes, the project, and the translator of the
/// user's language (null: every text as it is given). Each must outlive the
/// host.
struct HelperParts {
  ISettings& settings;
  IMyStream& stream;
  IProject& project;
  ITranslator* translator = nullptr;
};

/// One entry of the command server's option lists: its key and its text in
/// the user's language.
struct CommandOption {
  std::string key;
  std::string text;
};

/// The entry of `entries` that `wanted` names: decimal digits are a
/// position; anything else is a name, matched exactly, or else as the one
/// entry that contains it without regard to ASCII case. nullopt when none
/// (or, by containment, more than one) matches.
std::optional<int32_t> findEntry(const std::vector<std::string>& entries, std::string_view wanted);

/// The plug-in in its library on a clock the front end drives (the terminal's
/// poll loop on a RealClock, a desktop's timer, a VirtualClock). The host
/// acts on it as a user would (select, slide, click) through the automation
/// interface, and as a lighting host does through its host interfaces
/// (project data, commands).
///
/// Beat messages are handed on after each clock event, once the event has
/// run to its end, and after each call of the host's that may send one
/// (deliverBeats): each with the tempo the window shows (bpmLabel) and the
/// kind the indicator's colour tells (green detected, red generated, blue
/// manual; bright or dim as beat output is on or off).
///
/// The clock, the capture back-end and the dialog service belong to the
/// caller and must outlive this object. Everything here is for one thread,
/// the one that drives the clock.
class PluginHost {
 public:
  using BeatSink = std::function<void(const BeatEvent&)>;

  /// Opens the plug-in library at `pluginPath`, creates the plug-in on
  /// `clock`, `capture`, `dialogs` and the desktop's system colours
  /// (`colors`; null: the standard ones) and Inits it with a helper object
  /// made of `parts` and its own message service. Takes the main window and
  /// the command server from the module information. std::runtime_error
  /// with a one-line message when any of that fails.
  PluginHost(const std::string& pluginPath, const std::string& title, EventClock& clock,
             CaptureLibrary& capture, DialogService& dialogs, HelperParts parts,
             const SystemColors* colors = nullptr);
  /// Ends the module if shutdown() has not run.
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  EventClock& clock() { return clock_; }
  PluginLibrary& library() { return library_; }
  /// The plug-in's automation interface; std::runtime_error after
  /// shutdown().
  IPluginAutomation& automation();
  /// The same, for a view that keeps it (it must let go of it before this
  /// host ends).
  std::shared_ptr<IPluginAutomation> sharedAutomation() { return automation_; }
  /// The command server the module information handed out.
  ICommandServer& commands();

  /// Gets every beat message from now on, in order.
  void setBeatSink(BeatSink sink) { onBeat_ = std::move(sink); }

  /// Loads the main window and, when `show`, shows it, as a user finds it
  /// after opening the tool window; std::runtime_error when it does not
  /// load.
  void loadWindow(bool show = true);
  /// Shows or hides the loaded main window (the tool window's showWindow
  /// and hideWindow); std::runtime_error with the plug-in's message.
  void showWindow(bool shown);
  /// The plug-in's Configure: opens the VU configuration editor.
  /// std::runtime_error with the plug-in's message.
  void configure();
  /// The project data calls of the main window (ILMQTool). Empty when they
  /// went well, else the plug-in's message.
  std::string loadProjectData();
  std::string saveProjectData();
  /// ExecuteCommand on the command server, then hands on the beats it sent.
  HostStatus executeCommand(const std::string& first, const std::string& second, int32_t value);
  /// The command server's first options (GetFirstOptions), and the second
  /// options of the first option `first` (GetSecondOptions), texts through
  /// the translator; std::runtime_error with the plug-in's message.
  std::vector<CommandOption> firstOptions();
  std::vector<CommandOption> secondOptions(const std::string& first);

  /// The entries of a drop-down list of the main window ("devicesBox",
  /// "inputBox", "methodBox"), in order.
  std::vector<std::string> entries(const std::string& list);
  /// The selected position of that list; -1 for none.
  int32_t selected(const std::string& list);
  /// The text of the selected entry of `list`; nullopt when none is.
  std::optional<std::string> selectedText(const std::string& list);
  /// Picks entry `position` of the list, as a user does; std::runtime_error
  /// with the plug-in's message when it refuses.
  void select(const std::string& list, int32_t position);
  /// Drags a slider of the main window to `value`.
  void slide(const std::string& slider, int32_t value);
  /// Clicks a button or check box of the main window.
  void click(const std::string& control);

  /// Starts the capture as the command "Tactolo On" does. True when the
  /// capture then runs; false when the plug-in refused the start (it has
  /// shown its message box).
  bool start();
  /// Stops a running capture as the command "Tactolo Off" does.
  void stop();
  /// Whether the capture runs (the plug-in's `Recording`).
  bool capturing();
  /// The clock's time of the first successful start.
  TimeMs startedMs() const { return startedMs_; }

  /// A variable of the module state (`Keeping`, `VuLevelLeft`, ...).
  AutomationValue state(const std::string& name);
  /// A property of a control of the main window.
  AutomationValue property(const std::string& control, const std::string& name);

  /// Hands on the beat messages sent since the last call. The clock's
  /// events and executeCommand() call it themselves; a front end calls it
  /// after anything else that reached the plug-in (a command server call of
  /// its own). std::runtime_error when a message came without a beat shown.
  void deliverBeats();

  /// The errors that events raised since the last call (the plug-in went
  /// on after each).
  std::vector<std::string> takeEventErrors();

  /// Ends the run as a lighting host closes a show: stops the capture,
  /// saves the project data when `saveProject` (SaveProjectData), unloads
  /// the main window, Terms the plug-in and shuts the library's module
  /// down, in that order, each step whatever the one before it did. The
  /// failures of the steps, in order; a failed SaveProjectData is named as
  /// such ("SaveProjectData: ..."). Later calls do nothing.
  std::vector<std::string> finish(bool saveProject);
  /// Ends the module (the main window's close handlers run) and releases
  /// the plug-in's objects. Empty when it went well, else the message of
  /// the error a close handler raised. Later calls do nothing.
  std::string shutdown();

 private:
  class Helper;

  EventClock& clock_;
  BeatSink onBeat_;
  std::shared_ptr<Helper> helper_;
  PluginLibrary library_;
  std::shared_ptr<IclsLMQPlugIn> plugin_;
  std::shared_ptr<IPluginAutomation> automation_;
  std::shared_ptr<IExternalWindow> window_;
  std::shared_ptr<ILMQTool> tool_;
  std::shared_ptr<ICommandServer> commands_;
  TimeMs startedMs_ = 0;
  bool started_ = false;
  bool ended_ = false;
};

}  // namespace tactolo::host
