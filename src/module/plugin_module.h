// The plug-in's module state: one instance per live module of the library,
// shared by the windows' handlers and the code that works for them. It holds
// the platform services the logic runs on (clock, capture library, dialogs),
// the facade over the host's helper object (PluginHelper), the beat
// variables, the VU meter's variables, the list of loaded windows (and which
// of them are shown modal), the errors of events no caller waits for and
// whether the plug-in's code is running. The window instances themselves live
// above, in the shell's registry; code below the windows reaches the main window through mainWindow().
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "audio/capture_library.h"
#include "module/beat_variables.h"
#include "module/host_services.h"
#include "module/main_window_access.h"
#include "module/method_variables.h"
#include "module/vu_variables.h"
#include "module/window_events.h"
#include "platform/clock.h"
#include "platform/control_model.h"
#include "platform/dialogs.h"

namespace tactolo {

struct PluginEnvironment {
  Clock& clock;
  CaptureLibrary& capture;
  DialogService& dialogs;
  /// The desktop's system colours, which colours above 0xFFFFFF name.
  const SystemColors& colors = StandardSystemColors();
};

class PluginModule {
 public:
  explicit PluginModule(PluginEnvironment environment);
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  Clock& clock() { return env_.clock; }
  CaptureLibrary& capture() { return env_.capture; }
  DialogService& dialogs() { return env_.dialogs; }
  const SystemColors& systemColors() const { return env_.colors; }
  /// The facade over the host's helper object.
  HostServices& PluginHelper() { return host_; }
  BeatVariables& vars() { return vars_; }
  const BeatVariables& vars() const { return vars_; }
  /// The VU meter's variables: the active configuration, the output's lit
  /// states, the point being edited.
  VuVariables& vu() { return vu_; }
  const VuVariables& vu() const { return vu_; }
  /// The detection methods' state of the loaded main window (all null while
  /// it is not loaded); the detection cycle connects them when it is built
  /// and disconnects them when it goes.
  const MethodVariables& methods() const { return methods_; }
  void connectMethods(MethodVariables methods) { methods_ = methods; }

  /// The main window as lower layers reach it; std::logic_error until the
  /// shell has connected its registry.
  MainWindowAccess& mainWindow();
  void connectMainWindow(MainWindowAccess& access) { mainWindow_ = &access; }

  /// The windows loaded now, by name, in the order they were loaded.
  const std::vector<std::string>& loadedWindows() const { return loadedWindows_; }
  /// True when a window of this name (compared without regard to case) is loaded.
  bool isWindowLoaded(const std::string& name) const;
  /// The window `name` has loaded with `form`, which lives until it unloads.
  void windowLoaded(const std::string& name, Form& form);
  /// The window `name` has unloaded; its form is gone.
  void windowUnloaded(const std::string& name);
  /// Where the windows' lives are told besides these lists (the shell's
  /// views); none until connected.
  void connectWindowEvents(WindowEvents& events) { windowEvents_ = &events; }

  /// A window shown modal: while it is shown, the user reaches no other
  /// window. Windows shown modal from within a modal window stack up; the
  /// last one shown is the one the user reaches.
  void modalShown(const std::string& name);
  void modalEnded(const std::string& name);
  /// True while the window `name` is shown modal.
  bool isModal(const std::string& name) const;
  /// The window the user is confined to, null when none is shown modal.
  const std::string* modalWindow() const { return modalWindows_.empty() ? nullptr : &modalWindows_.back(); }

  /// Marks the plug-in's code as running for its lifetime: a host call, a
  /// clock event, the close handlers of a shutdown. The host may call the
  /// library from inside any of them (from its message service or its
  /// capture library); while one runs, the module must not end under it.
  class Running {
   public:
    explicit Running(PluginModule& module) : module_(module) { ++module_.running_; }
    ~Running() { --module_.running_; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

   private:
    PluginModule& module_;
  };
  /// True while any Running lives.
  bool running() const { return running_ > 0; }

  /// An error raised by an event that no host call is waiting for (a timer
  /// tick, a failed beat message): kept so that a view or the script host can
  /// show it, while the plug-in keeps running. The newest 100 are kept.
  void reportEventError(const std::string& message);
  const std::deque<std::string>& eventErrors() const { return eventErrors_; }
  /// The kept errors, oldest first; forgets them.
  std::vector<std::string> takeEventErrors();

 private:
  PluginEnvironment env_;
  HostServices host_;
  BeatVariables vars_;
  VuVariables vu_;
  MethodVariables methods_;
  MainWindowAccess* mainWindow_ = nullptr;
  WindowEvents* windowEvents_ = nullptr;
  std::vector<std::string> loadedWindows_;
  std::vector<std::string> modalWindows_;
  std::deque<std::string> eventErrors_;
  int running_ = 0;
};

}  // namespace tactolo
