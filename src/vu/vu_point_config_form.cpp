#include "vu/vu_point_config_form.h"

#include <limits>
#include <optional>
#include <string>

#include "module/plugin_module.h"
#include "vu/vu_colors.h"
#include "vu/vu_config_form.h"
#include "vu/vu_file_format.h"
#include "vu/vu_windows.h"

namespace tactolo {

namespace {

/// The channel number a box holds: a decimal number (a fraction rounded,
/// halves to even) within the signed 32-bit range; nothing for any other
/// text, an empty box included.
std::optional<int32_t> channelNumber(const std::string& text) {
  const std::optional<RoundedDecimal> number = ParseRoundedDecimal(text);
  if (!number || number->rounded < std::numeric_limits<int32_t>::min() ||
      number->rounded > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(number->rounded);
}

constexpr const char* kResetChannel = "1";

}  // namespace

VUPointConfigForm::VUPointConfigForm(PluginModule& module, VuWindows& windows)
    : module_(module), windows_(windows) {}

VUPointConfigForm::~VUPointConfigForm() = default;

void VUPointConfigForm::load() {
  if (form_) return;
  form_ = std::make_unique<VuPointControls>(module_.systemColors());
  form_->setVisible(false);
  wireHandlers();
  module_.windowLoaded(kName, *form_);
}

void VUPointConfigForm::unload() {
  if (!form_) return;
  form_.reset();
  module_.windowUnloaded(kName);
}

VuPointControls& VUPointConfigForm::form() {
  load();
  return *form_;
}

void VUPointConfigForm::hide() { form().setVisible(false); }

void VUPointConfigForm::showModal() {
  form().setVisible(true);
  module_.modalShown(kName);
  try {
    module_.dialogs().modalWait([this] { return form_ != nullptr && form_->visible(); });
  } catch (...) {
    module_.modalEnded(kName);
    throw;
  }
  module_.modalEnded(kName);
}

void VUPointConfigForm::wireHandlers() {
  VuPointControls& f = *form_;
  f.ModeOption.onClick = [this](int index) { ModeOption_Click(index); };
  f.colorButton.onClick = [this] { colorButton_Click(); };
  f.OkCommand.onClick = [this] { OkCommand_Click(); };
}

VuPoint& VUPointConfigForm::editedPoint() {
  VuVariables& vu = module_.vu();
  VuRow& row = vu.EditPointSide == kLeftRow ? vu.config.LeftPoints : vu.config.RightPoints;
  return row.at(static_cast<size_t>(vu.EditPointIndex));
}

void VUPointConfigForm::ModeOption_Click(int /*index*/) {
  VuPointControls& f = *form_;
  const bool mono = f.ModeOption.selectedIndex() == 0;
  f.ChanText.setEnabled(mono);
  f.RText.setEnabled(!mono);
  f.GText.setEnabled(!mono);
  f.BText.setEnabled(!mono);
}

void VUPointConfigForm::colorButton_Click() {
  VuPointControls& f = *form_;
  const SystemColors& palette = module_.systemColors();
  const Color given = f.colorButton.backColor();
  const Color color = module_.dialogs().chooseColor(given).value_or(given);
  f.colorButton.setBackColor(color);
  f.colorButton.setCaption(ColorCaption(color, palette));

  // The point's button shows the grey a dimmer point gives while this window
  // is open; the configuration editor shows the colour again afterwards.
  const bool mono = f.ModeOption.selectedIndex() == 0;
  const VuVariables& vu = module_.vu();
  windows_.vuConfigForm()
      .pointButton(vu.EditPointSide, vu.EditPointIndex)
      .setBackColor(mono ? GreyOf(color, palette) : color);

  VuPoint& point = editedPoint();
  point.DimmerValue = ColorPart(GreyOf(color, palette), kBlueMask, palette);
  point.Red = ColorPart(color, kRedMask, palette);
  point.Green = ColorPart(color, kGreenMask, palette);
  point.Blue = ColorPart(color, kBlueMask, palette);
}

void VUPointConfigForm::OkCommand_Click() {
  VuPointControls& f = *form_;
  struct ChannelBox {
    TextBox& box;
    const char* message;
  };
  // The order in which the boxes are checked, and their messages.
  const ChannelBox boxes[] = {{f.GText, "invalid value for green channel !"},
                              {f.RText, "invalid value for red channel !"},
                              {f.BText, "invalid value for blue channel !"},
                              {f.ChanText, "invalid value for dimmer channel !"}};
  bool allValid = true;
  for (const ChannelBox& channel : boxes) {
    if (channelNumber(channel.box.text())) continue;
    module_.dialogs().messageBox(channel.message, "", MessageIcon::None, MessageButtons::Ok);
    channel.box.setText(kResetChannel);
    allValid = false;
  }

  // Stored whatever the check found: a refused box as 1.
  const auto stored = [](const TextBox& box) { return channelNumber(box.text()).value_or(1); };
  VuPoint& point = editedPoint();
  point.DimmerChannel = stored(f.ChanText);
  point.RedChannel = stored(f.RText);
  point.GreenChannel = stored(f.GText);
  point.BlueChannel = stored(f.BText);
  point.Monochrome = f.ModeOption.selectedIndex() == 0;
  point.DimmerValue = GreyLevel(point.Red, point.Green, point.Blue);
  point.Confirmed = true;

  if (allValid) f.setVisible(false);
}

}  // namespace tactolo
