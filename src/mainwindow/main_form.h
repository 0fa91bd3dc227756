// The main window's controls with their design content: created fresh each
// time the window loads, so a reload starts from the same layout.
#pragma once

#include <array>

#include "platform/control_model.h"

namespace tactolo {

class MainForm final : public Form {
 public:
  MainForm();

  // Audio
  Frame& SourceFrame;
  Label& Label1;
  ComboBox& devicesBox;
  Label& Label2;
  ComboBox& inputBox;
  Label& gainLabel;
  Slider& gainSlider;
  Button& startButton;
  // Output
  Frame& OutputFrame;
  CheckBox& sendBeatCheck;
  CheckBox& SendVuCheck;
  // Method choice and the three method panels (one indexed group)
  Frame& AlgoFrame;
  ComboBox& methodBox;
  std::array<Frame*, 3> methodGroup;
  Label& senseLabel;
  Slider& senseSlider;
  OptionGroup& freqOption;
  Label& Label3;
  Slider& correctionSlider;
  Label& simpleLabel;
  Label& Label6;
  ComboBox& subBandBox;
  CheckBox& subBandCheck;
  Slider& subBandSlider;
  Label& Label7;
  Label& midLabel;
  Label& maxLabel;
  // BPM control
  Frame& BpmFrame;
  CheckBox& maxBpmCheck;
  Label& Label5;
  Slider& maxBpmSlider;
  Shape& beatShape;
  Button& keepButton;
  OptionGroup& speedOption;
  Label& Label8;
  Label& bpmLabel;
  Button& syncButton;
  Label& Label9;
  Slider& bpmToleranceSlider;
  // VU meter
  Frame& Frame1;
  PictureBox& VUpicture;
  Label& Label10;
  Slider& VUslider;
  Label& Label4;
  ComboBox& ConfCombo;
  // Debug labels below the visible area
  Label& debugLabel;
  Label& DebugLabel2;

  static constexpr Color kRed = Rgb(255, 0, 0);
  static constexpr Color kGreen = Rgb(0, 255, 0);
};

}  // namespace tactolo
