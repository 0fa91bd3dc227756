#include "shell/plugin_automation.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "mainwindow/tactolo_main.h"
#include "module/state_table.h"
#include "platform/names.h"
#include "shell/control_properties.h"
#include "shell/host_call.h"
#include "shell/live_module.h"

namespace tactolo {

namespace {

Form& loadedForm(LiveModule& live, const std::string& name) {
  Form* form = live.windows().loadedForm(name);
  if (form == nullptr) throw std::runtime_error(name + " is not loaded");
  return *form;
}

/// The control, or an error that says what is wrong with the reference.
Control& findControl(const Form& form, const ControlId& id) {
  if (Control* control = form.find(id.name, id.index)) return *control;
  if (id.index < 0) {
    for (const auto& control : form.controls()) {
      if (control->index() >= 0 && sameName(control->name(), id.name)) {
        throw std::runtime_error(control->name() + " is an indexed group: name one of it, as in " +
                                 controlName(control->name(), control->index()));
      }
    }
  }
  throw std::runtime_error(form.name() + " has no control " + controlName(id.name, id.index));
}

/// While a window is shown modal, the user reaches no other window.
void refuseBehindModal(LiveModule& live, const std::string& formName) {
  const std::string* modal = live.module().modalWindow();
  if (modal != nullptr && !sameName(*modal, formName)) {
    throw std::runtime_error(formName + " cannot be reached while " + *modal + " is shown modal");
  }
}

/// The control a user acts on: its window loaded and shown, and it and every
/// frame around it shown and enabled; no other window shown modal.
Control& reachableControl(LiveModule& live, const std::string& formName, const ControlId& id) {
  Form& form = loadedForm(live, formName);
  if (!form.visible()) throw std::runtime_error(formName + " is hidden");
  refuseBehindModal(live, formName);
  Control& control = findControl(form, id);
  for (Control* c = &control; c != nullptr && c != &form; c = c->container()) {
    const std::string name = controlName(c->name(), c->index());
    if (!c->visible()) throw std::runtime_error(name + " is hidden");
    if (!c->enabled()) throw std::runtime_error(name + " is disabled");
  }
  return control;
}

/// The control as a `T`, or an error that names what it is not.
template <class T>
T& controlAs(Control& control, const char* notWhat) {
  auto* typed = dynamic_cast<T*>(&control);
  if (typed == nullptr)
    throw std::runtime_error(controlName(control.name(), control.index()) + " " + notWhat);
  return *typed;
}

/// The main window's timers by name. The periodic one reports its interval.
constexpr std::array<const char*, 5> kTimers{"beatTimer", "beatClearTimer", "maxBpmTimer", "startTimer",
                                             "generateTimer"};

TimerReading readTimer(TactoloMain& main, const std::string& name) {
  if (name == "beatTimer")
    return {name, main.beatTimer->enabled(), main.beatTimer->intervalMs(), std::nullopt};
  const Countdown& countdown = name == "beatClearTimer" ? *main.beatClearTimer
                               : name == "maxBpmTimer"  ? *main.maxBpmTimer
                               : name == "startTimer"   ? *main.startTimer
                                                        : *main.generateTimer;
  std::optional<int32_t> remaining;
  if (countdown.enabled()) remaining = countdown.remainingMs();
  return {name, countdown.enabled(), countdown.durationMs(), remaining};
}

}  // namespace

HostStatus PluginAutomation::click(const std::string& form, const ControlId& id) {
  return moduleCall(slot_, [&](LiveModule& live) {
    Control& control = reachableControl(live, form, id);
    if (auto* button = dynamic_cast<Button*>(&control)) {
      button->click();
    } else if (auto* check = dynamic_cast<CheckBox*>(&control)) {
      check->click();
    } else if (auto* option = dynamic_cast<OptionButton*>(&control)) {
      option->select();
    } else {
      throw std::runtime_error(controlName(control.name(), control.index()) + " cannot be clicked");
    }
  });
}

HostStatus PluginAutomation::select(const std::string& form, const ControlId& id, int32_t position) {
  return moduleCall(slot_, [&](LiveModule& live) {
    controlAs<ComboBox>(reachableControl(live, form, id), "is not a list").setListIndex(position);
  });
}

HostStatus PluginAutomation::check(const std::string& form, const ControlId& id, int32_t value) {
  return moduleCall(slot_, [&](LiveModule& live) {
    controlAs<CheckBox>(reachableControl(live, form, id), "is not a check box").setValue(value);
  });
}

HostStatus PluginAutomation::slide(const std::string& form, const ControlId& id, int32_t value) {
  return moduleCall(slot_, [&](LiveModule& live) {
    controlAs<Slider>(reachableControl(live, form, id), "is not a slider").drag(value);
  });
}

HostStatus PluginAutomation::type(const std::string& form, const ControlId& id, const std::string& text) {
  return moduleCall(slot_, [&](LiveModule& live) {
    controlAs<TextBox>(reachableControl(live, form, id), "does not take typed text").type(text);
  });
}

HostStatus PluginAutomation::close(const std::string& form) {
  return moduleCall(slot_, [&](LiveModule& live) {
    if (!loadedForm(live, form).visible()) throw std::runtime_error(form + " is hidden");
    refuseBehindModal(live, form);
    live.windows().closeByUser(form);
  });
}

HostStatus PluginAutomation::moveWindow(const std::string& form, int32_t left, int32_t top) {
  return moduleCall(slot_, [&](LiveModule& live) {
    Form& window = loadedForm(live, form);
    window.setLeft(left);
    window.setTop(top);
  });
}

HostStatus PluginAutomation::changeWindowState(const std::string& form, int32_t state) {
  return moduleCall(slot_, [&](LiveModule& live) { loadedForm(live, form).setWindowState(state); });
}

HostResult<AutomationValue> PluginAutomation::formProperty(const std::string& form,
                                                           const std::string& property) {
  return moduleCall(slot_,
                    [&](LiveModule& live) { return readFormProperty(loadedForm(live, form), property); });
}

HostResult<AutomationValue> PluginAutomation::controlProperty(const std::string& form, const ControlId& id,
                                                              const std::string& property,
                                                              std::optional<int32_t> argument) {
  return moduleCall(slot_, [&](LiveModule& live) {
    return readControlProperty(findControl(loadedForm(live, form), id), property, argument);
  });
}

HostResult<StateReading> PluginAutomation::state(const std::string& name) {
  return moduleCall(slot_, [&](LiveModule& live) { return readState(live.module(), name); });
}

HostResult<TimerReading> PluginAutomation::timer(const std::string& name) {
  return moduleCall(slot_, [&](LiveModule& live) {
    const auto known = std::find_if(kTimers.begin(), kTimers.end(),
                                    [&](const char* timer) { return sameName(timer, name); });
    if (known == kTimers.end()) throw std::runtime_error("unknown timer " + name);
    if (!live.module().isWindowLoaded(TactoloMain::kName) || !live.windows().hasMainWindow()) {
      throw std::runtime_error(std::string(TactoloMain::kName) + " is not loaded");
    }
    return readTimer(live.windows().mainWindow(), *known);
  });
}

HostResult<std::vector<std::string>> PluginAutomation::takeEventErrors() {
  return moduleCall(slot_, [](LiveModule& live) { return live.module().takeEventErrors(); });
}

HostResult<std::vector<std::string>> PluginAutomation::loadedForms() {
  return moduleCall(slot_, [](LiveModule& live) { return live.module().loadedWindows(); });
}

HostResult<FormDescription> PluginAutomation::describeForm(const std::string& form) {
  return moduleCall(slot_, [&](LiveModule& live) {
    return tactolo::describeForm(loadedForm(live, form), live.module().isModal(form));
  });
}

HostResult<ControlDescription> PluginAutomation::describeControl(const std::string& form,
                                                                 const ControlId& control) {
  return moduleCall(slot_, [&](LiveModule& live) {
    return tactolo::describeControl(findControl(loadedForm(live, form), control));
  });
}

HostStatus PluginAutomation::addFormObserver(IFormObserver* observer) {
  return moduleCall(slot_, [&](LiveModule& live) {
    if (observer == nullptr) throw std::invalid_argument("no observer");
    live.formNotifier().add(observer);
  });
}

HostStatus PluginAutomation::removeFormObserver(IFormObserver* observer) {
  return moduleCall(slot_, [&](LiveModule& live) { live.formNotifier().remove(observer); });
}

}  // namespace tactolo
