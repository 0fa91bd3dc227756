// TactoloCommands: the plug-in's commands offered to the host's command
// system. A command is chosen in two steps (a first selection, the command;
// a second one for it) and executed later with a number. Every command acts
// on the single main window as a user working its controls would; a window
// not loaded yet is loaded first and stays hidden.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/host_interfaces.h"
#include "shell/module_slot.h"

namespace tactolo {

/// The number a command works with: the host's value divided by 1000,
/// truncated toward zero (-1999..-1000 give -1, -999..999 give 0,
/// 1000..1999 give 1). std::overflow_error when the quotient lies outside
/// -32768..32767 (a value of 32768000 or more, or of -32769000 or less).
int16_t CommandIndex(int32_t newValue);

class TactoloCommands final : public ICommandServer {
 public:
  explicit TactoloCommands(std::shared_ptr<ModuleSlot> slot) : slot_(std::move(slot)) {}

  /// "Tactolo".
  HostResult<std::string> Name() override;
  /// The nine commands, each with key = its name and text = the name through
  /// the host's translator: "Tactolo On-Off", "Tactolo On", "Tactolo Off",
  /// "Send Beat On", "Send Beat Off", "Send VU-Meter On", "Send VU-Meter
  /// Off", "Select VU-Config", "Sync Beat". Fails when the translator fails
  /// (before Init, after Term).
  HostResult<std::shared_ptr<CommandOptions>> GetFirstOptions() override;
  /// One entry: key "do" with the translation of "Ausführen" for a command
  /// that just runs (and for "Toggle VU-Meter", which is neither offered
  /// nor run), key "select" with the translation of
  /// "Auswählen" for "Select VU-Config" and for anything that is no command.
  HostResult<std::shared_ptr<CommandOptions>> GetSecondOptions(std::string& firstSelection) override;
  /// Runs the command named by `firstSelection` (exactly, letter case
  /// counting) with CommandIndex(newValue); a name that is no command does
  /// nothing. The overflow of CommandIndex fails every call before anything
  /// else happens. "Select VU-Config" with k chooses entry k - 1 of the main
  /// window's configuration list when k is at most the list's count (0
  /// clears the choice; below 0 the list refuses it), and does nothing for a
  /// larger k. The other arguments are not used.
  HostStatus ExecuteCommand(std::string& firstSelection, std::string& secondSelection, int32_t& newValue,
                            std::shared_ptr<IHostObject>& stream,
                            std::shared_ptr<IHostObject>& additionalData) override;

 private:
  std::shared_ptr<ModuleSlot> slot_;
};

}  // namespace tactolo
