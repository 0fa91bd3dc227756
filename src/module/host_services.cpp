#include "module/host_services.h"

namespace tactolo {
namespace {

template <class T>
T unwrap(HostResult<T> result, const char* member) {
  if (!result.ok) throw HostError(std::string("Host call ") + member + " failed: " + result.error);
  return std::move(result.value);
}

template <class T>
T& need(T* object, const char* member) {
  if (object == nullptr) throw HostError(std::string("The host does not provide ") + member);
  return *object;
}

}  // namespace

HostSettings::HostSettings(const HostServices& services, std::shared_ptr<ILMQPluginHelper> helper,
                           ISettings& settings)
    : services_(services), helper_(std::move(helper)), settings_(settings) {}

ISettings& HostSettings::checked(const char* member) {
  if (!services_.attached()) {
    throw HostError(std::string("No host helper for ") + member + ": the plug-in is not initialised");
  }
  return settings_;
}

std::string HostSettings::ReadValue(const std::string& key, const std::string& defaultValue) {
  return unwrap(checked("Settings.ReadValue").ReadValue(key, defaultValue), "Settings.ReadValue");
}
void HostSettings::WriteValue(const std::string& key, const std::string& value) {
  unwrap(checked("Settings.WriteValue").WriteValue(key, value), "Settings.WriteValue");
}
std::string HostSettings::ReadDeviceValue(const std::string& key, const std::string& defaultValue) {
  return unwrap(checked("Settings.ReadDeviceValue").ReadDeviceValue(key, defaultValue),
                "Settings.ReadDeviceValue");
}
void HostSettings::WriteDeviceValue(const std::string& key, const std::string& value) {
  unwrap(checked("Settings.WriteDeviceValue").WriteDeviceValue(key, value), "Settings.WriteDeviceValue");
}

ILMQPluginHelper& HostServices::helper(const char* member) {
  if (!helper_) {
    throw HostError(std::string("No host helper for ") + member + ": the plug-in is not initialised");
  }
  return *helper_;
}

std::unique_ptr<HostSettings> HostServices::Settings() {
  ISettings& settings = need(helper("Settings").Settings(), "Settings");
  return std::make_unique<HostSettings>(*this, helper_, settings);
}

void HostServices::SendMessage(int32_t code, int16_t value1, int16_t value2) {
  unwrap(need(helper("Messages").Messages(), "Messages").Send(code, value1, value2), "Messages.Send");
}

void HostServices::UserInteraction() {
  unwrap(need(helper("MyStream").MyStream(), "MyStream").UserInteraction(), "MyStream.UserInteraction");
}

void HostServices::SetChannel(int32_t channel, int32_t value, bool flag) {
  unwrap(need(helper("MyStream").MyStream(), "MyStream").SetChannel(channel, value, flag),
         "MyStream.SetChannel");
}

std::string HostServices::Translate(const std::string& text) {
  return unwrap(need(helper("Translator").Translator(), "Translator").Translate(text),
                "Translator.Translate");
}

std::string HostServices::ProjectName() {
  return unwrap(need(helper("Project").Project(), "Project").name(), "Project.name");
}

std::string HostServices::ProjectBaseFilename() {
  return unwrap(need(helper("Project").Project(), "Project").BaseFilename(), "Project.BaseFilename");
}

}  // namespace tactolo
