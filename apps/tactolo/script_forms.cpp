// The script host's view of the plug-in's windows: `get` of control
// properties, module state and timers, and the user's actions on controls.
#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

#include "mainwindow/beat_variables.h"
#include "mainwindow/tactolo_main.h"
#include "platform/control_model.h"
#include "script_format.h"
#include "script_runner.h"
#include "script_world.h"
#include "shell/plugin_module.h"
#include "vu/vu_config_form.h"

namespace tactolo::app {

namespace {

bool sameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

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

constexpr std::array<const char*, 20> kProperties{
    "caption", "text",    "value",   "listindex",   "listcount", "list",        "itemdata",
    "enabled", "visible", "bold",    "backcolor",   "forecolor", "bordercolor", "fillcolor",
    "min",     "max",     "tooltip", "windowstate", "left",      "top"};

std::string controlName(const Control& control) {
  return toString(ControlRef{control.name(), control.index()});
}

/// The control, or an error that says what is wrong with the reference.
Control& findControl(const Form& form, const ControlRef& ref) {
  if (Control* control = form.find(ref.name, ref.index)) return *control;
  if (ref.index < 0) {
    for (const auto& control : form.controls()) {
      if (control->index() >= 0 && sameName(control->name(), ref.name)) {
        throw std::runtime_error(control->name() + " is an indexed group: name one of it, as in " +
                                 control->name() + "(" + std::to_string(control->index()) + ")");
      }
    }
  }
  throw std::runtime_error(form.name() + " has no control " + toString(ref));
}

[[noreturn]] void noProperty(const Control& control, const std::string& property) {
  throw std::runtime_error(controlName(control) + " has no property " + property);
}

std::string controlProperty(const Control& control, const PropertyPath& path) {
  const std::string& p = path.property;
  const auto* combo = dynamic_cast<const ComboBox*>(&control);
  const auto* check = dynamic_cast<const CheckBox*>(&control);
  const auto* slider = dynamic_cast<const Slider*>(&control);
  const auto* option = dynamic_cast<const OptionButton*>(&control);
  const auto* shape = dynamic_cast<const Shape*>(&control);
  if (p == "caption") return quoteText(control.caption());
  if (p == "enabled") return formatBool(control.enabled());
  if (p == "visible") return formatBool(control.visible());
  if (p == "bold") return formatBool(control.bold());
  if (p == "backcolor") return formatColor(control.backColor());
  if (p == "forecolor") return formatColor(control.foreColor());
  if (p == "tooltip") return quoteText(control.toolTip());
  if (p == "value") {
    if (check) return std::to_string(check->value());
    if (slider) return std::to_string(slider->value());
    if (option) return formatBool(option->value());
  }
  if (combo) {
    if (p == "text") return quoteText(combo->text());
    if (p == "listindex") return std::to_string(combo->listIndex());
    if (p == "listcount") return std::to_string(combo->listCount());
    if (p == "list") return quoteText(combo->list(*path.argument));
    if (p == "itemdata") return std::to_string(combo->itemData(*path.argument));
  }
  if (slider && p == "min") return std::to_string(slider->min());
  if (slider && p == "max") return std::to_string(slider->max());
  if (shape && p == "bordercolor") return formatColor(shape->borderColor());
  if (shape && p == "fillcolor") return formatColor(shape->fillColor());
  noProperty(control, p);
}

std::string formProperty(const Form& form, const std::string& p) {
  if (p == "caption") return quoteText(form.caption());
  if (p == "visible") return formatBool(form.visible());
  if (p == "enabled") return formatBool(form.enabled());
  if (p == "backcolor") return formatColor(form.backColor());
  if (p == "windowstate") return std::to_string(form.windowState());
  if (p == "left") return std::to_string(form.left());
  if (p == "top") return std::to_string(form.top());
  throw std::runtime_error(form.name() + " has no property " + p);
}

// Module state by name. Names the plug-in does not keep yet are unknown.
struct StateEntry {
  const char* name;
  std::string (*value)(const BeatVariables&);
};

std::string text(bool v) { return formatBool(v); }
std::string text(double v) { return formatNumber(v); }
template <class Int>
std::string text(Int v) {
  return std::to_string(v);
}

#define TACTOLO_STATE(member)                                      \
  StateEntry {                                                     \
#member, [](const BeatVariables& v) { return text(v.member); } \
  }

const std::array kState{
    TACTOLO_STATE(Recording),
    TACTOLO_STATE(RecordChannel),
    TACTOLO_STATE(InputIndex),
    TACTOLO_STATE(SendBeat),
    TACTOLO_STATE(SendVu),
    TACTOLO_STATE(GainFactor),
    TACTOLO_STATE(GainThresholdScale),
    TACTOLO_STATE(GainThresholdFloor),
    TACTOLO_STATE(VuGainFactor),
    TACTOLO_STATE(VuLevelLeft),
    TACTOLO_STATE(VuLevelRight),
    TACTOLO_STATE(AvgLevelLeft),
    TACTOLO_STATE(AvgLevelRight),
    TACTOLO_STATE(LevelSampleIndex),
    TACTOLO_STATE(LastLevelWord),
    TACTOLO_STATE(MeasuredBPM),
    TACTOLO_STATE(MaxBPMValue),
    TACTOLO_STATE(LastBeatTime),
    TACTOLO_STATE(PrevBeatTime),
    TACTOLO_STATE(Keeping),
    TACTOLO_STATE(KeptBPM),
    TACTOLO_STATE(KeepBPMMin),
    TACTOLO_STATE(SyncWindow),
    TACTOLO_STATE(GeneratedBeats),
    TACTOLO_STATE(DoubleSpeed),
    TACTOLO_STATE(HalfSpeed),
    TACTOLO_STATE(SendGeneratedBeat),
};

#undef TACTOLO_STATE

}  // namespace

Form* ScriptRunner::loadedForm(const std::string& name, std::string& why) const {
  PluginModule& module = world_->module();
  if (module.isWindowLoaded(name)) {
    if (name == TactoloMain::kName && module.hasMainWindow()) return &module.mainWindow().form();
    if (name == VUConfigForm::kName) return &module.vuConfigForm().form();
  }
  why = name + " is not loaded";
  return nullptr;
}

Control& ScriptRunner::reachableControl(const std::string& formName, const ControlRef& ref) const {
  std::string why;
  Form* form = loadedForm(formName, why);
  if (form == nullptr) throw std::runtime_error(why);
  if (!form->visible()) throw std::runtime_error(formName + " is hidden");
  Control& control = findControl(*form, ref);
  // A user reaches a control only when it and every frame around it are
  // shown and enabled.
  for (Control* c = &control; c != nullptr && c != form; c = c->container()) {
    if (!c->visible()) throw std::runtime_error(controlName(*c) + " is hidden");
    if (!c->enabled()) throw std::runtime_error(controlName(*c) + " is disabled");
  }
  return control;
}

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
  try {
    std::string why;
    Form* loaded = loadedForm(form, why);
    if (loaded == nullptr) throw std::runtime_error(why);
    const std::string value = path.control ? controlProperty(findControl(*loaded, *path.control), path)
                                           : formProperty(*loaded, path.property);
    print(args[1].text + " = " + value);
  } catch (const std::exception& e) {
    print(std::string("error: ") + e.what());
  }
}

void ScriptRunner::getState(const std::string& name) {
  const auto entry =
      std::find_if(kState.begin(), kState.end(), [&](const StateEntry& e) { return sameName(e.name, name); });
  if (entry == kState.end()) {
    print("error: unknown state " + name);
    return;
  }
  print(std::string("state ") + entry->name + " = " + entry->value(world_->module().vars()));
}

void ScriptRunner::getTimer(const std::string& name) {
  constexpr std::array<const char*, 5> kTimers{"beatTimer", "beatClearTimer", "maxBpmTimer", "startTimer",
                                               "generateTimer"};
  const auto known =
      std::find_if(kTimers.begin(), kTimers.end(), [&](const char* timer) { return sameName(timer, name); });
  if (known == kTimers.end()) {
    print("error: unknown timer " + name);
    return;
  }
  const std::string timer = *known;
  PluginModule& module = world_->module();
  if (!module.isWindowLoaded(TactoloMain::kName) || !module.hasMainWindow()) {
    print(std::string("error: ") + TactoloMain::kName + " is not loaded");
    return;
  }
  TactoloMain& main = module.mainWindow();
  if (timer == "beatTimer") {
    print("timer beatTimer = " + std::string(main.beatTimer->enabled() ? "on" : "off") + ", " +
          std::to_string(main.beatTimer->intervalMs()) + " ms");
    return;
  }
  const Countdown& countdown = timer == "beatClearTimer" ? *main.beatClearTimer
                               : timer == "maxBpmTimer"  ? *main.maxBpmTimer
                               : timer == "startTimer"   ? *main.startTimer
                                                         : *main.generateTimer;
  std::string line = "timer " + timer + " = " + (countdown.enabled() ? "on" : "off") + ", " +
                     std::to_string(countdown.durationMs()) + " ms";
  if (countdown.enabled()) line += ", " + std::to_string(countdown.remainingMs()) + " ms left";
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
  const ControlRef ref = parseControlRef(args[2].text);
  int64_t value = 0;
  if (action == "select") value = parseInteger(args[3].text, 0, 32767, "the list position");
  if (action == "check") value = parseInteger(args[3].text, 0, 1, "the check box value");
  if (action == "slide") value = parseInteger(args[3].text, INT32_MIN, INT32_MAX, "the slider position");

  try {
    Control& control = reachableControl(form, ref);
    const std::string name = controlName(control);
    if (action == "click") {
      if (auto* button = dynamic_cast<Button*>(&control)) {
        button->click();
      } else if (auto* check = dynamic_cast<CheckBox*>(&control)) {
        check->click();
      } else if (auto* option = dynamic_cast<OptionButton*>(&control)) {
        option->select();
      } else {
        throw std::runtime_error(name + " cannot be clicked");
      }
    } else if (action == "select") {
      auto* combo = dynamic_cast<ComboBox*>(&control);
      if (combo == nullptr) throw std::runtime_error(name + " is not a list");
      combo->setListIndex(static_cast<int>(value));
    } else if (action == "check") {
      auto* check = dynamic_cast<CheckBox*>(&control);
      if (check == nullptr) throw std::runtime_error(name + " is not a check box");
      check->setValue(static_cast<int>(value));
    } else if (action == "slide") {
      auto* slider = dynamic_cast<Slider*>(&control);
      if (slider == nullptr) throw std::runtime_error(name + " is not a slider");
      slider->drag(static_cast<int32_t>(value));
    } else {
      throw std::runtime_error(name + " does not take typed text");
    }
  } catch (const std::exception& e) {
    print(std::string("error: ") + e.what());
  }
}

void ScriptRunner::close(const Args& args) {
  if (args.size() != 2) throw ScriptSyntaxError("usage: close FORM");
  const std::string form = formName(args[1].text);
  try {
    std::string why;
    Form* loaded = loadedForm(form, why);
    if (loaded == nullptr) throw std::runtime_error(why);
    if (!loaded->visible()) throw std::runtime_error(form + " is hidden");
    PluginModule& module = world_->module();
    if (form == TactoloMain::kName) {
      module.mainWindow().closeByUser();
    } else {
      module.vuConfigForm().unload();
    }
  } catch (const std::exception& e) {
    print(std::string("error: ") + e.what());
  }
}

}  // namespace tactolo::app
