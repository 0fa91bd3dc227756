// How a host acts on the plug-in as its user would, and looks inside it.
//
// The lighting host itself needs none of this: it drives the plug-in through
// the interfaces of host_interfaces.h. Hosts that stand in for the user (the
// scripted host, `tactolo analyze`, a test driver) also click, select, slide
// and close, and read what the windows show and what the module keeps. They
// do it through IPluginAutomation, which the plug-in library hands out from
// its C entry, so that every action runs the library's own code on the
// library's own objects.
//
// Like every interface across the boundary it is abstract, takes and returns
// plain data, and lets no exception out: an error raised inside a handler is
// the action's failure (HostStatus::error), and the plug-in goes on.
//
// Adding a member changes the boundary: raise kInterfaceVersion
// (platform/library_entry.h) with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/host_interfaces.h"

namespace tactolo {

/// A control as a user names it: its name, and for a member of an indexed
/// group its index (-1 for a control outside a group). Names are matched
/// without regard to case.
struct ControlId {
  std::string name;
  int32_t index = -1;
};

/// A value read from the plug-in, typed as the plug-in holds it.
struct AutomationValue {
  enum class Kind { Text, Integer, Real, Boolean, Color };
  Kind kind = Kind::Text;
  std::string text;     // Text
  int64_t integer = 0;  // Integer; Boolean as 0 or 1; Color packed (red in the low byte)
  double real = 0.0;    // Real

  static AutomationValue ofText(std::string value) { return {Kind::Text, std::move(value), 0, 0.0}; }
  static AutomationValue ofInteger(int64_t value) { return {Kind::Integer, {}, value, 0.0}; }
  static AutomationValue ofReal(double value) { return {Kind::Real, {}, 0, value}; }
  static AutomationValue ofBoolean(bool value) { return {Kind::Boolean, {}, value ? 1 : 0, 0.0}; }
  static AutomationValue ofColor(uint32_t packed) { return {Kind::Color, {}, packed, 0.0}; }
};

/// A variable of the module state, under the spelling the plug-in gives it.
struct StateReading {
  std::string name;
  AutomationValue value;
};

/// A timer of the main window, under the plug-in's spelling. A periodic
/// timer reports its interval as its duration and never a time left; a
/// running countdown reports the milliseconds until it expires.
struct TimerReading {
  std::string name;
  bool enabled = false;
  int32_t durationMs = 0;
  std::optional<int32_t> remainingMs;
};

class IPluginAutomation {
 public:
  virtual ~IPluginAutomation() = default;

  // --- A user's actions ------------------------------------------------------
  // A user reaches only what is on the screen: the form must be loaded and
  // shown, and the control and every frame around it shown and enabled;
  // while a form is shown modal, no other form can be reached. Otherwise, or
  // when the control refuses the value, the action fails and changes
  // nothing. Form names are matched without regard to case.

  /// Clicks a button, a check box (which toggles it) or an option button
  /// (which selects it).
  virtual HostStatus click(const std::string& form, const ControlId& control) = 0;
  /// Picks entry `position` (0 is the first) of a drop-down list.
  virtual HostStatus select(const std::string& form, const ControlId& control, int32_t position) = 0;
  /// Sets a check box to 0 or 1; its click runs only when the value changes.
  virtual HostStatus check(const std::string& form, const ControlId& control, int32_t value) = 0;
  /// Drags a slider to `value`: its scroll, then its change.
  virtual HostStatus slide(const std::string& form, const ControlId& control, int32_t value) = 0;
  /// Types `text` into a text box.
  virtual HostStatus type(const std::string& form, const ControlId& control, const std::string& text) = 0;
  /// The form's close box.
  virtual HostStatus close(const std::string& form) = 0;

  // --- Looking: never loads a window, never changes anything ------------------

  /// A property of a loaded form: caption, visible, enabled, backcolor,
  /// windowstate, left, top.
  virtual HostResult<AutomationValue> formProperty(const std::string& form, const std::string& property) = 0;
  /// A property of a control of a loaded form: caption, text, value,
  /// listindex, listcount, list(N), itemdata(N), enabled, visible, bold,
  /// backcolor, forecolor, bordercolor, fillcolor, min, max, tooltip, picture
  /// (what a picture box shows, as text). `argument` is the N of list(N) and
  /// itemdata(N). Property names are matched without regard to case.
  virtual HostResult<AutomationValue> controlProperty(const std::string& form, const ControlId& control,
                                                      const std::string& property,
                                                      std::optional<int32_t> argument) = 0;
  /// A variable of the module state by name (without regard to case).
  virtual HostResult<StateReading> state(const std::string& name) = 0;
  /// A timer of the main window by name (without regard to case); fails while
  /// the main window is not loaded.
  virtual HostResult<TimerReading> timer(const std::string& name) = 0;
  /// The errors raised by events that no call waited for (timer ticks, a beat
  /// message the host refused), oldest first; they are forgotten once taken.
  virtual HostResult<std::vector<std::string>> takeEventErrors() = 0;
};

}  // namespace tactolo
