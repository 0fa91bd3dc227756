// The single window instances of a module. Each is created on its first use
// and kept for the module's life; creating one does not load it (its window
// loads on the first use of the window itself). Code below the windows
// reaches them through the interfaces the registry implements: the main
// window's controls (MainWindowAccess, module/) and the VU windows
// (VuWindows, vu/).
//
// A window added to the plug-in gets its instance here and a branch in
// loadedForm() and closeByUser(), so that hosts can act on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mainwindow/tactolo_main.h"
#include "module/main_window_access.h"
#include "module/plugin_module.h"
#include "vu/vu_config_form.h"
#include "vu/vu_point_config_form.h"
#include "vu/vu_windows.h"

namespace tactolo {

class WindowRegistry final : public MainWindowAccess, public VuWindows {
 public:
  /// Connects itself to `module` as the way to the main window.
  explicit WindowRegistry(PluginModule& module);
  ~WindowRegistry() override;
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;

  /// The main window instance: created on first use, not loaded by this.
  TactoloMain& mainWindow();
  bool hasMainWindow() const { return main_ != nullptr; }
  VUConfigForm& vuConfigForm() override;
  VUPointConfigForm& vuPointConfigForm() override;

  // MainWindowAccess: the controls load the main window first.
  ComboBox& ConfCombo() override;
  CheckBox& SendVuCheck() override;

  /// The form of the loaded window called `name` (without regard to case);
  /// null when no such window is loaded. Never loads a window.
  Form* loadedForm(const std::string& name);
  /// The close box of the loaded window called `name`: the window's own
  /// close handlers run. Does nothing when it is not loaded.
  void closeByUser(const std::string& name);
  /// Unloads every loaded window, running its close handlers. An error one
  /// raises does not stop the others; the errors come back in order.
  std::vector<std::string> unloadAll();

 private:
  PluginModule& module_;
  std::unique_ptr<TactoloMain> main_;
  std::unique_ptr<VUConfigForm> vuConfigForm_;
  std::unique_ptr<VUPointConfigForm> vuPointConfigForm_;
};

}  // namespace tactolo
