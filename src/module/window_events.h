// How the module tells of its windows' lives.
//
// The windows report to the module when they load, unload and are shown
// modal (PluginModule::windowLoaded and the rest). Hosts' views follow the
// windows through the shell, which implements this interface and connects
// it to the module; without it the module keeps its lists only.
#pragma once

#include <string>

#include "platform/control_model.h"

namespace tactolo {

class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  /// `form` has loaded (its load handler has run) and lives until the
  /// window unloads.
  virtual void windowLoaded(const std::string& name, Form& form) = 0;
  /// The window's form is gone.
  virtual void windowUnloaded(const std::string& name) = 0;
  virtual void modalShown(const std::string& name) = 0;
  virtual void modalEnded(const std::string& name) = 0;
};

}  // namespace tactolo
