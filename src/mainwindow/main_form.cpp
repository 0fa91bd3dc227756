#include "mainwindow/main_form.h"

namespace tactolo {
namespace {

Label& label(Form& f, const char* name, Control* in, TwipRect r, const char* caption) {
  Label& l = f.add<Label>(name, -1, in, r);
  l.setCaption(caption);
  return l;
}

Frame& frame(Form& f, const char* name, int index, TwipRect r, const char* caption) {
  Frame& fr = f.add<Frame>(name, index, nullptr, r);
  fr.setCaption(caption);
  return fr;
}

Slider& slider(Form& f, const char* name, Control* in, TwipRect r, int32_t min, int32_t max, int32_t value,
               int32_t large, int32_t small, int32_t tick) {
  Slider& s = f.add<Slider>(name, -1, in, r, min, max, value);
  s.largeChange = large;
  s.smallChange = small;
  s.tickFrequency = tick;
  return s;
}

OptionButton& option(Form& f, OptionGroup& group, int index, Control* in, TwipRect r, const char* caption) {
  OptionButton& b = f.add<OptionButton>(group.name(), index, in, r, group);
  b.setCaption(caption);
  return b;
}

}  // namespace

MainForm::MainForm()
    : Form("TactoloMain", {0, 0, 4260, 8760}),
      SourceFrame(frame(*this, "SourceFrame", -1, {120, 120, 3975, 1455}, "Audio")),
      Label1(label(*this, "Label1", &SourceFrame, {120, 240, 855, 255}, "Device : ")),
      devicesBox(add<ComboBox>("devicesBox", -1, &SourceFrame, {120, 480, 1815, 315})),
      Label2(label(*this, "Label2", &SourceFrame, {2040, 240, 735, 255}, "Input : ")),
      inputBox(add<ComboBox>("inputBox", -1, &SourceFrame, {2040, 480, 1815, 315})),
      gainLabel(label(*this, "gainLabel", &SourceFrame, {120, 840, 1815, 255}, "Gain : ")),
      gainSlider(slider(*this, "gainSlider", &SourceFrame, {120, 1080, 2295, 255}, 0, 100, 50, 20, 10, 10)),
      startButton(add<Button>("startButton", -1, &SourceFrame, {2520, 960, 1335, 375})),
      OutputFrame(frame(*this, "OutputFrame", -1, {120, 1680, 3975, 615}, "Output")),
      sendBeatCheck(add<CheckBox>("sendBeatCheck", -1, &OutputFrame, {120, 240, 1335, 255})),
      SendVuCheck(add<CheckBox>("SendVuCheck", -1, &OutputFrame, {2160, 240, 1335, 255})),
      AlgoFrame(frame(*this, "AlgoFrame", -1, {120, 2400, 3975, 735}, "Tactolo Algorithm")),
      methodBox(add<ComboBox>("methodBox", -1, &AlgoFrame, {120, 240, 3615, 315})),
      methodGroup{
          &frame(*this, "methodGroup", 0, {120, 3240, 3975, 1575}, "Standard Weight Method"),
          &frame(*this, "methodGroup", 1, {120, 3240, 3975, 1575}, "Simple Sound Energy Method"),
          &frame(*this, "methodGroup", 2, {120, 3240, 3975, 1575}, "Frequency Selected Sound Energy")},
      senseLabel(label(*this, "senseLabel", methodGroup[0], {2040, 240, 1695, 255}, "Sensitivity")),
      senseSlider(
          slider(*this, "senseSlider", methodGroup[0], {2040, 480, 1695, 255}, -100, 100, 0, 5, 1, 25)),
      freqOption(addOptionGroup("freqOption")),
      Label3(label(*this, "Label3", methodGroup[0], {2040, 960, 1695, 255}, "correction high <-> bass")),
      correctionSlider(slider(*this, "correctionSlider", methodGroup[0], {2040, 1200, 1695, 255}, 200, 2000,
                              1100, 100, 1, 200)),
      simpleLabel(
          label(*this, "simpleLabel", methodGroup[1], {360, 360, 3375, 1095}, "No parameters available")),
      Label6(label(*this, "Label6", methodGroup[2], {240, 480, 1815, 255}, "Number of Subbands : ")),
      subBandBox(add<ComboBox>("subBandBox", -1, methodGroup[2], {2400, 480, 1095, 315})),
      subBandCheck(add<CheckBox>("subBandCheck", -1, methodGroup[2], {120, 960, 1455, 375})),
      subBandSlider(
          slider(*this, "subBandSlider", methodGroup[2], {1800, 960, 1935, 255}, 1, 64, 32, 5, 4, 8)),
      Label7(label(*this, "Label7", methodGroup[2], {1800, 1200, 255, 255}, "1")),
      midLabel(label(*this, "midLabel", methodGroup[2], {2640, 1200, 255, 255}, "32")),
      maxLabel(label(*this, "maxLabel", methodGroup[2], {3480, 1200, 255, 255}, "64")),
      BpmFrame(frame(*this, "BpmFrame", -1, {120, 4920, 3975, 2055}, "BPM Control")),
      maxBpmCheck(add<CheckBox>("maxBpmCheck", -1, &BpmFrame, {120, 240, 1575, 255})),
      Label5(label(*this, "Label5", &BpmFrame, {1920, 120, 855, 255}, "max BPM : ")),
      maxBpmSlider(
          slider(*this, "maxBpmSlider", &BpmFrame, {1800, 360, 2055, 255}, 30, 300, 165, 54, 10, 30)),
      beatShape(add<Shape>("beatShape", -1, &BpmFrame, {120, 720, 855, 495})),
      keepButton(add<Button>("keepButton", -1, &BpmFrame, {1080, 720, 1455, 495})),
      speedOption(addOptionGroup("speedOption")),
      Label8(label(*this, "Label8", &BpmFrame, {120, 1320, 495, 255}, "BPM : ")),
      bpmLabel(label(*this, "bpmLabel", &BpmFrame, {120, 1560, 615, 255}, "0")),
      syncButton(add<Button>("syncButton", -1, &BpmFrame, {840, 1440, 975, 495})),
      Label9(label(*this, "Label9", &BpmFrame, {1920, 1320, 1935, 255}, "BPM-Tolerance (\u00B1 0 - 50) :")),
      bpmToleranceSlider(
          slider(*this, "bpmToleranceSlider", &BpmFrame, {1920, 1560, 1935, 255}, 0, 30, 5, 5, 1, 5)),
      Frame1(frame(*this, "Frame1", -1, {120, 7080, 3975, 1575}, "VU-Meter")),
      VUpicture(add<PictureBox>("VUpicture", -1, &Frame1, {120, 240, 3735, 375})),
      Label10(label(*this, "Label10", &Frame1, {120, 720, 615, 255}, "Level")),
      VUslider(slider(*this, "VUslider", &Frame1, {720, 720, 3015, 255}, 0, 100, 50, 5, 1, 10)),
      Label4(label(*this, "Label4", &Frame1, {120, 1080, 1095, 255}, "Configuration")),
      ConfCombo(add<ComboBox>("ConfCombo", -1, &Frame1, {1440, 1080, 2295, 315})),
      debugLabel(label(*this, "debugLabel", nullptr, {120, 8760, 1815, 255}, "-")),
      DebugLabel2(label(*this, "DebugLabel2", nullptr, {2160, 8760, 1935, 255}, "-")) {
  setCaption("Tactolo");
  startButton.setCaption("Start");
  sendBeatCheck.setCaption("send Beat");
  sendBeatCheck.setValue(1);
  sendBeatCheck.setBold(true);
  SendVuCheck.setCaption("send VU");
  methodGroup[1]->setVisible(false);
  methodGroup[2]->setVisible(false);
  option(*this, freqOption, 0, methodGroup[0], {240, 360, 1455, 375}, "Bass 50-200 Hz");
  option(*this, freqOption, 1, methodGroup[0], {240, 720, 1455, 375}, "HiHat 3-5 KHz");
  option(*this, freqOption, 2, methodGroup[0], {240, 1080, 1455, 375}, "Bass and HiHat");
  freqOption.select(2);  // no handler attached yet: design selection only
  subBandCheck.setCaption("Interpreted Subbands");
  subBandCheck.setToolTip("Number of subbands used for Tactolo (sorted according to the maximal  variance)");
  maxBpmCheck.setCaption("max BPM = 165");
  maxBpmCheck.setValue(1);
  beatShape.setFillColor(Rgb(64, 64, 64));
  beatShape.setBackColor(Rgb(64, 64, 64));
  beatShape.setBorderColor(kRed);
  keepButton.setCaption("Keep this beat !");
  option(*this, speedOption, 0, &BpmFrame, {2640, 720, 375, 495}, "2");
  option(*this, speedOption, 1, &BpmFrame, {3000, 720, 375, 495}, "1");
  option(*this, speedOption, 2, &BpmFrame, {3360, 720, 495, 495}, "1/2");
  speedOption.select(1);
  bpmLabel.setBold(true);
  syncButton.setCaption("Sync");
}

}  // namespace tactolo
