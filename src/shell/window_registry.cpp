#include "shell/window_registry.h"

#include <exception>

#include "platform/names.h"

namespace tactolo {

WindowRegistry::WindowRegistry(PluginModule& module) : module_(module) { module_.connectMainWindow(*this); }

// The windows' parts (timers, controls) go without their close handlers:
// those run only in unloadAll(), where an error they raise has a caller.
WindowRegistry::~WindowRegistry() = default;

TactoloMain& WindowRegistry::mainWindow() {
  if (!main_) main_ = std::make_unique<TactoloMain>(module_, *this);
  return *main_;
}

VUConfigForm& WindowRegistry::vuConfigForm() {
  if (!vuConfigForm_) vuConfigForm_ = std::make_unique<VUConfigForm>(module_, *this);
  return *vuConfigForm_;
}

VUPointConfigForm& WindowRegistry::vuPointConfigForm() {
  if (!vuPointConfigForm_) vuPointConfigForm_ = std::make_unique<VUPointConfigForm>(module_, *this);
  return *vuPointConfigForm_;
}

ComboBox& WindowRegistry::ConfCombo() { return mainWindow().form().ConfCombo; }

CheckBox& WindowRegistry::SendVuCheck() { return mainWindow().form().SendVuCheck; }

Form* WindowRegistry::loadedForm(const std::string& name) {
  if (!module_.isWindowLoaded(name)) return nullptr;
  if (sameName(name, TactoloMain::kName) && main_) return &main_->form();
  if (sameName(name, VUConfigForm::kName) && vuConfigForm_) return &vuConfigForm_->form();
  if (sameName(name, VUPointConfigForm::kName) && vuPointConfigForm_) return &vuPointConfigForm_->form();
  return nullptr;
}

void WindowRegistry::closeByUser(const std::string& name) {
  if (loadedForm(name) == nullptr) return;
  if (sameName(name, TactoloMain::kName)) {
    main_->closeByUser();
  } else if (sameName(name, VUConfigForm::kName)) {
    vuConfigForm_->unload();
  } else if (sameName(name, VUPointConfigForm::kName)) {
    vuPointConfigForm_->unload();
  }
}

std::vector<std::string> WindowRegistry::unloadAll() {
  std::vector<std::string> errors;
  const auto attempt = [&](auto&& unload) {
    try {
      unload();
    } catch (const std::exception& e) {
      errors.emplace_back(e.what());
    } catch (...) {
      errors.emplace_back("unknown error");
    }
  };
  if (vuPointConfigForm_) attempt([&] { vuPointConfigForm_->unload(); });
  if (vuConfigForm_) attempt([&] { vuConfigForm_->unload(); });
  if (main_) attempt([&] { main_->unload(); });
  return errors;
}

}  // namespace tactolo
