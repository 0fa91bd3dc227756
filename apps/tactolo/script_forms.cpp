// The script host's view of the plug-in's windows: `get` of control
// properties, module state and timers, and the user's actions on controls,
// all through the plug-in library's automation interface.
#include <algorithm>
#include <array>
#include <stdexcept>

#include "platform/automation.h"
#include "platform/names.h"
#include "script_format.h"
#include "script_runner.h"
#include "script_world.h"

namespace tactolo::app {

namespace {

constexpr std::array<const char*, 3> kForms{"TactoloMain", "VUConfigForm", "VUPointConfigForm"};

/// The form's own spelling; a name that is no form of the plug-in ends the
/// script.
std::string formName(const std::string& written) {
  for (const char* name : kForms) {
    if (sameName(name, written)) return name;
  }
  throw ScriptSyntaxError("no form " + quoteText(written) +
                          " (forms: TactoloMain, VUConfigForm, VUPointConfigForm)");
}

constexpr std::array<const char*, 21> kProperties{
    "caption", "text",    "value",   "listindex",   "listcount", "list",        "itemdata",
    "enabled", "visible", "bold",    "backcolor",   "forecolor", "bordercolor", "fillcolor",
    "min",     "max",     "tooltip", "windowstate", "left",      "top",         "picture"};

ControlId controlId(const ControlRef& ref) { return ControlId{ref.name, ref.index}; }

std::string valueText(const AutomationValue& value) {
  switch (value.kind) {
    case AutomationValue::Kind::Text:
      return quoteText(value.text);
    case AutomationValue::Kind::Integer:
      return std::to_string(value.integer);
    case AutomationValue::Kind::Real:
      return formatNumber(value.real);
    case AutomationValue::Kind::Boolean:
      return formatBool(value.integer != 0);
    case AutomationValue::Kind::Color:
      return formatColor(static_cast<uint32_t>(value.integer));
  }
  return quoteText(value.text);
}

}  // namespace

void ScriptRunner::get(const Args& args) {
  if (args.size() == 3 && args[1].text == "state") return getState(args[2].text);
  if (args.size() == 3 && args[1].text == "timer") return getTimer(args[2].text);
  if (args.size() != 2)
    throw ScriptSyntaxError("usage: get FORM.CONTROL.PROPERTY, get state NAME, get timer NAME");
  getProperty(args);
}

void ScriptRunner::getProperty(const Args& args) {
  const PropertyPath path = parsePropertyPath(args[1].text);
  const std::string form = formName(path.form);
  if (std::find(kProperties.begin(), kProperties.end(), path.property) == kProperties.end()) {
    throw ScriptSyntaxError("no property " + quoteText(path.property));
  }
  IPluginAutomation& automation = *world_->automation;
  const auto value =
      path.control ? automation.controlProperty(form, controlId(*path.control), path.property, path.argument)
                   : automation.formProperty(form, path.property);
  print(value.ok ? args[1].text + " = " + valueText(value.value) : "error: " + value.error);
}

void ScriptRunner::getState(const std::string& name) {
  const auto reading = world_->automation->state(name);
  print(reading.ok ? "state " + reading.value.name + " = " + valueText(reading.value.value)
                   : "error: " + reading.error);
}

void ScriptRunner::getTimer(const std::string& name) {
  const auto reading = world_->automation->timer(name);
  if (!reading.ok) {
    print("error: " + reading.error);
    return;
  }
  const TimerReading& timer = reading.value;
  std::string line = "timer " + timer.name + " = " + (timer.enabled ? "on" : "off") + ", " +
                     std::to_string(timer.durationMs) + " ms";
  if (timer.remainingMs) line += ", " + std::to_string(*timer.remainingMs) + " ms left";
  print(line);
}

void ScriptRunner::userAction(const Args& args) {
  const std::string& action = args[0].text;
  const bool takesValue = action != "click";
  if (args.size() != (takesValue ? 4u : 3u)) {
    throw ScriptSyntaxError(action == "click"    ? "usage: click FORM CONTROL"
                            : action == "select" ? "usage: select FORM CONTROL POSITION"
                            : action == "check"  ? "usage: check FORM CONTROL 0|1"
                            : action == "slide"  ? "usage: slide FORM CONTROL VALUE"
                                                 : "usage: type FORM CONTROL \"TEXT\"");
  }
  const std::string form = formName(args[1].text);
  const ControlId control = controlId(parseControlRef(args[2].text));
  IPluginAutomation& automation = *world_->automation;
  HostStatus done;
  if (action == "click") {
    done = automation.click(form, control);
  } else if (action == "select") {
    done = automation.select(form, control,
                             static_cast<int32_t>(parseInteger(args[3].text, 0, 32767, "the list position")));
  } else if (action == "check") {
    done = automation.check(form, control,
                            static_cast<int32_t>(parseInteger(args[3].text, 0, 1, "the check box value")));
  } else if (action == "slide") {
    done = automation.slide(
        form, control,
        static_cast<int32_t>(parseInteger(args[3].text, INT32_MIN, INT32_MAX, "the slider position")));
  } else {
    done = automation.type(form, control, args[3].text);
  }
  if (!done.ok) print("error: " + done.error);
}

void ScriptRunner::close(const Args& args) {
  if (args.size() != 2) throw ScriptSyntaxError("usage: close FORM");
  const HostStatus done = world_->automation->close(formName(args[1].text));
  if (!done.ok) print("error: " + done.error);
}

}  // namespace tactolo::app
