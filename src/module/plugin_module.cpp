#include "module/plugin_module.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "platform/names.h"

namespace tactolo {

namespace {
constexpr std::size_t kKeptEventErrors = 100;
}  // namespace

PluginModule::PluginModule(PluginEnvironment environment) : env_(environment) {}

MainWindowAccess& PluginModule::mainWindow() {
  if (mainWindow_ == nullptr) throw std::logic_error("the main window is not connected to the module");
  return *mainWindow_;
}

bool PluginModule::isWindowLoaded(const std::string& name) const {
  return std::any_of(loadedWindows_.begin(), loadedWindows_.end(),
                     [&](const std::string& loaded) { return sameName(loaded, name); });
}

void PluginModule::windowLoaded(const std::string& name, Form& form) {
  if (isWindowLoaded(name)) return;
  loadedWindows_.push_back(name);
  if (windowEvents_ != nullptr) windowEvents_->windowLoaded(name, form);
}

void PluginModule::windowUnloaded(const std::string& name) {
  if (std::erase_if(loadedWindows_, [&](const std::string& loaded) { return sameName(loaded, name); }) == 0)
    return;
  if (windowEvents_ != nullptr) windowEvents_->windowUnloaded(name);
}

void PluginModule::modalShown(const std::string& name) {
  modalWindows_.push_back(name);
  if (windowEvents_ != nullptr) windowEvents_->modalShown(name);
}

void PluginModule::modalEnded(const std::string& name) {
  // The newest showing of that window ends.
  const auto it = std::find_if(modalWindows_.rbegin(), modalWindows_.rend(),
                               [&](const std::string& shown) { return sameName(shown, name); });
  if (it == modalWindows_.rend()) return;
  modalWindows_.erase(std::next(it).base());
  if (windowEvents_ != nullptr) windowEvents_->modalEnded(name);
}

bool PluginModule::isModal(const std::string& name) const {
  return std::any_of(modalWindows_.begin(), modalWindows_.end(),
                     [&](const std::string& shown) { return sameName(shown, name); });
}

void PluginModule::reportEventError(const std::string& message) {
  if (eventErrors_.size() == kKeptEventErrors) eventErrors_.pop_front();
  eventErrors_.push_back(message);
}

std::vector<std::string> PluginModule::takeEventErrors() {
  std::vector<std::string> taken(eventErrors_.begin(), eventErrors_.end());
  eventErrors_.clear();
  return taken;
}

}  // namespace tactolo
