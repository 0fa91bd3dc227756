#include "platform/headless_host.h"

namespace tactolo {
namespace {

HostResult<std::string> read(const std::map<std::string, std::string>& store, const std::string& key,
                             const std::string& defaultValue) {
  auto it = store.find(key);
  return HostResult<std::string>::success(it == store.end() ? defaultValue : it->second);
}

}  // namespace

HostResult<std::string> MemorySettings::ReadValue(const std::string& key, const std::string& defaultValue) {
  return read(general, key, defaultValue);
}

HostStatus MemorySettings::WriteValue(const std::string& key, const std::string& value) {
  general[key] = value;
  return hostOk();
}

HostResult<std::string> MemorySettings::ReadDeviceValue(const std::string& key,
                                                        const std::string& defaultValue) {
  return read(device, key, defaultValue);
}

HostStatus MemorySettings::WriteDeviceValue(const std::string& key, const std::string& value) {
  device[key] = value;
  return hostOk();
}

HostStatus RecordingMessages::Send(int32_t code, int16_t value1, int16_t value2) {
  if (whileSending) whileSending();
  if (failing) return HostStatus::failure("the host refused the message");
  sent.push_back({clock_.nowMs(), code, value1, value2});
  return hostOk();
}

HostStatus RecordingStream::UserInteraction() {
  if (failing) return HostStatus::failure("the host refused the DMX call");
  events.push_back({clock_.nowMs(), true, 0, 0, false});
  return hostOk();
}

HostStatus RecordingStream::SetChannel(int32_t channel, int32_t value, bool flag) {
  if (failing) return HostStatus::failure("the host refused the DMX call");
  events.push_back({clock_.nowMs(), false, channel, value, flag});
  return hostOk();
}

HostResult<std::string> HeadlessTranslator::Translate(const std::string& text) {
  using Table = std::map<std::string, std::string>;
  static const Table english{{"Ausführen", "Execute"}, {"Auswählen", "Select"}};
  static const Table german{
      {"Tactolo On-Off", "Tactolo Ein-Aus"},
      {"Tactolo On", "Tactolo Ein"},
      {"Tactolo Off", "Tactolo Aus"},
      {"Send Beat On", "Beat senden ein"},
      {"Send Beat Off", "Beat senden aus"},
      {"Send VU-Meter On", "VU-Meter senden ein"},
      {"Send VU-Meter Off", "VU-Meter senden aus"},
      {"Select VU-Config", "VU-Konfiguration wählen"},
      {"Sync Beat", "Beat synchronisieren"},
  };
  const Table* table = nullptr;
  switch (language) {
    case Language::AsGiven:
      break;
    case Language::English:
      table = &english;
      break;
    case Language::German:
      table = &german;
      break;
    case Language::Failing:
      return HostResult<std::string>::failure("the translator is not available");
  }
  if (table != nullptr) {
    const auto it = table->find(text);
    if (it != table->end()) return HostResult<std::string>::success(it->second);
  }
  return HostResult<std::string>::success(text);
}

}  // namespace tactolo
