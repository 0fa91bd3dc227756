// TactoloCommands: the plug-in's commands offered to the host's command system.
#pragma once

#include "platform/host_interfaces.h"

namespace tactolo {

class PluginModule;

class TactoloCommands final : public ICommandServer {
 public:
  explicit TactoloCommands(PluginModule& module) : module_(module) {}

  HostResult<std::string> Name() override;
  HostResult<std::shared_ptr<CommandOptions>> GetFirstOptions() override;
  HostResult<std::shared_ptr<CommandOptions>> GetSecondOptions(std::string& firstSelection) override;
  HostStatus ExecuteCommand(std::string& firstSelection, std::string& secondSelection,
                            int32_t& newValue) override;

 private:
  [[maybe_unused]] PluginModule& module_;
};

}  // namespace tactolo
