// What the script host runs the plug-in in: the platform services (virtual
// clock, scripted capture library, dialogs), the host's helper object with
// its project folder, and the opened plug-in library with the objects it
// handed to the host.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/raising_capture.h"
#include "audio/scripted_capture.h"
#include "host/plugin_library.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "project_folder.h"

namespace tactolo::app {

/// The dialog service of the script host: records every dialog and answers
/// from the queues of HeadlessDialogs. A form shown modal hands control back
/// to the script here: modalWait runs the following script lines (through
/// `runLines`, the runner's own loop) until the form is hidden, so that they
/// act on it; then the handler that showed it goes on.
class ScriptDialogs final : public DialogService {
 public:
  DialogAnswer messageBox(const std::string& text, const std::string& title, MessageIcon icon,
                          MessageButtons buttons) override {
    return recorder.messageBox(text, title, icon, buttons);
  }
  std::optional<std::string> fileSave(const FileSaveRequest& request) override {
    return recorder.fileSave(request);
  }
  std::optional<uint32_t> chooseColor(uint32_t initialColor) override {
    return recorder.chooseColor(initialColor);
  }
  /// Returns when the form is hidden, or when the script has no more lines
  /// (or stopped on one it cannot parse) while the form is still shown.
  void modalWait(const std::function<bool()>& shown) override {
    if (runLines) runLines(shown);
  }

  HeadlessDialogs recorder;
  /// Runs script lines while the predicate holds; false when the script
  /// stopped. Set by the runner.
  std::function<bool(const std::function<bool()>& keepGoing)> runLines;
};

/// Everything one script runs in. Members are destroyed in reverse order:
/// the objects the library handed out, then the library (its module ends
/// before it is closed), and only then the platform services it used.
class ScriptWorld {
 public:
  explicit ScriptWorld(const std::string& pluginPath);
  ~ScriptWorld();

  /// Sets the host project's name and base file name (folder/name).
  void setProject(const std::string& name, const std::filesystem::path& folder);
  /// Releases the objects the library handed out and ends its module, as a
  /// host does before it exits; failure carries the error a window's close
  /// handler raised.
  HostStatus shutdown();
  /// A stable label ("#1", "#2", ...) for an object the plug-in handed out;
  /// the object is kept alive so that its address is never reused.
  std::string label(std::shared_ptr<const void> object);

  VirtualClock clock;
  ScriptedCaptureLibrary capture{clock};
  /// What the plug-in calls: the scripted capture, which it can make raise.
  RaisingCaptureLibrary raising{capture};
  ScriptDialogs dialogs;
  std::shared_ptr<HeadlessHelper> helper;
  ProjectFolder project;

  std::unique_ptr<host::PluginLibrary> library;
  std::shared_ptr<IclsLMQPlugIn> plugin;
  /// How the script acts on the windows and looks inside the plug-in.
  std::shared_ptr<IPluginAutomation> automation;
  // The interfaces the host took from the latest ModuleInfo.
  std::shared_ptr<IExternalWindow> window;
  std::shared_ptr<ILMQTool> tool;
  std::shared_ptr<ICommandServer> commands;

 private:
  std::vector<std::shared_ptr<const void>> labelled_;
  std::map<const void*, int> labels_;
};

}  // namespace tactolo::app
