// VUConfigForm: the editor of VU configurations. One instance per module,
// created on first use; its window loads on the first use of the window.
#pragma once

#include <memory>

#include "platform/control_model.h"

namespace tactolo {

class PluginModule;

class VUConfigForm {
 public:
  static constexpr const char* kName = "VUConfigForm";

  explicit VUConfigForm(PluginModule& module);
  ~VUConfigForm();

  bool isLoaded() const { return form_ != nullptr; }
  void load();
  void unload();
  /// The window; any use loads it first.
  Form& form();
  /// Shows the window modeless, without an owner.
  void show();
  void hide();

 private:
  PluginModule& module_;
  std::unique_ptr<Form> form_;
};

}  // namespace tactolo
