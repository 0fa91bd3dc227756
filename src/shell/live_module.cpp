#include "shell/live_module.h"

#include "shell/main_window_host.h"

namespace tactolo {

LiveModule::LiveModule(PluginEnvironment environment)
    : module_(environment),
      notifier_(module_),
      windows_(module_),
      slot_(std::make_shared<ModuleSlot>(*this)) {
  module_.connectWindowEvents(notifier_);
}

LiveModule::~LiveModule() { slot_->end(); }

std::shared_ptr<MainWindowHost> LiveModule::mainWindowHost() {
  if (!mainHost_) mainHost_ = std::make_shared<MainWindowHost>(slot_);
  return mainHost_;
}

std::vector<std::string> LiveModule::shutdown() {
  // The slot ends first: a host that calls an old object from inside a close
  // handler (through its capture library) finds the module ended.
  slot_->end();
  // A host that asks for the shutdown again from inside a close handler is
  // refused: the module must outlive the handlers of this one.
  const PluginModule::Running closing(module_);
  return windows_.unloadAll();
}

ModuleCall::ModuleCall(const ModuleSlot& slot)
    : live_(slot.live_ ? *slot.live_ : throw LibraryShutDown()), running_(live_.module()) {}

}  // namespace tactolo
