#include "shell/cls_lmq_plugin.h"

#include "shell/host_call.h"
#include "shell/live_module.h"
#include "shell/main_window_host.h"
#include "shell/tactolo_commands.h"
#include "vu/vu_config_form.h"

namespace tactolo {

HostResult<bool> clsLMQPlugIn::Disable() {
  return moduleCall(slot_, [](LiveModule&) { return false; });
}

HostResult<bool> clsLMQPlugIn::Enable() {
  return moduleCall(slot_, [](LiveModule&) { return true; });
}

HostResult<bool> clsLMQPlugIn::Configure() {
  return moduleCall(slot_, [](LiveModule& live) {
    live.windows().vuConfigForm().show();
    return true;
  });
}

HostResult<bool> clsLMQPlugIn::Init(std::string& /*callingAppTitle*/, std::string& /*myFilename*/,
                                    std::shared_ptr<ILMQPluginHelper> helper) {
  return moduleCall(slot_, [&](LiveModule& live) {
    live.module().PluginHelper().attach(std::move(helper));
    return true;
  });
}

HostResult<int32_t> clsLMQPlugIn::MessageHandle(int32_t& /*msg*/, int32_t& /*arg1*/, int32_t& /*arg2*/) {
  return moduleCall(slot_, [](LiveModule&) { return int32_t{0}; });
}

HostResult<std::string> clsLMQPlugIn::PluginName() {
  return moduleCall(slot_, [](LiveModule&) { return std::string("Tactolo"); });
}

HostResult<bool> clsLMQPlugIn::Term() {
  // Only the helper goes: the window, the capture and the device stay as
  // they are until the host unloads the window.
  return moduleCall(slot_, [](LiveModule& live) {
    live.module().PluginHelper().release();
    return true;
  });
}

HostResult<std::shared_ptr<ModuleInformation>> clsLMQPlugIn::ModuleInfo() {
  return moduleCall(slot_, [&](LiveModule& live) {
    auto info = std::make_shared<ModuleInformation>();
    info->moduleId = kModuleGuid;
    info->name = "Tactolo";
    info->description = "Tactolo for Lumacue";
    info->author = kModuleAuthor;
    info->number5 = 0;
    info->number6 = -1;
    info->number7 = 2;
    info->displayName = "Tactolo";
    live.windows().mainWindow();  // the main window instance: created if needed, not loaded
    auto window = live.mainWindowHost();
    info->toolWindow = window;
    info->projectTool = window;
    info->number10 = -1;
    info->commandServer = std::make_shared<TactoloCommands>(slot_);
    info->number12 = 0;
    info->number13 = -1;
    info->number14 = -1;
    return info;
  });
}

}  // namespace tactolo
