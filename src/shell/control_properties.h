// The properties a host may read of a form or a control (automation.h):
// what the window shows, typed as the control model holds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/automation.h"
#include "platform/control_model.h"

namespace tactolo {

/// A control as its window names it: "startButton", "freqOption(2)".
std::string controlName(const std::string& name, int32_t index);

/// The property `property` (without regard to case) of `control`: caption,
/// text (a list's chosen entry, a text box's text), value, listindex,
/// listcount, list(N), itemdata(N), enabled, visible, bold, backcolor,
/// forecolor, bordercolor, fillcolor, min, max, tooltip, and picture (what a
/// picture box shows: "X1,Y1-X2,Y2 R,G,B" per box, joined by "; ");
/// `argument` is the N of list(N) and itemdata(N). std::runtime_error when
/// the control has no such property; ControlError for an entry outside the
/// list.
AutomationValue readControlProperty(const Control& control, const std::string& property,
                                    std::optional<int32_t> argument);

/// A property of the window itself: caption, visible, enabled, backcolor,
/// windowstate, left, top.
AutomationValue readFormProperty(const Form& form, const std::string& property);

/// Everything a view draws of `control`.
ControlDescription describeControl(const Control& control);

/// The form and all its controls; `modal` while it is shown modal.
FormDescription describeForm(const Form& form, bool modal);

}  // namespace tactolo
