#include "shell/tactolo_commands.h"

#include <array>
#include <exception>
#include <limits>
#include <stdexcept>
#include <string>

#include "mainwindow/tactolo_main.h"
#include "module/beat_variables.h"
#include "module/host_services.h"
#include "shell/host_call.h"
#include "shell/live_module.h"

namespace tactolo {

namespace {

constexpr const char* kSelectVuConfig = "Select VU-Config";

/// The commands in the order they are offered.
constexpr std::array<const char*, 9> kCommands{
    "Tactolo On-Off",   "Tactolo On",        "Tactolo Off",   "Send Beat On", "Send Beat Off",
    "Send VU-Meter On", "Send VU-Meter Off", kSelectVuConfig, "Sync Beat",
};

/// Not offered and not run, but answered with "do" like a command that runs,
/// so that a host holding it as a choice keeps its second selection.
constexpr const char* kToggleVuMeter = "Toggle VU-Meter";

bool runsOnItsOwn(const std::string& selection) {
  if (selection == kToggleVuMeter) return true;
  for (const char* command : kCommands) {
    if (selection == command) return selection != kSelectVuConfig;
  }
  return false;
}

/// Carries out the command `selection` on the main window; a selection that
/// names no command does nothing.
void runCommand(LiveModule& live, const std::string& selection, int16_t commandIndex) {
  TactoloMain& main = live.windows().mainWindow();
  const BeatVariables& v = live.module().vars();
  // Every effect reaches the window through its one instance: a use of its
  // controls or handlers loads it first, hidden.
  if (selection == "Send Beat On") {
    main.form().sendBeatCheck.setValue(1);
  } else if (selection == "Send Beat Off") {
    main.form().sendBeatCheck.setValue(0);
  } else if (selection == "Tactolo On-Off") {
    main.load();
    main.startButton_Click();
  } else if (selection == "Tactolo On") {
    if (!v.Recording) {
      main.load();
      main.startButton_Click();
    }
  } else if (selection == "Tactolo Off") {
    if (v.Recording) {
      main.load();
      main.startButton_Click();
    }
  } else if (selection == "Send VU-Meter On") {
    main.form().SendVuCheck.setValue(1);
  } else if (selection == "Send VU-Meter Off") {
    main.form().SendVuCheck.setValue(0);
  } else if (selection == kSelectVuConfig) {
    // k counts the entries from 1; 0 clears the choice.
    ComboBox& list = main.form().ConfCombo;
    if (commandIndex <= list.listCount()) list.setListIndex(commandIndex - 1);
  } else if (selection == "Sync Beat") {
    main.load();
    main.syncButton_Click();
  }
}

}  // namespace

int16_t CommandIndex(int32_t newValue) {
  const int32_t quotient = newValue / 1000;  // C++ division truncates toward zero
  if (quotient < std::numeric_limits<int16_t>::min() || quotient > std::numeric_limits<int16_t>::max()) {
    throw std::overflow_error("Overflow: the command value " + std::to_string(newValue) +
                              " is outside -32768999 to 32767999");
  }
  return static_cast<int16_t>(quotient);
}

HostResult<std::string> TactoloCommands::Name() {
  return moduleCall(slot_, [](LiveModule&) { return std::string("Tactolo"); });
}

HostResult<std::shared_ptr<CommandOptions>> TactoloCommands::GetFirstOptions() {
  return moduleCall(slot_, [](LiveModule& live) {
    auto options = std::make_shared<CommandOptions>();
    HostServices& host = live.module().PluginHelper();
    for (const char* command : kCommands) options->Add(host.Translate(command), command);
    return options;
  });
}

HostResult<std::shared_ptr<CommandOptions>> TactoloCommands::GetSecondOptions(std::string& firstSelection) {
  return moduleCall(slot_, [&](LiveModule& live) {
    auto options = std::make_shared<CommandOptions>();
    HostServices& host = live.module().PluginHelper();
    if (runsOnItsOwn(firstSelection)) {
      options->Add(host.Translate("Ausführen"), "do");
    } else {
      options->Add(host.Translate("Auswählen"), "select");
    }
    return options;
  });
}

HostStatus TactoloCommands::ExecuteCommand(std::string& firstSelection, std::string& /*secondSelection*/,
                                           int32_t& newValue, std::shared_ptr<IHostObject>& /*stream*/,
                                           std::shared_ptr<IHostObject>& /*additionalData*/) {
  return moduleCall(slot_, [&](LiveModule& live) {
    const int16_t commandIndex = CommandIndex(newValue);
    try {
      runCommand(live, firstSelection, commandIndex);
    } catch (const std::exception& e) {
      throw std::runtime_error(firstSelection + ": " + e.what());
    }
  });
}

}  // namespace tactolo
