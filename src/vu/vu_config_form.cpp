#include "vu/vu_config_form.h"

#include <filesystem>
#include <vector>

#include "module/host_services.h"
#include "module/plugin_module.h"
#include "vu/vu_colors.h"
#include "vu/vu_files.h"
#include "vu/vu_meter.h"
#include "vu/vu_point_config_form.h"
#include "vu/vu_windows.h"

namespace tactolo {

namespace {

Color pointColor(const VuPoint& point) { return Rgb(point.Red, point.Green, point.Blue); }

/// A file's name without its folder, as the save dialog gives it back.
std::string fileTitle(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

VUConfigForm::VUConfigForm(PluginModule& module, VuWindows& windows) : module_(module), windows_(windows) {}

VUConfigForm::~VUConfigForm() = default;

void VUConfigForm::load() {
  if (form_) return;
  form_ = std::make_unique<VuConfigControls>();
  form_->setVisible(false);
  wireHandlers();
  try {
    Form_Load();
  } catch (...) {
    form_.reset();
    throw;
  }
  module_.windowLoaded(kName, *form_);
}

void VUConfigForm::unload() {
  if (!form_) return;
  form_.reset();
  module_.windowUnloaded(kName);
}

VuConfigControls& VUConfigForm::form() {
  load();
  return *form_;
}

void VUConfigForm::show() { form().setVisible(true); }

void VUConfigForm::hide() { form().setVisible(false); }

Button& VUConfigForm::pointButton(int16_t side, int index) {
  VuConfigControls& f = form();
  return *(side == kLeftRow ? f.LL : f.LR).at(static_cast<size_t>(index));
}

void VUConfigForm::wireHandlers() {
  VuConfigControls& f = *form_;
  f.ConfigCombo.onClick = [this] { ConfigCombo_Click(); };
  f.VuNameText.onChange = [this] { VuNameText_Change(); };
  f.ModeOption.onClick = [this](int index) { ModeOption_Click(index); };
  f.SizeCombo.onClick = [this] { SizeCombo_Click(); };
  for (int i = 0; i < kVuPointsPerRow; ++i) {
    f.LL[static_cast<size_t>(i)]->onClick = [this, i] { LL_Click(i); };
    f.LR[static_cast<size_t>(i)]->onClick = [this, i] { LR_Click(i); };
  }
  f.OkCommand.onClick = [this] { OkCommand_Click(); };
  f.CancelCommand.onClick = [this] { CancelCommand_Click(); };
  f.SaveCommand.onClick = [this] { SaveCommand_Click(); };
}

// --- Handlers --------------------------------------------------------------------

void VUConfigForm::Form_Load() {
  GetConfigs();
  RefreshPointButtons();
}

void VUConfigForm::ConfigCombo_Click() { LoadConfig(form_->ConfigCombo.text()); }

void VUConfigForm::VuNameText_Change() { module_.vu().config.VuName = form_->VuNameText.text(); }

void VUConfigForm::ModeOption_Click(int /*index*/) {
  module_.vu().config.VuStereo = form_->ModeOption.selectedIndex() != 0;
  RefreshPointButtons();
}

void VUConfigForm::SizeCombo_Click() { SizeCombo_Change(); }

void VUConfigForm::SizeCombo_Change() {
  // With no entry chosen there is no size: the thresholds stay as they are.
  const int position = form_->SizeCombo.listIndex();
  if (position < 0) return;
  VuMeter(module_).setupThresholds(position + 1);
  RefreshPointButtons();
}

void VUConfigForm::RefreshPointButtons() {
  VuConfigControls& f = *form_;
  const VuConfiguration& config = module_.vu().config;
  const int lastUsed = f.SizeCombo.listIndex();
  // Stereo also while no mode is chosen.
  const bool mono = f.ModeOption.selectedIndex() == 0;
  const auto show = [&](Button& button, bool used, const VuPoint& point) {
    button.setEnabled(used);
    button.setCaption(used ? "" : "X");
    button.setBackColor(used ? pointColor(point) : VuConfigControls::kUnusedPoint);
  };
  for (int i = 0; i < kVuPointsPerRow; ++i) {
    const auto k = static_cast<size_t>(i);
    if (mono) show(*f.LR[k], false, config.RightPoints[k]);
    show(*f.LL[k], i <= lastUsed, config.LeftPoints[k]);
    if (!mono) show(*f.LR[k], i <= lastUsed, config.RightPoints[k]);
  }
}

void VUConfigForm::LL_Click(int index) { openPoint(kLeftRow, index); }

void VUConfigForm::LR_Click(int index) { openPoint(kRightRow, index); }

void VUConfigForm::openPoint(int16_t side, int index) {
  VuVariables& vu = module_.vu();
  vu.EditPointIndex = static_cast<int16_t>(index);
  vu.EditPointSide = side;
  const VuPoint& point =
      (side == kLeftRow ? vu.config.LeftPoints : vu.config.RightPoints).at(static_cast<size_t>(index));
  const Color color = pointButton(side, index).backColor();

  VUPointConfigForm& editor = windows_.vuPointConfigForm();
  VuPointControls& p = editor.form();
  p.colorButton.setBackColor(color);
  p.colorButton.setCaption(ColorCaption(color, module_.systemColors()));
  p.ChanText.setText(std::to_string(point.DimmerChannel));
  p.RText.setText(std::to_string(point.RedChannel));
  p.GText.setText(std::to_string(point.GreenChannel));
  p.BText.setText(std::to_string(point.BlueChannel));
  p.ModeOption.select(point.Monochrome ? 0 : 1);

  editor.showModal();

  // Either window may have been closed meanwhile: both are reached afresh
  // (which loads them again, as any use does).
  pointButton(side, index).setBackColor(editor.form().colorButton.backColor());
}

void VUConfigForm::OkCommand_Click() {
  VuConfigControls& f = *form_;
  MainWindowAccess& main = module_.mainWindow();
  if (f.LL[0]->backColor() != Rgb(0, 0, 0)) {
    module_.vu().config.VuConfigLoaded = true;
    main.SendVuCheck().setEnabled(true);
  }
  ComboBox& confCombo = main.ConfCombo();
  confCombo.clear();
  for (int i = 0; i < f.ConfigCombo.listCount(); ++i) confCombo.addItem(f.ConfigCombo.list(i));
  hide();
}

void VUConfigForm::CancelCommand_Click() { hide(); }

void VUConfigForm::SaveCommand_Click() {
  VuConfigControls& f = *form_;
  std::string folder;
  try {
    folder = vuFolder();
  } catch (const VuFileError&) {
    return;  // a project without a folder: nowhere to start from
  }
  FileSaveRequest request;
  request.title = "Save Configuration ...";
  request.filter = "VU-Meter (*.vuconf)|*.vuconf";
  request.filterIndex = 1;
  request.initialFolder = folder;
  const std::optional<std::string> path = module_.dialogs().fileSave(request);
  if (!path) return;
  try {
    WriteVuConfigFile(*path, module_.vu().config);
  } catch (const VuFileError&) {
    return;
  }
  module_.dialogs().messageBox("Configuration saved !", "", MessageIcon::None, MessageButtons::Ok);
  // The new entry is chosen, which loads the file back by its name.
  f.ConfigCombo.addItem(fileTitle(*path));
  f.ConfigCombo.setListIndex(f.ConfigCombo.listCount() - 1);
}

// --- File operations ---------------------------------------------------------------

std::string VUConfigForm::vuFolder() {
  HostServices& host = module_.PluginHelper();
  const std::string name = host.ProjectName();
  return VuFolder(name, host.ProjectBaseFilename());
}

void VUConfigForm::GetConfigs() {
  VuConfigControls& f = form();
  std::vector<VuConfigEntry> found;
  try {
    const std::string folder = vuFolder();
    try {
      found = ListVuConfigs(folder);
    } catch (const VuFileError& e) {
      module_.reportEventError("VU configurations: " + std::string(e.what()));
    }
  } catch (const VuFileError&) {
    // A project without a folder (no file yet) has no configurations.
  }

  // Reaching the main window's list first loads that window if needed, which
  // lists for itself; the lists are emptied after that, so that its entries
  // are not listed twice.
  ComboBox& confCombo = module_.mainWindow().ConfCombo();
  f.ConfigCombo.clear();
  confCombo.clear();
  for (const VuConfigEntry& entry : found) f.ConfigCombo.addItem(entry.fileName);
  if (found.empty()) return;

  configList_.rebuild(found);
  for (const VuConfigEntry& entry : found) confCombo.addItem(entry.configName);
  f.ConfigCombo.setListIndex(0);
  confCombo.setListIndex(0);
}

void VUConfigForm::LoadConfig(const std::string& fileName) {
  VuConfigControls& f = form();
  std::string path = fileName;
  VuLayout layout;
  try {
    path = vuFolder() + fileName;
    layout = ReadVuConfigFile(path);
  } catch (const VuFileError&) {
    // Nothing of the file is applied: the configuration stays whole.
    module_.dialogs().messageBox("Error while reading " + path, "", MessageIcon::None, MessageButtons::Ok);
    return;
  }

  VuConfiguration& config = module_.vu().config;
  config.VuName = layout.VuName;
  f.VuNameText.setText(layout.VuName);
  config.VuStereo = layout.VuStereo;
  f.ModeOption.select(layout.VuStereo ? 1 : 0);  // its handler sets the mode and refreshes
  config.VuSize = layout.VuSize;
  f.SizeCombo.setListIndex(layout.VuSize - 1);  // its handler sets up the thresholds
  // All 32 buttons show their colours, also those the refresh has greyed.
  for (int i = 0; i < kVuPointsPerRow; ++i) {
    const auto k = static_cast<size_t>(i);
    config.LeftPoints[k] = layout.LeftPoints[k];
    f.LL[k]->setBackColor(pointColor(config.LeftPoints[k]));
  }
  for (int i = 0; i < kVuPointsPerRow; ++i) {
    const auto k = static_cast<size_t>(i);
    config.RightPoints[k] = layout.RightPoints[k];
    f.LR[k]->setBackColor(pointColor(config.RightPoints[k]));
  }
  config.VuConfigLoaded = true;
}

}  // namespace tactolo
