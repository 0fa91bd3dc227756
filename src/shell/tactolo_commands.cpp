#include "shell/tactolo_commands.h"

namespace tactolo {

HostResult<std::string> TactoloCommands::Name() { return HostResult<std::string>::success("Tactolo"); }

// The command list and its execution are not offered yet: the host is told so
// rather than shown an empty list.
HostResult<std::shared_ptr<CommandOptions>> TactoloCommands::GetFirstOptions() {
  return HostResult<std::shared_ptr<CommandOptions>>::failure("Tactolo offers no commands yet");
}

HostResult<std::shared_ptr<CommandOptions>> TactoloCommands::GetSecondOptions(
    std::string& /*firstSelection*/) {
  return HostResult<std::shared_ptr<CommandOptions>>::failure("Tactolo offers no commands yet");
}

HostStatus TactoloCommands::ExecuteCommand(std::string& /*firstSelection*/, std::string& /*secondSelection*/,
                                           int32_t& /*newValue*/) {
  return HostStatus::failure("Tactolo offers no commands yet");
}

}  // namespace tactolo
