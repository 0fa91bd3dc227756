// The plug-in's module state: one instance per loaded library. It holds the
// platform services the logic runs on (clock, capture library, dialogs), the
// host facade (PluginHelper), the shared beat variables and the single window
// instances, created on first use.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "audio/capture_library.h"
#include "mainwindow/beat_variables.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "shell/host_services.h"

namespace tactolo {

class TactoloMain;
class VUConfigForm;
class MainWindowHost;

struct PluginEnvironment {
  Clock& clock;
  CaptureLibrary& capture;
  DialogService& dialogs;
};

class PluginModule {
 public:
  explicit PluginModule(PluginEnvironment environment);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  Clock& clock() { return env_.clock; }
  CaptureLibrary& capture() { return env_.capture; }
  DialogService& dialogs() { return env_.dialogs; }
  /// The facade over the host's helper object.
  HostServices& PluginHelper() { return host_; }
  BeatVariables& vars() { return vars_; }

  /// The main window instance: created on first use, not loaded by this.
  TactoloMain& mainWindow();
  bool hasMainWindow() const { return main_ != nullptr; }
  /// The main window as the host drives it (tool window, project data); one
  /// object for the module's life, so every ModuleInfo names the same one.
  std::shared_ptr<MainWindowHost> mainWindowHost();
  /// The VU configuration editor: created on first use, not loaded by this.
  VUConfigForm& vuConfigForm();

  /// The windows loaded now, by name, in the order they were loaded.
  const std::vector<std::string>& loadedWindows() const { return loadedWindows_; }
  /// True when a window of this name (compared without regard to case) is loaded.
  bool isWindowLoaded(const std::string& name) const;
  void windowLoaded(const std::string& name);
  void windowUnloaded(const std::string& name);

  /// An error raised by an event that no host call is waiting for (a timer
  /// tick, a failed beat message): kept so that a view or the script host can
  /// show it, while the plug-in keeps running. The newest 100 are kept.
  void reportEventError(const std::string& message);
  const std::deque<std::string>& eventErrors() const { return eventErrors_; }
  void clearEventErrors() { eventErrors_.clear(); }

 private:
  PluginEnvironment env_;
  HostServices host_;
  BeatVariables vars_;
  std::unique_ptr<TactoloMain> main_;
  std::shared_ptr<MainWindowHost> mainHost_;
  std::unique_ptr<VUConfigForm> vuConfigForm_;
  std::vector<std::string> loadedWindows_;
  std::deque<std::string> eventErrors_;
};

}  // namespace tactolo
