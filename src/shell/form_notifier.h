// Tells a host's views of every change to the plug-in's forms.
//
// Each form that loads gets one observer on every control and on the form
// itself; a change calls the host's observers (automation.h) with the form's
// name and the control's id, both kept from the load on, so that telling
// allocates nothing: the detection cycle changes the beat indicator and the
// tempo on every beat and the level preview every fourth tick. The form's
// own changes are also told as events: shown, hidden, moved, state changed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "module/plugin_module.h"
#include "module/window_events.h"
#include "platform/automation.h"

namespace tactolo {

class FormNotifier final : public WindowEvents {
 public:
  /// Errors the observers raise go to `module`'s event errors.
  explicit FormNotifier(PluginModule& module) : module_(module) {}
  FormNotifier(const FormNotifier&) = delete;
  FormNotifier& operator=(const FormNotifier&) = delete;

  /// Adding an observer twice counts once; removing one that was not added
  /// does nothing. Either may happen while observers are being told.
  void add(IFormObserver* observer);
  void remove(IFormObserver* observer);

  void windowLoaded(const std::string& name, Form& form) override;
  void windowUnloaded(const std::string& name) override;
  void modalShown(const std::string& name) override;
  void modalEnded(const std::string& name) override;

 private:
  /// A loaded form as its observers see it: the ids handed to the host, and
  /// the window's state as last told, to tell which event a change was.
  struct WatchedForm {
    FormNotifier* notifier;
    std::string name;
    std::vector<ControlId> ids;  // one per control, in the form's order
    ControlId formId;            // the form itself: an empty name
    bool visible;
    int32_t left;
    int32_t top;
    int windowState;
  };

  void formChanged(WatchedForm& watched, const Form& form);
  void tellChanged(const std::string& form, const ControlId& control);
  void tellEvent(const std::string& form, FormEvent event);
  template <class Call>
  void tell(Call&& call);

  PluginModule& module_;
  std::vector<std::unique_ptr<WatchedForm>> forms_;
  std::vector<IFormObserver*> observers_;
  int telling_ = 0;
};

}  // namespace tactolo
