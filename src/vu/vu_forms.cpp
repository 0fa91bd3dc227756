#include "vu/vu_forms.h"

#include <string>

#include "vu/vu_colors.h"

namespace tactolo {
namespace {

template <class T>
T& captioned(T& control, const std::string& caption) {
  control.setCaption(caption);
  return control;
}

TextBox& textBox(Form& form, const char* name, Control* in, TwipRect bounds, const char* text) {
  TextBox& box = form.add<TextBox>(name, -1, in, bounds);
  box.setText(text);
  return box;
}

// The point buttons are square and equal, at a constant spacing.
constexpr int32_t kPointSize = 315;
constexpr int32_t kPointSpacing = 345;

std::array<Button*, kVuPointsPerRow> pointRow(Form& form, const char* name, int32_t top) {
  std::array<Button*, kVuPointsPerRow> row{};
  for (int i = 0; i < kVuPointsPerRow; ++i) {
    row[static_cast<size_t>(i)] =
        &form.add<Button>(name, i, nullptr, {120 + i * kPointSpacing, top, kPointSize, kPointSize});
  }
  return row;
}

OptionButton& option(Form& form, OptionGroup& group, int index, Control* in, TwipRect bounds,
                     const char* caption) {
  return captioned(form.add<OptionButton>(group.name(), index, in, bounds, group), caption);
}

}  // namespace

VuConfigControls::VuConfigControls()
    : Form("VUConfigForm", {0, 0, 5760, 3600}),
      Label1(captioned(add<Label>("Label1", -1, nullptr, {120, 120, 3015, 255}), "VU-Meter Configuration")),
      ConfigCombo(add<ComboBox>("ConfigCombo", -1, nullptr, {120, 480, 3015, 315})),
      Frame3(captioned(add<Frame>("Frame3", -1, nullptr, {3240, 120, 2400, 735}), "Name")),
      VuNameText(textBox(*this, "VuNameText", &Frame3, {120, 300, 2160, 315}, "VU-Name")),
      Frame1(captioned(add<Frame>("Frame1", -1, nullptr, {120, 960, 2400, 735}), "Mode")),
      ModeOption(addOptionGroup("ModeOption")),
      Frame2(captioned(add<Frame>("Frame2", -1, nullptr, {2640, 960, 1935, 735}), "Size")),
      SizeCombo(add<ComboBox>("SizeCombo", -1, &Frame2, {120, 300, 855, 315})),
      Label2(captioned(add<Label>("Label2", -1, &Frame2, {1080, 330, 735, 255}), "Points")),
      LL(pointRow(*this, "LL", 1920)),
      LR(pointRow(*this, "LR", 1920 + kPointSpacing + 120)),
      OkCommand(captioned(add<Button>("OkCommand", -1, nullptr, {120, 3000, 1215, 375}), "OK")),
      CancelCommand(captioned(add<Button>("CancelCommand", -1, nullptr, {1440, 3000, 1215, 375}), "Cancel")),
      SaveCommand(
          captioned(add<Button>("SaveCommand", -1, nullptr, {4305, 3000, 1335, 375}), "Save Config")) {
  setCaption("VU Config");
  option(*this, ModeOption, 0, &Frame1, {120, 300, 975, 255}, "Mono");
  option(*this, ModeOption, 1, &Frame1, {1200, 300, 975, 255}, "Stereo");
  for (int size = kVuMinSize; size <= kVuMaxSize; ++size) SizeCombo.addItem(std::to_string(size));
}

VuPointControls::VuPointControls(const SystemColors& palette)
    : Form("VUPointConfigForm", {0, 0, 3960, 3480}),
      Frame1(captioned(add<Frame>("Frame1", -1, nullptr, {120, 120, 3735, 615}), "Mode")),
      ModeOption(addOptionGroup("ModeOption")),
      Label5(captioned(add<Label>("Label5", -1, nullptr, {120, 900, 1335, 255}), "Color (R,G,B): ")),
      colorButton(add<Button>("colorButton", -1, nullptr, {1560, 840, 2295, 375})),
      Label1(captioned(add<Label>("Label1", -1, nullptr, {120, 1440, 1335, 255}), "Channel:")),
      ChanText(textBox(*this, "ChanText", nullptr, {1560, 1380, 1095, 315}, "1")),
      Label2(captioned(add<Label>("Label2", -1, nullptr, {120, 1860, 1335, 255}), "Channel R:")),
      RText(textBox(*this, "RText", nullptr, {1560, 1800, 1095, 315}, "1")),
      Label3(captioned(add<Label>("Label3", -1, nullptr, {120, 2280, 1335, 255}), "Channel G:")),
      GText(textBox(*this, "GText", nullptr, {1560, 2220, 1095, 315}, "2")),
      Label4(captioned(add<Label>("Label4", -1, nullptr, {120, 2700, 1335, 255}), "Channel B:")),
      BText(textBox(*this, "BText", nullptr, {1560, 2640, 1095, 315}, "3")),
      OkCommand(captioned(add<Button>("OkCommand", -1, nullptr, {2760, 2940, 1095, 375}), "OK")) {
  setCaption("Config Point");
  option(*this, ModeOption, 0, &Frame1, {120, 240, 1575, 255}, "Monochrom");
  option(*this, ModeOption, 1, &Frame1, {1920, 240, 1575, 255}, "RGB");
  // Design state: "RGB" chosen, so the colour channels are the ones to fill.
  ModeOption.select(1);
  ChanText.setEnabled(false);
  colorButton.setBackColor(kButtonFace);
  colorButton.setCaption(ColorCaption(kButtonFace, palette));
}

}  // namespace tactolo
