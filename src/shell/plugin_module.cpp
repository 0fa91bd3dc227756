#include "shell/plugin_module.h"

#include "mainwindow/tactolo_main.h"

namespace tactolo {

PluginModule::PluginModule(PluginEnvironment environment) : env_(environment) {}

PluginModule::~PluginModule() = default;

TactoloMain& PluginModule::mainWindow() {
  if (!main_) main_ = std::make_unique<TactoloMain>(*this);
  return *main_;
}

void PluginModule::reportEventError(const std::string& message) {
  if (eventErrors_.size() == 100) eventErrors_.pop_front();
  eventErrors_.push_back(message);
}

}  // namespace tactolo
