#include "shell/main_window_host.h"

#include <limits>
#include <stdexcept>
#include <string>

#include "mainwindow/beat_variables.h"
#include "mainwindow/tactolo_main.h"
#include "shell/host_call.h"
#include "shell/plugin_module.h"

namespace tactolo {

HostResult<bool> MainWindowHost::isOpen() {
  return hostCall([&] { return module_.isWindowLoaded(TactoloMain::kName); });
}

HostResult<bool> MainWindowHost::loadWindow() {
  return hostCall([&] {
    if (!module_.isWindowLoaded(TactoloMain::kName)) module_.mainWindow().load();
    return false;
  });
}

HostResult<bool> MainWindowHost::unloadWindow() {
  return hostCall([&] {
    if (!module_.isWindowLoaded(TactoloMain::kName)) return false;
    TactoloMain& main = module_.mainWindow();
    if (module_.vars().Recording) {
      // Stop the capture's timers before the close handlers run.
      module_.vars().Recording = false;
      main.beatTimer->setEnabled(false);
      main.startTimer->setEnabled(false);
      main.maxBpmTimer->setEnabled(false);
      main.beatClearTimer->setEnabled(false);
      main.generateTimer->setEnabled(false);
    }
    main.unload();
    return false;
  });
}

HostResult<bool> MainWindowHost::hideWindow() {
  return hostCall([&] {
    module_.mainWindow().hide();
    return false;
  });
}

HostResult<bool> MainWindowHost::showWindow() {
  return hostCall([&] {
    if (module_.isWindowLoaded(TactoloMain::kName)) module_.mainWindow().show();
    return false;
  });
}

HostResult<int32_t> MainWindowHost::WindowState() {
  return hostCall([&] { return static_cast<int32_t>(module_.mainWindow().form().windowState()); });
}

HostStatus MainWindowHost::SetWindowState(int32_t& value) {
  return hostCall([&] {
    module_.dialogs().messageBox("let WindowState =" + std::to_string(value), "", MessageIcon::None,
                                 MessageButtons::Ok);
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
      throw std::overflow_error("Overflow");
    }
    module_.mainWindow().form().setWindowState(static_cast<int16_t>(value));
  });
}

HostStatus MainWindowHost::ClearProjectData() {
  return hostOk();  // the current settings stay
}

HostStatus MainWindowHost::LoadProjectData() {
  return HostStatus::failure("Project data cannot be loaded yet");
}

HostStatus MainWindowHost::SaveProjectData() {
  return HostStatus::failure("Project data cannot be saved yet");
}

HostResult<bool> MainWindowHost::AskToSaveProjectData() { return HostResult<bool>::success(false); }

HostStatus MainWindowHost::SetViewMode(int32_t /*value*/) { return hostOk(); }

}  // namespace tactolo
