// A show on an open project from its start to its end, in the order a
// lighting host opens and closes a show. Every front end of ours runs its
// shows through it (`tactolo live`, the desktop).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/project_settings.h"
#include "host/show.h"

namespace tactolo::host {

/// What the show runs on: the front end's clock, capture back-end and
/// dialogs, each outliving the session.
struct ShowServices {
  EventClock& clock;
  CaptureLibrary& capture;
  DialogService& dialogs;
};

class ShowSession {
 public:
  /// The start: the Show on `project`'s settings and location with `setup`
  /// (its outputs and actions as the front end chose them), the main window
  /// loaded (and shown when `showWindow`), then the project's settings
  /// loaded into it (LoadProjectData). A load that does not take every
  /// setting is no failure: loadError() says why, and the project's
  /// settings are then not saved at the end, so that nothing of them is
  /// lost. std::runtime_error or std::invalid_argument when the show cannot
  /// be made or the window does not load. `project` must outlive the
  /// session.
  ShowSession(OpenProject& project, const ShowSetup& setup, ShowServices services, Show::Warn warn,
              bool showWindow = true);
  ShowSession(const ShowSession&) = delete;
  ShowSession& operator=(const ShowSession&) = delete;

  Show& show() { return *show_; }
  PluginHost& host() { return show_->host(); }
  OpenProject& project() { return project_; }
  /// Empty when LoadProjectData took every setting, else the plug-in's
  /// message.
  const std::string& loadError() const { return loadError_; }

  /// While the show runs: the plug-in's settings saved into the project
  /// (SaveProjectData) and the project written. StoreError, or
  /// std::runtime_error with the plug-in's message when SaveProjectData
  /// fails (nothing is written then).
  void save();

  /// The end, first part: the capture stopped, the settings saved into the
  /// project when `saveSettings` and the load took them all (else the
  /// project keeps the settings it opened with), the window unloaded, Term,
  /// the library's module ended; each step whatever the one before did. The
  /// failures in order, one line each. Later calls do nothing.
  std::vector<std::string> endPlugin(bool saveSettings);
  /// Whether the project holds the settings of the end: endPlugin() saved
  /// them and SaveProjectData went well.
  bool settingsSaved() const { return settingsSaved_; }
  /// The end, last part, after the project was written or not: the outputs
  /// close (sACN's stream-terminated packets go out).
  void closeOutputs() { show_->closeOutputs(); }

 private:
  OpenProject& project_;
  std::unique_ptr<Show> show_;
  std::string loadError_;
  bool ended_ = false;
  bool settingsSaved_ = false;
};

}  // namespace tactolo::host
