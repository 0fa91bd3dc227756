// The automation interface (platform/automation.h) on a module: a host acts
// on the windows as their user would and looks at them and at the module
// state. Every member runs the library's own handlers; an error one raises is
// the member's failure.
#pragma once

#include <memory>

#include "platform/automation.h"
#include "shell/module_slot.h"

namespace tactolo {

class PluginAutomation final : public IPluginAutomation {
 public:
  explicit PluginAutomation(std::shared_ptr<ModuleSlot> slot) : slot_(std::move(slot)) {}

  HostStatus click(const std::string& form, const ControlId& control) override;
  HostStatus select(const std::string& form, const ControlId& control, int32_t position) override;
  HostStatus check(const std::string& form, const ControlId& control, int32_t value) override;
  HostStatus slide(const std::string& form, const ControlId& control, int32_t value) override;
  HostStatus type(const std::string& form, const ControlId& control, const std::string& text) override;
  HostStatus close(const std::string& form) override;
  HostStatus moveWindow(const std::string& form, int32_t left, int32_t top) override;
  HostStatus changeWindowState(const std::string& form, int32_t state) override;

  HostResult<AutomationValue> formProperty(const std::string& form, const std::string& property) override;
  HostResult<AutomationValue> controlProperty(const std::string& form, const ControlId& control,
                                              const std::string& property,
                                              std::optional<int32_t> argument) override;
  HostResult<StateReading> state(const std::string& name) override;
  HostResult<TimerReading> timer(const std::string& name) override;
  HostResult<std::vector<std::string>> takeEventErrors() override;

  HostResult<std::vector<std::string>> loadedForms() override;
  HostResult<FormDescription> describeForm(const std::string& form) override;
  HostResult<ControlDescription> describeControl(const std::string& form, const ControlId& control) override;
  HostStatus addFormObserver(IFormObserver* observer) override;
  HostStatus removeFormObserver(IFormObserver* observer) override;

 private:
  std::shared_ptr<ModuleSlot> slot_;
};

}  // namespace tactolo
