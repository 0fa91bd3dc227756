#include "shell/project_settings.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

#include "mainwindow/tactolo_main.h"
#include "module/beat_variables.h"
#include "module/host_services.h"
#include "shell/window_placement.h"

namespace tactolo {

namespace {

enum class Store { General, Device };

/// The settings, numbered in the order they are written.
enum class Key : std::size_t {
  DeviceIndex,
  DeviceName,
  InputIndex,
  InputName,
  AlgorithmIndex,
  GainValue,
  SendBeat,
  SendVu,
  MaxBPMCheck,
  MaxBPMValue,
  VuGainValue,
  VuConfig,
  SWMBassHihatIndex,
  SWMSensitivity,
  SWMCorrection,
  FSSESubbandIndex,
  FSSESubbandCheck,
  FSSESubbandValue,
  BPMTolerance,
};
constexpr std::size_t kKeyCount = 19;

struct Setting {
  Key key;
  const char* suffix;
  Store store;
  const char* defaultText;  // what a load takes when the store has no value
};

constexpr std::array<Setting, kKeyCount> kSettings{{
    {Key::DeviceIndex, "_DeviceIndex", Store::Device, "0"},
    {Key::DeviceName, "_DeviceName", Store::Device, ""},
    {Key::InputIndex, "_InputIndex", Store::Device, "0"},
    {Key::InputName, "_InputName", Store::Device, ""},
    {Key::AlgorithmIndex, "_AlgorithmIndex", Store::General, "0"},
    {Key::GainValue, "_GainValue", Store::General, "50"},
    {Key::SendBeat, "_SendBeat", Store::General, "1"},
    {Key::SendVu, "_SendVu", Store::General, "1"},
    {Key::MaxBPMCheck, "_MaxBPMCheck", Store::General, "1"},
    {Key::MaxBPMValue, "_MaxBPMValue", Store::General, "165"},
    {Key::VuGainValue, "_VuGainValue", Store::General, "50"},
    {Key::VuConfig, "_VuConfig", Store::General, "0"},
    {Key::SWMBassHihatIndex, "_SWMBassHihatIndex", Store::General, "2"},
    {Key::SWMSensitivity, "_SWMSensitivity", Store::General, "0"},
    {Key::SWMCorrection, "_SWMCorrection", Store::General, "1100"},
    {Key::FSSESubbandIndex, "_FSSESubbandIndex", Store::General, "3"},
    {Key::FSSESubbandCheck, "_FSSESubbandCheck", Store::General, "0"},
    {Key::FSSESubbandValue, "_FSSESubbandValue", Store::General, "8"},
    {Key::BPMTolerance, "_BPMTolerance", Store::General, "5"},
}};

/// A load applies the settings in another order than they are written: the
/// audio source and the method first, the VU configuration last. A name is
/// read together with its position (loadSource).
constexpr std::array<Key, kKeyCount> kLoadOrder{
    Key::DeviceIndex,    Key::DeviceName,       Key::InputIndex,        Key::InputName,
    Key::AlgorithmIndex, Key::GainValue,        Key::MaxBPMCheck,       Key::SendBeat,
    Key::SendVu,         Key::MaxBPMValue,      Key::SWMBassHihatIndex, Key::SWMSensitivity,
    Key::SWMCorrection,  Key::FSSESubbandIndex, Key::FSSESubbandCheck,  Key::FSSESubbandValue,
    Key::BPMTolerance,   Key::VuGainValue,      Key::VuConfig,
};

// Each setting stands at its key's number, and a load reads every key once.
constexpr bool tablesAgree() {
  std::array<int, kKeyCount> loads{};
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    if (static_cast<std::size_t>(kSettings[i].key) != i) return false;
    ++loads[static_cast<std::size_t>(kLoadOrder[i])];
  }
  for (const int count : loads) {
    if (count != 1) return false;
  }
  return true;
}
static_assert(tablesAgree(), "kSettings follows Key, and kLoadOrder names every key once");

const Setting& settingOf(Key key) { return kSettings[static_cast<std::size_t>(key)]; }

/// The selected band option, counted from 0; 0 when none is.
int32_t selectedBand(const MainForm& f) {
  for (int i = 0; i < 3; ++i) {
    const OptionButton* button = f.freqOption.button(i);
    if (button != nullptr && button->value()) return i;
  }
  return 0;
}

/// The text of the selected entry of a list; empty when none is.
std::string selectedName(const ComboBox& list) {
  const int32_t position = list.listIndex();
  return position >= 0 && position < list.listCount() ? list.list(position) : std::string();
}

int32_t savedValue(Key key, const MainForm& f) {
  switch (key) {
    case Key::DeviceIndex:
      return f.devicesBox.listIndex();
    case Key::DeviceName:
    case Key::InputName:
      break;  // text: savedText
    case Key::InputIndex:
      return f.inputBox.listIndex();
    case Key::AlgorithmIndex:
      return f.methodBox.listIndex();
    case Key::GainValue:
      return f.gainSlider.value();
    case Key::SendBeat:
      return f.sendBeatCheck.value();
    case Key::SendVu:
      return f.SendVuCheck.value();
    case Key::MaxBPMCheck:
      return f.maxBpmCheck.value();
    case Key::MaxBPMValue:
      return f.maxBpmSlider.value();
    case Key::VuGainValue:
      return f.VUslider.value();
    case Key::VuConfig:
      return f.ConfCombo.listIndex();
    case Key::SWMBassHihatIndex:
      return selectedBand(f);
    case Key::SWMSensitivity:
      return f.senseSlider.value();
    case Key::SWMCorrection:
      return f.correctionSlider.value();
    case Key::FSSESubbandIndex:
      return f.subBandBox.listIndex();
    case Key::FSSESubbandCheck:
      return f.subBandCheck.value();
    case Key::FSSESubbandValue:
      return f.subBandSlider.value();
    case Key::BPMTolerance:
      return f.bpmToleranceSlider.value();
  }
  return 0;
}

/// What a save writes for `key`: the names as they are listed, every other
/// setting as decimal text.
std::string savedText(Key key, const MainForm& f) {
  if (key == Key::DeviceName) return selectedName(f.devicesBox);
  if (key == Key::InputName) return selectedName(f.inputBox);
  return std::to_string(savedValue(key, f));
}

/// Puts one stored value into its control; the control's handlers run.
/// Raises ControlError for a value the control refuses, and a plain
/// runtime_error for a position that would leave the window without a
/// device or a method.
void apply(Key key, int16_t value, TactoloMain& window, BeatVariables& vars) {
  MainForm& f = window.form();
  switch (key) {
    case Key::DeviceIndex:
      // The list takes -1, but the device handler would free the open
      // device and then find no device to open.
      if (value == -1) throw std::runtime_error("no recording device chosen");
      f.devicesBox.setListIndex(value);
      return;
    case Key::InputIndex:
      f.inputBox.setListIndex(value);
      return;
    case Key::DeviceName:
    case Key::InputName:
      return;  // applied with their positions (loadSource)
    case Key::AlgorithmIndex:
      // With no method chosen the cycle would run and never find a beat.
      if (value == -1) throw std::runtime_error("no detection method chosen");
      f.methodBox.setListIndex(value);
      return;
    case Key::GainValue:
      f.gainSlider.setValue(value);
      return;
    case Key::MaxBPMCheck:
      f.maxBpmCheck.setValue(value);
      return;
    case Key::SendBeat:
      // The box raises no click when it already shows the value: the switch
      // follows the box either way.
      f.sendBeatCheck.setValue(value);
      vars.SendBeat = f.sendBeatCheck.value() == 1;
      return;
    case Key::SendVu:
      f.SendVuCheck.setValue(value);
      vars.SendVu = f.SendVuCheck.value() == 1;
      // Output that runs can always be switched off, also when no
      // configuration is listed.
      if (vars.SendVu) f.SendVuCheck.setEnabled(true);
      return;
    case Key::MaxBPMValue:
      f.maxBpmSlider.setValue(value);
      return;
    case Key::SWMBassHihatIndex:
      f.freqOption.select(value);
      return;
    case Key::SWMSensitivity:
      f.senseSlider.setValue(value);
      return;
    case Key::SWMCorrection:
      f.correctionSlider.setValue(value);
      return;
    case Key::FSSESubbandIndex:
      f.subBandBox.setListIndex(value);
      return;
    case Key::FSSESubbandCheck:
      f.subBandCheck.setValue(value);
      return;
    case Key::FSSESubbandValue:
      f.subBandSlider.setValue(value);
      return;
    case Key::BPMTolerance:
      f.bpmToleranceSlider.setValue(value);
      return;
    case Key::VuGainValue:
      // The slider has no change handler; the factor it stands for is set
      // here, so that the restored gain works before the user moves it.
      f.VUslider.setValue(value);
      window.VUslider_Scroll();
      return;
    case Key::VuConfig:
      // A position the list does not reach (fewer files than when the
      // project was saved) leaves the list as it is.
      if (value < f.ConfCombo.listCount()) f.ConfCombo.setListIndex(value);
      return;
  }
}

/// The stored text as a message shows it: quotes and control characters
/// escaped, so that the message stays one line.
std::string shownText(const std::string& text) {
  std::string shown = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      shown += '\\';
      shown += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown + "\"";
}

/// Picks the entry of the device list (`device`) or the input list that
/// holds `storedName`: the one at `position` when it does (two devices of
/// the same name), else the first. A name the list does not hold keeps the
/// entry chosen now and says so in a message box; false then.
bool applyName(bool device, const std::string& storedName, int16_t position, TactoloMain& window) {
  MainForm& f = window.form();
  ComboBox& list = device ? f.devicesBox : f.inputBox;
  std::optional<int> found;
  if (position >= 0 && position < list.listCount() && list.list(position) == storedName) found = position;
  for (int i = 0; !found && i < list.listCount(); ++i) {
    if (list.list(i) == storedName) found = i;
  }
  if (found) {
    list.setListIndex(*found);
    return true;
  }
  const std::string current = selectedName(list);
  if (device) {
    window.ShowNotice(
        "The recording device \"" + storedName + "\" is not present; " +
        (current.empty() ? std::string("no recording device is open.") : "keeping \"" + current + "\"."));
  } else {
    window.ShowNotice(
        "The input \"" + storedName + "\" is not present on \"" + selectedName(f.devicesBox) + "\"; " +
        (current.empty() ? std::string("no input is chosen.") : "keeping \"" + current + "\"."));
  }
  return false;
}

HostSettings& settingsOf(TactoloMain& window) {
  window.load();
  if (!window.hostSettings) throw std::logic_error("TactoloMain holds no host settings");
  return *window.hostSettings;
}

}  // namespace

ProjectSettingError::ProjectSettingError(const std::string& key, const std::string& text,
                                         const std::string& reason)
    : std::runtime_error("Project setting " + key + " = " + shownText(text) + ": " + reason) {}

void SaveSettings(TactoloMain& window) {
  HostSettings& settings = settingsOf(window);
  const MainForm& f = window.form();
  for (const Setting& setting : kSettings) {
    const std::string key = f.name() + setting.suffix;
    const std::string text = savedText(setting.key, f);
    if (setting.store == Store::Device) {
      settings.WriteDeviceValue(key, text);
    } else {
      settings.WriteValue(key, text);
    }
  }
}

void LoadSettings(TactoloMain& window, BeatVariables& vars) {
  HostSettings& settings = settingsOf(window);
  const std::string name = window.form().name();
  const auto read = [&](const Setting& setting) {
    const std::string storedKey = name + setting.suffix;
    return setting.store == Store::Device ? settings.ReadDeviceValue(storedKey, setting.defaultText)
                                          : settings.ReadValue(storedKey, setting.defaultText);
  };
  // While the stored device is not there, its input is not looked for on
  // the device kept in its place.
  bool deviceKept = false;
  for (const Key key : kLoadOrder) {
    if (key == Key::DeviceName || key == Key::InputName) continue;
    if (key == Key::InputIndex && deviceKept) continue;
    const Setting& setting = settingOf(key);
    const std::string storedKey = name + setting.suffix;
    const std::string text = read(setting);
    const auto value = ParseInt16(text);
    if (!value) throw ProjectSettingError(storedKey, text, "not a number from -32768 to 32767");
    try {
      if (key == Key::DeviceIndex || key == Key::InputIndex) {
        const bool device = key == Key::DeviceIndex;
        const std::string storedName = read(settingOf(device ? Key::DeviceName : Key::InputName));
        if (storedName.empty()) {
          apply(key, *value, window, vars);
        } else if (!applyName(device, storedName, *value, window)) {
          deviceKept = device;
        }
      } else {
        apply(key, *value, window, vars);
      }
    } catch (const std::exception& e) {
      throw ProjectSettingError(storedKey, text, e.what());
    }
  }
}

}  // namespace tactolo
