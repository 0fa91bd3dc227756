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

#include "platform/control_model.h"
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

/// The kinds of control a form holds.
enum class ControlKind {
  Frame,
  Label,
  Button,
  CheckBox,
  OptionButton,
  ComboBox,
  Slider,
  Shape,
  TextBox,
  PictureBox
};

/// Everything a view draws of one control, as the model holds it now.
/// Members that a kind does not have keep their defaults.
struct ControlDescription {
  ControlKind kind = ControlKind::Label;
  ControlId id;
  /// The frame that holds the control; an empty name for the form itself.
  ControlId container;
  /// Position within the container and size, in twips.
  TwipRect bounds;
  std::string caption;
  bool enabled = true;
  bool visible = true;
  bool bold = false;
  /// Packed colours; above 0xFFFFFF a system colour (control_model.h).
  Color backColor = 0;
  Color foreColor = 0;
  std::string toolTip;
  /// Check box: 0 clear, 1 checked, 2 greyed. Option button: 1 when
  /// selected. Slider: its position.
  int32_t value = 0;
  /// Text box: its text. List: the chosen entry, empty when none is.
  std::string text;
  /// List: its entries and the chosen one (-1 for none).
  std::vector<std::string> list;
  int32_t listIndex = -1;
  /// Slider: range, tick spacing and the steps of the arrow keys (small) and
  /// of a click beside the thumb (large).
  int32_t min = 0;
  int32_t max = 0;
  int32_t tickFrequency = 0;
  int32_t smallChange = 0;
  int32_t largeChange = 0;
  /// Option button: the group whose buttons exclude each other.
  std::string optionGroup;
  /// Shape: its border and inside.
  Color borderColor = 0;
  Color fillColor = 0;
  /// Picture box: the filled boxes in drawing order, in pixels (15 twips).
  std::vector<PictureBox::Box> boxes;
};

/// A loaded form as a view builds it: the window and all its controls, in
/// creation order (a frame comes before what it holds).
struct FormDescription {
  std::string name;
  std::string caption;
  bool visible = false;
  /// True while the form is shown modal.
  bool modal = false;
  /// Outer position on the screen, in twips.
  int32_t left = 0;
  int32_t top = 0;
  /// 0 normal, 1 minimised, 2 maximised.
  int32_t windowState = 0;
  /// Size of the client area, in twips.
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  Color backColor = 0;
  std::vector<ControlDescription> controls;
};

/// What happens to a form as a whole.
enum class FormEvent {
  Loaded,        // it exists now, hidden or shown: describe it
  Unloaded,      // it is gone; a later load builds it afresh
  Shown,         // visible became true
  Hidden,        // visible became false
  Moved,         // left or top changed
  StateChanged,  // the window state changed
  ModalShown,    // it is shown modal: the user reaches no other form
  ModalEnded,    // its modal showing ended
};

/// A host's view of the plug-in's forms, told of every change as it
/// happens: on the plug-in's thread, synchronously, after the change. The
/// observer may read the form or control back (describeForm,
/// describeControl) but must not act on the plug-in from inside a
/// notification. An exception it lets out is reported as an event error.
class IFormObserver {
 public:
  virtual ~IFormObserver() = default;
  /// A property of `control` of the loaded form `form` changed (an empty
  /// name: a property of the form itself, such as its caption).
  virtual void formChanged(const std::string& form, const ControlId& control) = 0;
  virtual void formEvent(const std::string& form, FormEvent event) = 0;
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

  // --- What a real window does to its form -------------------------------------
  // The user moves and minimises a window through the window system; these
  // tell the form, which then reads as the window stands. They need the form
  // loaded, shown or not, and are taken also while another form is modal.

  /// The user moved the window: its outer position is now (left, top) twips.
  virtual HostStatus moveWindow(const std::string& form, int32_t left, int32_t top) = 0;
  /// The user minimised (1), maximised (2) or restored (0) the window.
  virtual HostStatus changeWindowState(const std::string& form, int32_t state) = 0;

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

  // --- Views ------------------------------------------------------------------

  /// The names of the loaded forms, in the order they were loaded.
  virtual HostResult<std::vector<std::string>> loadedForms() = 0;
  /// A loaded form with all its controls.
  virtual HostResult<FormDescription> describeForm(const std::string& form) = 0;
  /// One control of a loaded form.
  virtual HostResult<ControlDescription> describeControl(const std::string& form,
                                                         const ControlId& control) = 0;
  /// Tells `observer` of every change of every form from now on, until it is
  /// removed or the module ends. It must outlive either; adding it twice
  /// counts once.
  virtual HostStatus addFormObserver(IFormObserver* observer) = 0;
  virtual HostStatus removeFormObserver(IFormObserver* observer) = 0;
};

}  // namespace tactolo
