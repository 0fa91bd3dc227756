#include "shell/tactolo_commands.h"

#include <stdexcept>

#include "shell/host_call.h"

namespace tactolo {

namespace {
// The command list and its execution are not offered yet: the host is told so
// rather than shown an empty list.
[[noreturn]] void noCommandsYet() { throw std::runtime_error("Tactolo offers no commands yet"); }
}  // namespace

HostResult<std::string> TactoloCommands::Name() {
  return moduleCall(slot_, [](LiveModule&) { return std::string("Tactolo"); });
}

HostResult<std::shared_ptr<CommandOptions>> TactoloCommands::GetFirstOptions() {
  return moduleCall(slot_, [](LiveModule&) -> std::shared_ptr<CommandOptions> { noCommandsYet(); });
}

HostResult<std::shared_ptr<CommandOptions>> TactoloCommands::GetSecondOptions(
    std::string& /*firstSelection*/) {
  return moduleCall(slot_, [](LiveModule&) -> std::shared_ptr<CommandOptions> { noCommandsYet(); });
}

HostStatus TactoloCommands::ExecuteCommand(std::string& /*firstSelection*/, std::string& /*secondSelection*/,
                                           int32_t& /*newValue*/, std::shared_ptr<IHostObject>& /*stream*/,
                                           std::shared_ptr<IHostObject>& /*additionalData*/) {
  return moduleCall(slot_, [](LiveModule&) { noCommandsYet(); });
}

}  // namespace tactolo
