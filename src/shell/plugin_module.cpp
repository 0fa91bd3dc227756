#include "shell/plugin_module.h"

#include <algorithm>
#include <cctype>

#include "mainwindow/tactolo_main.h"
#include "shell/main_window_host.h"
#include "vu/vu_config_form.h"

namespace tactolo {

PluginModule::PluginModule(PluginEnvironment environment) : env_(environment) {}

PluginModule::~PluginModule() {
  // Windows go before the services they use.
  if (main_) main_->unload();
  mainHost_.reset();
  main_.reset();
  vuConfigForm_.reset();
}

namespace {
bool sameName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}
}  // namespace

std::shared_ptr<MainWindowHost> PluginModule::mainWindowHost() {
  if (!mainHost_) mainHost_ = std::make_shared<MainWindowHost>(*this);
  return mainHost_;
}

VUConfigForm& PluginModule::vuConfigForm() {
  if (!vuConfigForm_) vuConfigForm_ = std::make_unique<VUConfigForm>(*this);
  return *vuConfigForm_;
}

bool PluginModule::isWindowLoaded(const std::string& name) const {
  return std::any_of(loadedWindows_.begin(), loadedWindows_.end(),
                     [&](const std::string& loaded) { return sameName(loaded, name); });
}

void PluginModule::windowLoaded(const std::string& name) {
  if (!isWindowLoaded(name)) loadedWindows_.push_back(name);
}

void PluginModule::windowUnloaded(const std::string& name) {
  std::erase_if(loadedWindows_, [&](const std::string& loaded) { return sameName(loaded, name); });
}

TactoloMain& PluginModule::mainWindow() {
  if (!main_) main_ = std::make_unique<TactoloMain>(*this);
  return *main_;
}

void PluginModule::reportEventError(const std::string& message) {
  if (eventErrors_.size() == 100) eventErrors_.pop_front();
  eventErrors_.push_back(message);
}

}  // namespace tactolo
