// Handlers of the main window that talk to the capture library: version
// check, device and input lists, gain, start and stop, and closing.
#include <string>

#include "audio/capture_library.h"
#include "mainwindow/tactolo_main.h"
#include "module/beat_variables.h"
#include "module/plugin_module.h"
#include "platform/numbers.h"

namespace tactolo {

namespace {
// Device and input numbers are counted in signed 16 bits.
constexpr int kMaxListEntries = 32767;
}  // namespace

void TactoloMain::CheckLibraryVersion() {
  if (HiWord(module_.capture().GetVersion()) != 0x0204) {
    module_.dialogs().messageBox("An incorrect version of BASS.DLL was loaded", "", MessageIcon::Critical,
                                 MessageButtons::Ok);
    int16_t cancel = 0;
    Form_Unload(cancel);
  }
}

void TactoloMain::ListRecordingDevices() {
  MainForm& f = *form_;
  CaptureLibrary& capture = module_.capture();
  RecordDeviceInfo info;
  for (int device = 0; device < kMaxListEntries && capture.RecordGetDeviceInfo(device, info); ++device) {
    if (info.flags & kDeviceEnabled) {
      f.devicesBox.addItem(info.name);
      f.devicesBox.setItemData(f.devicesBox.listCount() - 1, device);
    }
  }
  if (f.devicesBox.listCount() > 0) f.devicesBox.setListIndex(0);
}

void TactoloMain::devicesBox_Click() {
  MainForm& f = *form_;
  BeatVariables& v = vars();
  CaptureLibrary& capture = module_.capture();

  const bool wasRecording = v.Recording;
  if (wasRecording) startButton_Click();

  capture.RecordFree();
  capture.RecordInit(f.devicesBox.itemData(f.devicesBox.listIndex()));

  f.inputBox.clear();
  for (int input = 0; input < kMaxListEntries && capture.RecordGetInputName(input); ++input) {
    f.inputBox.addItem(capture.RecordGetInputName(input).value_or(""));
    if ((capture.RecordGetInput(input) & kInputOff) == 0) {
      // The last input that is switched on ends selected.
      f.inputBox.setListIndex(input);
      v.InputIndex = input;
    }
  }

  if (wasRecording) startButton_Click();
}

void TactoloMain::inputBox_Click() {
  MainForm& f = *form_;
  BeatVariables& v = vars();
  CaptureLibrary& capture = module_.capture();

  const bool wasRecording = v.Recording;
  if (wasRecording) startButton_Click();

  v.InputIndex = f.inputBox.listIndex();
  // Only the inputs before the chosen one are switched off; later ones keep
  // their state.
  for (int input = 0; input < v.InputIndex; ++input) capture.RecordSetInput(input, kInputOff, -1.0f);
  capture.RecordSetInput(v.InputIndex, kInputOn, -1.0f);

  if (wasRecording) startButton_Click();
}

void TactoloMain::gainSlider_Change() {
  BeatVariables& v = vars();
  const int32_t value = form_->gainSlider.value();
  v.GainThresholdScale = (value - 50) + 100;
  const int16_t x = static_cast<int16_t>(100 - value);
  if (value <= 50) {
    v.GainThresholdFloor = static_cast<int16_t>((x - 50) * 2 + 1);
  } else {
    v.GainThresholdFloor = 1.0 - (50 - x) * 0.01;
  }
  v.GainFactor = (value - 50) * 0.019 + 1.5;
}

void TactoloMain::startButton_Click() {
  MainForm& f = *form_;
  BeatVariables& v = vars();
  CaptureLibrary& capture = module_.capture();

  if (!beatTimer->enabled()) {
    v.RecordChannel = capture.RecordStart(kCaptureRate, 2, kSampleFloat, &RecordingCallback, nullptr);
    if (v.RecordChannel == 0) {
      Error_("Can't start recording");
      return;
    }
    startTimer->setEnabled(true);
    beatTimer->setEnabled(true);
    f.beatShape.setBorderColor(MainForm::kGreen);
    f.startButton.setCaption("Stop");
    v.Recording = true;
    return;
  }

  v.Recording = false;
  beatTimer->setEnabled(false);
  f.beatShape.setBorderColor(MainForm::kRed);
  f.startButton.setCaption("Start");
  capture.ChannelStop(v.RecordChannel);
  if (v.Keeping) {
    // Stopping ends keep mode, and with it the generated beats.
    keepButton_Click();
    generateTimer->setEnabled(false);
  }
  if (v.SendVu) SendVuCheck_Click();
  f.VUpicture.cls();
}

void TactoloMain::Error_(const std::string& message) {
  const int32_t code = module_.capture().ErrorGetCode();
  module_.dialogs().messageBox(message + "\r\n\r\nerror code: " + std::to_string(code), "Error",
                               MessageIcon::Exclamation, MessageButtons::Ok);
}

void TactoloMain::ShowNotice(const std::string& message) {
  module_.dialogs().messageBox(message, "Tactolo", MessageIcon::Information, MessageButtons::Ok);
}

void TactoloMain::stopAndCloseDevice() {
  BeatVariables& v = vars();
  v.SendVu = false;
  beatClearTimer->setEnabled(false);
  beatTimer->setEnabled(false);
  v.Recording = false;
  // Releasing the device ends a running capture as well.
  module_.capture().RecordFree();
}

void TactoloMain::Form_QueryUnload(int16_t& /*cancel*/, int16_t& /*unloadMode*/) { stopAndCloseDevice(); }

void TactoloMain::Form_Unload(int16_t& /*cancel*/) { stopAndCloseDevice(); }

void TactoloMain::startTimer_Timer() { startTimer->setEnabled(false); }

int RecordingCallback(ChannelHandle /*handle*/, const void* /*buffer*/, uint32_t /*length*/, void* /*user*/) {
  // The cycle pulls spectrum and level itself; the callback only keeps the
  // capture going.
  return 1;
}

}  // namespace tactolo
