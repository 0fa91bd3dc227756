// The module state by name, for hosts that look inside the plug-in
// (`get state NAME` of the scripted host). Each variable is one entry of the
// table in state_table.cpp; a variable added to the module state is made
// readable by adding its entry there.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/automation.h"

namespace tactolo {

class PluginModule;

/// A state name split into the table's key and an index: "LeftPoints(3).Red"
/// gives the key "LeftPoints().Red" and the index 3; a name without an index
/// is its own key, with no index. nullopt when the parentheses hold anything
/// but a decimal number from 0 to 32767, or come more than once.
struct StateKey {
  std::string key;
  std::optional<int32_t> index;
};
std::optional<StateKey> splitStateName(const std::string& name);

/// The variable `name` (compared without regard to case) under the table's
/// spelling; std::runtime_error "unknown state NAME" when the table has no
/// such variable.
StateReading readState(const PluginModule& module, const std::string& name);

}  // namespace tactolo
