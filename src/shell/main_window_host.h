// The main window as the host drives it: the tool-window interface and the
// project-data interface of TactoloMain.
#pragma once

#include "platform/host_interfaces.h"

namespace tactolo {

class PluginModule;

class MainWindowHost final : public IExternalWindow, public ILMQTool {
 public:
  explicit MainWindowHost(PluginModule& module) : module_(module) {}

  // IExternalWindow: the four actions answer false also when they did their work.
  HostResult<bool> isOpen() override;
  HostResult<bool> loadWindow() override;
  HostResult<bool> unloadWindow() override;
  HostResult<bool> hideWindow() override;
  HostResult<bool> showWindow() override;
  HostResult<int32_t> WindowState() override;
  HostStatus SetWindowState(int32_t& value) override;

  // ILMQTool
  HostStatus ClearProjectData() override;
  HostStatus LoadProjectData() override;
  HostStatus SaveProjectData() override;
  HostResult<bool> AskToSaveProjectData() override;
  HostStatus SetViewMode(int32_t value) override;

 private:
  PluginModule& module_;
};

}  // namespace tactolo
