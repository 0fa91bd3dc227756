// The views of all the plug-in's forms, as a host shows them.
//
// FormViews registers itself as the plug-in's form observer and keeps one
// FormView per loaded form: the forms loaded when it starts, and each form
// that loads later (the main window when the host loads it, the VU
// configuration editor on Configure, the point editor from a point button).
// A form that unloads takes its view with it; the next load builds a new
// one. Each view is a window of its own: it shows and hides as its form
// does, is modal while its form is shown modal, and tells the form where the
// user moved it and whether the user minimised it.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "qt/form_view.h"

namespace tactolo::qt {

class FormViews final : public IFormObserver {
 public:
  /// Follows the forms of the plug-in that `automation` drives; `colors`
  /// resolves their system colours. `created` (optional) is called with
  /// each new view before it is first shown, so that a host can place or
  /// embed it.
  FormViews(std::shared_ptr<IPluginAutomation> automation, const SystemColors& colors,
            std::function<void(FormView&)> created = {});
  /// Stops following and closes the views.
  ~FormViews() override;
  FormViews(const FormViews&) = delete;
  FormViews& operator=(const FormViews&) = delete;

  /// The view of the loaded form `form` (as the plug-in spells it:
  /// "TactoloMain", "VUConfigForm", "VUPointConfigForm"); null while it is
  /// not loaded.
  FormView* view(const std::string& form) const;

  void formChanged(const std::string& form, const ControlId& control) override;
  void formEvent(const std::string& form, FormEvent event) override;

 private:
  void open(const std::string& form);
  void close(const std::string& form);

  std::shared_ptr<IPluginAutomation> automation_;
  const SystemColors& colors_;
  std::function<void(FormView&)> created_;
  std::vector<QPointer<FormView>> views_;
};

}  // namespace tactolo::qt
