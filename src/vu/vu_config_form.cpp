#include "vu/vu_config_form.h"

#include "module/plugin_module.h"

namespace tactolo {

VUConfigForm::VUConfigForm(PluginModule& module) : module_(module) {}

VUConfigForm::~VUConfigForm() = default;

void VUConfigForm::load() {
  if (form_) return;
  form_ = std::make_unique<Form>(kName, TwipRect{0, 0, 6000, 6000});
  form_->setCaption("VU Config");
  form_->setVisible(false);
  module_.windowLoaded(kName);
}

void VUConfigForm::unload() {
  if (!form_) return;
  form_.reset();
  module_.windowUnloaded(kName);
}

Form& VUConfigForm::form() {
  load();
  return *form_;
}

void VUConfigForm::show() { form().setVisible(true); }

void VUConfigForm::hide() { form().setVisible(false); }

}  // namespace tactolo
