// Everything one module of the library holds, from the first object a host
// creates to tactolo_shutdown(): the module state, the window instances, the
// main window's host interfaces, and the slot through which the objects
// handed to the host reach all this.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "module/plugin_module.h"
#include "shell/form_notifier.h"
#include "shell/module_slot.h"
#include "shell/window_registry.h"

namespace tactolo {

class MainWindowHost;

class LiveModule {
 public:
  explicit LiveModule(PluginEnvironment environment);
  /// Runs no handler: call shutdown() first (until then the module's windows
  /// may be loaded, and their close handlers have not run).
  ~LiveModule();
  LiveModule(const LiveModule&) = delete;
  LiveModule& operator=(const LiveModule&) = delete;

  PluginModule& module() { return module_; }
  WindowRegistry& windows() { return windows_; }
  /// Tells the host's views of the windows' changes.
  FormNotifier& formNotifier() { return notifier_; }
  /// The slot the module's objects hold.
  const std::shared_ptr<ModuleSlot>& slot() const { return slot_; }
  /// The main window as the host drives it (tool window, project data): one
  /// object for the module's life, so every ModuleInfo names the same one.
  std::shared_ptr<MainWindowHost> mainWindowHost();

  /// True while the module's code runs: a host call (ModuleCall), a clock
  /// event, the close handlers of shutdown().
  bool busy() const { return module_.running(); }
  /// Ends the module: its slot leads nowhere from now on, and every loaded
  /// window unloads, running its close handlers, during which the module is
  /// busy. Returns the errors those raised; the module is ended either way.
  std::vector<std::string> shutdown();

 private:
  PluginModule module_;
  FormNotifier notifier_;
  WindowRegistry windows_;
  std::shared_ptr<ModuleSlot> slot_;
  std::shared_ptr<MainWindowHost> mainHost_;
};

}  // namespace tactolo
