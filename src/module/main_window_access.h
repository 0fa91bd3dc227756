// How code below the main window reaches it.
//
// The VU editors fill the main window's list of configurations and switch its
// VU check box, but they sit in a layer below the window. They reach it
// through this interface, which the shell's window registry implements. As
// with any use of a window, touching one of its controls loads the main
// window first (its load sequence runs once).
#pragma once

#include "platform/control_model.h"

namespace tactolo {

class MainWindowAccess {
 public:
  virtual ~MainWindowAccess() = default;
  /// The main window's list of VU configurations (`ConfCombo`).
  virtual ComboBox& ConfCombo() = 0;
  /// The main window's VU output switch (`SendVuCheck`).
  virtual CheckBox& SendVuCheck() = 0;
};

}  // namespace tactolo
