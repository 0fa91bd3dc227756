#include "shell/main_window_host.h"

#include <limits>
#include <stdexcept>
#include <string>

#include "mainwindow/tactolo_main.h"
#include "module/beat_variables.h"
#include "module/host_services.h"
#include "shell/host_call.h"
#include "shell/live_module.h"
#include "shell/project_settings.h"
#include "shell/window_placement.h"

namespace tactolo {

HostResult<bool> MainWindowHost::isOpen() {
  return moduleCall(slot_, [](LiveModule& live) { return live.module().isWindowLoaded(TactoloMain::kName); });
}

HostResult<bool> MainWindowHost::loadWindow() {
  return moduleCall(slot_, [](LiveModule& live) {
    if (!live.module().isWindowLoaded(TactoloMain::kName)) live.windows().mainWindow().load();
    return false;
  });
}

HostResult<bool> MainWindowHost::unloadWindow() {
  return moduleCall(slot_, [](LiveModule& live) {
    if (!live.module().isWindowLoaded(TactoloMain::kName)) return false;
    TactoloMain& main = live.windows().mainWindow();
    BeatVariables& v = live.module().vars();
    if (v.Recording) {
      // Stop the capture's timers before the close handlers run.
      v.Recording = false;
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
  return moduleCall(slot_, [](LiveModule& live) {
    live.windows().mainWindow().hide();
    return false;
  });
}

HostResult<bool> MainWindowHost::showWindow() {
  return moduleCall(slot_, [](LiveModule& live) {
    if (live.module().isWindowLoaded(TactoloMain::kName)) live.windows().mainWindow().show();
    return false;
  });
}

HostResult<int32_t> MainWindowHost::WindowState() {
  return moduleCall(slot_, [](LiveModule& live) {
    return static_cast<int32_t>(live.windows().mainWindow().form().windowState());
  });
}

HostStatus MainWindowHost::SetWindowState(int32_t& value) {
  return moduleCall(slot_, [&](LiveModule& live) {
    live.module().dialogs().messageBox("let WindowState =" + std::to_string(value), "", MessageIcon::None,
                                       MessageButtons::Ok);
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
      throw std::overflow_error("Overflow");
    }
    live.windows().mainWindow().form().setWindowState(static_cast<int16_t>(value));
  });
}

HostStatus MainWindowHost::ClearProjectData() {
  // The current settings stay.
  return moduleCall(slot_, [](LiveModule&) {});
}

HostStatus MainWindowHost::LoadProjectData() {
  return moduleCall(slot_, [](LiveModule& live) {
    TactoloMain& main = live.windows().mainWindow();
    main.load();
    LoadWindowPlacement(main.form(), *main.hostSettings);
    // The project's configurations are listed before the settings are
    // applied: the listing selects the first one, and "_VuConfig" then
    // chooses among the configurations of the project just loaded, not those
    // of the one before, and lasts.
    main.ListVuConfigurations();
    LoadSettings(main, live.module().vars());
  });
}

HostStatus MainWindowHost::SaveProjectData() {
  return moduleCall(slot_, [](LiveModule& live) {
    TactoloMain& main = live.windows().mainWindow();
    main.load();
    SaveWindowPlacement(main.form(), *main.hostSettings);
    SaveSettings(main);
  });
}

HostResult<bool> MainWindowHost::AskToSaveProjectData() {
  return moduleCall(slot_, [](LiveModule&) { return false; });
}

HostStatus MainWindowHost::SetViewMode(int32_t /*value*/) {
  return moduleCall(slot_, [](LiveModule&) {});
}

}  // namespace tactolo
