// TactoloCommands: the plug-in's commands offered to the host's command system.
#pragma once

#include <memory>

#include "platform/host_interfaces.h"
#include "shell/module_slot.h"

namespace tactolo {

class TactoloCommands final : public ICommandServer {
 public:
  explicit TactoloCommands(std::shared_ptr<ModuleSlot> slot) : slot_(std::move(slot)) {}

  HostResult<std::string> Name() override;
  HostResult<std::shared_ptr<CommandOptions>> GetFirstOptions() override;
  HostResult<std::shared_ptr<CommandOptions>> GetSecondOptions(std::string& firstSelection) override;
  HostStatus ExecuteCommand(std::string& firstSelection, std::string& secondSelection, int32_t& newValue,
                            std::shared_ptr<IHostObject>& stream,
                            std::shared_ptr<IHostObject>& additionalData) override;

 private:
  std::shared_ptr<ModuleSlot> slot_;
};

}  // namespace tactolo
