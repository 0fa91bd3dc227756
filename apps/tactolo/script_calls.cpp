// `call MEMBER [ARGS]`: one host call on the interface that has the member,
// printed as `MEMBER -> RESULT`.
#include <algorithm>
#include <array>
#include <stdexcept>

#include "platform/names.h"
#include "script_format.h"
#include "script_runner.h"
#include "script_world.h"

namespace tactolo::app {

namespace {

enum class Interface { Plugin, Module, Window, Tool, Commands };

struct Member {
  const char* name;
  Interface where;
  std::size_t minArgs;
  std::size_t maxArgs;
  const char* usage;
};

constexpr std::array kMembers{
    Member{"Init", Interface::Plugin, 0, 0, "call Init"},
    Member{"Term", Interface::Plugin, 0, 0, "call Term"},
    Member{"Enable", Interface::Plugin, 0, 0, "call Enable"},
    Member{"Disable", Interface::Plugin, 0, 0, "call Disable"},
    Member{"Configure", Interface::Plugin, 0, 0, "call Configure"},
    Member{"MessageHandle", Interface::Plugin, 0, 3, "call MessageHandle [MSG [ARG1 [ARG2]]]"},
    Member{"PluginName", Interface::Plugin, 0, 0, "call PluginName"},
    Member{"ModuleInfo", Interface::Module, 0, 0, "call ModuleInfo"},
    Member{"isOpen", Interface::Window, 0, 0, "call isOpen"},
    Member{"loadWindow", Interface::Window, 0, 0, "call loadWindow"},
    Member{"unloadWindow", Interface::Window, 0, 0, "call unloadWindow"},
    Member{"hideWindow", Interface::Window, 0, 0, "call hideWindow"},
    Member{"showWindow", Interface::Window, 0, 0, "call showWindow"},
    Member{"WindowState", Interface::Window, 0, 1, "call WindowState [VALUE]"},
    Member{"ClearProjectData", Interface::Tool, 0, 0, "call ClearProjectData"},
    Member{"LoadProjectData", Interface::Tool, 0, 0, "call LoadProjectData"},
    Member{"SaveProjectData", Interface::Tool, 0, 0, "call SaveProjectData"},
    Member{"AskToSaveProjectData", Interface::Tool, 0, 0, "call AskToSaveProjectData"},
    Member{"ViewMode", Interface::Tool, 1, 1, "call ViewMode VALUE"},
    Member{"Name", Interface::Commands, 0, 0, "call Name"},
    Member{"GetFirstOptions", Interface::Commands, 0, 0, "call GetFirstOptions"},
    Member{"GetSecondOptions", Interface::Commands, 1, 1, "call GetSecondOptions \"SELECTION\""},
    Member{"ExecuteCommand", Interface::Commands, 3, 3, "call ExecuteCommand \"FIRST\" \"SECOND\" VALUE"},
};

/// Member names are matched as late binding matches them: without regard to
/// case.
const Member* findMember(const std::string& name) {
  const auto it =
      std::find_if(kMembers.begin(), kMembers.end(), [&](const Member& m) { return sameName(m.name, name); });
  return it == kMembers.end() ? nullptr : &*it;
}

int32_t int32Argument(const Token& token, const char* what) {
  return static_cast<int32_t>(parseInteger(token.text, INT32_MIN, INT32_MAX, what));
}

std::string valueText(bool value) { return formatBool(value); }
std::string valueText(int32_t value) { return std::to_string(value); }
std::string valueText(const std::string& value) { return quoteText(value); }

template <class T>
std::string resultText(const HostResult<T>& result) {
  if (!result.ok) return "error: " + result.error;
  if constexpr (std::is_same_v<T, NoValue>) {
    return "empty";
  } else {
    return valueText(result.value);
  }
}

}  // namespace

void ScriptRunner::call(const Args& args) {
  if (args.size() < 2) throw ScriptSyntaxError("usage: call MEMBER [ARGS]");
  const Member* member = findMember(args[1].text);
  if (member == nullptr) throw ScriptSyntaxError("no host interface has a member " + quoteText(args[1].text));
  const std::size_t count = args.size() - 2;
  if (count < member->minArgs || count > member->maxArgs) {
    throw ScriptSyntaxError(std::string("usage: ") + member->usage);
  }
  const std::string name = member->name;
  const auto show = [&](const std::string& result) { print(name + " -> " + result); };
  ScriptWorld& world = *world_;

  // The interfaces of the main window and of the command server come from
  // the module information, as a host takes them; the script asks for it
  // when it has none yet.
  const auto fromModuleInfo = [&](const char* what) {
    if (!world.window) {
      auto info = world.plugin->ModuleInfo();
      if (!info.ok) {
        show("error: no " + std::string(what) + ": ModuleInfo failed: " + info.error);
        return false;
      }
      world.window = info.value->toolWindow;
      world.tool = info.value->projectTool;
      world.commands = info.value->commandServer;
    }
    if (!world.window || !world.tool || !world.commands) {
      show("error: the module information names no " + std::string(what));
      return false;
    }
    return true;
  };

  switch (member->where) {
    case Interface::Plugin: {
      IclsLMQPlugIn& plugin = *world.plugin;
      if (name == "Init") {
        std::string title = "tactolo script";
        std::string file = name_;
        show(resultText(plugin.Init(title, file, world.helper)));
      } else if (name == "Term") {
        show(resultText(plugin.Term()));
      } else if (name == "Enable") {
        show(resultText(plugin.Enable()));
      } else if (name == "Disable") {
        show(resultText(plugin.Disable()));
      } else if (name == "Configure") {
        show(resultText(plugin.Configure()));
      } else if (name == "PluginName") {
        show(resultText(plugin.PluginName()));
      } else {  // MessageHandle
        std::array<int32_t, 3> values{0, 0, 0};
        for (std::size_t i = 0; i < count; ++i) values[i] = int32Argument(args[2 + i], "a message number");
        show(resultText(plugin.MessageHandle(values[0], values[1], values[2])));
      }
      break;
    }
    case Interface::Module: {
      auto result = world.plugin->ModuleInfo();
      if (!result.ok) {
        show("error: " + result.error);
        break;
      }
      const ModuleInformation& info = *result.value;
      show("object " + world.label(result.value));
      print("  moduleId = " + quoteText(info.moduleId));
      print("  name = " + quoteText(info.name));
      print("  description = " + quoteText(info.description));
      print("  author = " + quoteText(info.author));
      print("  number5 = " + std::to_string(info.number5));
      print("  number6 = " + std::to_string(info.number6));
      print("  number7 = " + std::to_string(info.number7));
      print("  displayName = " + quoteText(info.displayName));
      print("  toolWindow = object " + world.label(info.toolWindow));
      print("  number10 = " + std::to_string(info.number10));
      print("  commandServer = object " + world.label(info.commandServer));
      print("  number12 = " + std::to_string(info.number12));
      print("  number13 = " + std::to_string(info.number13));
      print("  number14 = " + std::to_string(info.number14));
      world.window = info.toolWindow;
      world.tool = info.projectTool;
      world.commands = info.commandServer;
      break;
    }
    case Interface::Window: {
      if (!fromModuleInfo("tool window")) break;
      IExternalWindow& window = *world.window;
      if (name == "isOpen") {
        show(resultText(window.isOpen()));
      } else if (name == "loadWindow") {
        show(resultText(window.loadWindow()));
      } else if (name == "unloadWindow") {
        show(resultText(window.unloadWindow()));
      } else if (name == "hideWindow") {
        show(resultText(window.hideWindow()));
      } else if (name == "showWindow") {
        show(resultText(window.showWindow()));
      } else if (count == 0) {
        show(resultText(window.WindowState()));
      } else {
        int32_t value = int32Argument(args[2], "the window state");
        show(resultText(window.SetWindowState(value)));
      }
      break;
    }
    case Interface::Tool: {
      if (!fromModuleInfo("project tool")) break;
      ILMQTool& tool = *world.tool;
      if (name == "ClearProjectData") {
        show(resultText(tool.ClearProjectData()));
      } else if (name == "LoadProjectData") {
        show(resultText(tool.LoadProjectData()));
      } else if (name == "SaveProjectData") {
        show(resultText(tool.SaveProjectData()));
      } else if (name == "AskToSaveProjectData") {
        show(resultText(tool.AskToSaveProjectData()));
      } else {  // ViewMode
        show(resultText(tool.SetViewMode(int32Argument(args[2], "the view mode"))));
      }
      break;
    }
    case Interface::Commands: {
      if (!fromModuleInfo("command server")) break;
      ICommandServer& commands = *world.commands;
      if (name == "Name") {
        show(resultText(commands.Name()));
        break;
      }
      if (name == "ExecuteCommand") {
        std::string first = args[2].text;
        std::string second = args[3].text;
        int32_t value = int32Argument(args[4], "the command's value");
        // The script hands over neither of the optional objects.
        std::shared_ptr<IHostObject> stream;
        std::shared_ptr<IHostObject> additionalData;
        show(resultText(commands.ExecuteCommand(first, second, value, stream, additionalData)));
        break;
      }
      std::string selection = count == 1 ? args[2].text : std::string();
      auto options =
          name == "GetFirstOptions" ? commands.GetFirstOptions() : commands.GetSecondOptions(selection);
      if (!options.ok) {
        show("error: " + options.error);
        break;
      }
      if (!options.value) {
        show("nothing");
        break;
      }
      const auto& entries = options.value->entries();
      show(std::to_string(entries.size()) + (entries.size() == 1 ? " entry" : " entries"));
      for (const auto& entry : entries) print("  " + quoteText(entry.text) + " " + quoteText(entry.key));
      break;
    }
  }
}

}  // namespace tactolo::app
