// The main window as the host drives it: the tool-window interface and the
// project-data interface of TactoloMain.
#pragma once

#include <memory>

#include "platform/host_interfaces.h"
#include "shell/module_slot.h"

namespace tactolo {

class MainWindowHost final : public IExternalWindow, public ILMQTool {
 public:
  explicit MainWindowHost(std::shared_ptr<ModuleSlot> slot) : slot_(std::move(slot)) {}

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
  std::shared_ptr<ModuleSlot> slot_;
};

}  // namespace tactolo
