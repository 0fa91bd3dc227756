// The plug-in's module state: one instance per loaded library. It holds the
// platform services the logic runs on (clock, capture library, dialogs), the
// host facade (PluginHelper), the shared beat variables and the single window
// instances, created on first use.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "audio/capture_library.h"
#include "mainwindow/beat_variables.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "shell/host_services.h"

namespace tactolo {

class TactoloMain;

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
  std::deque<std::string> eventErrors_;
};

}  // namespace tactolo
