// VUPointConfigForm: the editor of one point of the active configuration,
// the point EditPointSide and EditPointIndex name. The configuration editor
// fills it from the point and shows it modal; the editor writes into the
// point itself: the colour at once when it is chosen, the mode and the
// channels on OK. There is no Cancel.
#pragma once

#include <memory>

#include "module/vu_variables.h"
#include "vu/vu_forms.h"

namespace tactolo {

class PluginModule;
class VuWindows;

class VUPointConfigForm {
 public:
  static constexpr const char* kName = "VUPointConfigForm";

  VUPointConfigForm(PluginModule& module, VuWindows& windows);
  ~VUPointConfigForm();
  VUPointConfigForm(const VUPointConfigForm&) = delete;
  VUPointConfigForm& operator=(const VUPointConfigForm&) = delete;

  bool isLoaded() const { return form_ != nullptr; }
  /// Loads the window with its design content when it is not loaded; hidden.
  void load();
  /// Discards the window (its close box).
  void unload();
  /// The window's controls; any use loads it first.
  VuPointControls& form();
  /// Shows the window modal: returns once it is hidden or closed, the
  /// user's actions on it having run meanwhile (through the dialog service).
  void showModal();
  void hide();

  // Handlers ---------------------------------------------------------------
  /// "Monochrom" fills the dimmer channel, "RGB" the three colour channels.
  void ModeOption_Click(int index);
  /// Chooses the colour and stores it in the point at once; Cancel in the
  /// colour dialog keeps (and stores) the colour the button had.
  void colorButton_Click();
  /// Checks the four channel boxes (green, red, blue, dimmer), stores them
  /// and the mode into the point, and closes when all four were numbers. A
  /// box that holds no number, or one beyond the signed 32-bit range, gets
  /// its message and "1".
  void OkCommand_Click();

 private:
  void wireHandlers();
  VuPoint& editedPoint();

  PluginModule& module_;
  VuWindows& windows_;
  std::unique_ptr<VuPointControls> form_;
};

}  // namespace tactolo
