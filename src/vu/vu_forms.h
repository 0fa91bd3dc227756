// The controls of the two VU editors with their design content: created
// fresh each time a window loads, so a reload starts from the same layout.
#pragma once

#include <array>

#include "module/vu_variables.h"
#include "platform/control_model.h"

namespace tactolo {

/// VUConfigForm, the editor of VU configurations ("VU Config").
class VuConfigControls final : public Form {
 public:
  VuConfigControls();

  Label& Label1;
  ComboBox& ConfigCombo;  // the listed files; choosing one loads it
  Frame& Frame3;
  TextBox& VuNameText;
  Frame& Frame1;
  OptionGroup& ModeOption;  // 0 "Mono", 1 "Stereo"; neither at first
  Frame& Frame2;
  ComboBox& SizeCombo;  // "1" to "16"
  Label& Label2;
  // The points of the two rows, point 0 at the left, the right row below.
  std::array<Button*, kVuPointsPerRow> LL;
  std::array<Button*, kVuPointsPerRow> LR;
  Button& OkCommand;
  Button& CancelCommand;
  Button& SaveCommand;

  /// A point button's background while the point is not in use.
  static constexpr Color kUnusedPoint = Rgb(150, 150, 150);
};

/// VUPointConfigForm, the editor of one point ("Config Point").
class VuPointControls final : public Form {
 public:
  /// `palette` resolves the button face, the colour button's first colour,
  /// for its caption.
  explicit VuPointControls(const SystemColors& palette);

  Frame& Frame1;
  OptionGroup& ModeOption;  // 0 "Monochrom", 1 "RGB" (selected at first)
  Label& Label5;
  Button& colorButton;  // shows the colour; its caption is "R,G,B"
  Label& Label1;
  TextBox& ChanText;
  Label& Label2;
  TextBox& RText;
  Label& Label3;
  TextBox& GText;
  Label& Label4;
  TextBox& BText;
  Button& OkCommand;
};

}  // namespace tactolo
