// VUConfigForm: the editor of VU configurations, and the owner of the three
// file operations (listing, loading, saving), because they also update its
// controls. One instance per module, created on first use; its window loads
// on the first use of the window or of one of its operations (Form_Load lists
// the configurations and loads the first). The editor works on the active
// configuration in place: every change goes straight into the module state,
// and Cancel undoes nothing.
//
// Files live in the project's folder (VuFolder, from the host's project name
// and base file name). A file is read and checked whole before any of it is
// applied: a file that cannot be read changes nothing and shows "Error while
// reading " with its path.
#pragma once

#include <memory>
#include <string>

#include "module/vu_variables.h"
#include "platform/control_model.h"
#include "vu/vu_config.h"
#include "vu/vu_forms.h"

namespace tactolo {

class PluginModule;
class VuWindows;

class VUConfigForm {
 public:
  static constexpr const char* kName = "VUConfigForm";

  VUConfigForm(PluginModule& module, VuWindows& windows);
  ~VUConfigForm();
  VUConfigForm(const VUConfigForm&) = delete;
  VUConfigForm& operator=(const VUConfigForm&) = delete;

  bool isLoaded() const { return form_ != nullptr; }
  /// Loads the window when it is not loaded (runs Form_Load); hidden.
  void load();
  /// Discards the window (its close box); the next use loads it afresh.
  void unload();
  /// The window's controls; any use loads it first.
  VuConfigControls& form();
  /// Shows the window modeless, without an owner.
  void show();
  void hide();

  // Handlers ---------------------------------------------------------------
  void Form_Load();
  void ConfigCombo_Click();
  void VuNameText_Change();
  void ModeOption_Click(int index);
  void SizeCombo_Click();
  /// The threshold setup for the chosen size; with no size chosen, nothing.
  void SizeCombo_Change();
  void LL_Click(int index);
  void LR_Click(int index);
  void OkCommand_Click();
  void CancelCommand_Click();
  /// Asks for a file and saves the active configuration there, then lists
  /// the file and loads it back by name from the project's folder. Cancel,
  /// and any failure, end it without a message; a failed write leaves the
  /// file that was there as it was.
  void SaveCommand_Click();
  /// Shows which points are in use: enabled in their colours, or disabled,
  /// grey and marked "X".
  void RefreshPointButtons();

  // File operations ----------------------------------------------------------
  /// Lists the configuration files of the project's folder into this
  /// window's list (file names) and the main window's list (configuration
  /// names) and loads the first. With no file found (also with no folder, or
  /// one that cannot be listed, which is reported as an event error), both
  /// lists are empty, the table keeps its rows and nothing is loaded.
  void GetConfigs();
  /// Loads `fileName` from the project's folder into the active
  /// configuration and this window.
  void LoadConfig(const std::string& fileName);

  /// The table of the last listing that found files (VuConfigList).
  const VuConfigList& configList() const { return configList_; }
  /// The button of point `index` of a row (kLeftRow: LL, kRightRow: LR).
  Button& pointButton(int16_t side, int index);

 private:
  void wireHandlers();
  void openPoint(int16_t side, int index);
  std::string vuFolder();

  PluginModule& module_;
  VuWindows& windows_;
  std::unique_ptr<VuConfigControls> form_;
  VuConfigList configList_;
};

}  // namespace tactolo
