// The facade over the host's helper object. Every call the plug-in makes on
// the host goes through here; a failed call (or any call before Init or after
// Term) raises HostError inside the plug-in.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/host_interfaces.h"

namespace tactolo {

class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The helper's settings object as the main window keeps it (HostSettings):
/// a general store and a separate device store, both text.
class HostServices;

/// Calls on it fail like every host call once the helper has been released.
class HostSettings {
 public:
  HostSettings(const HostServices& services, std::shared_ptr<ILMQPluginHelper> helper, ISettings& settings);
  std::string ReadValue(const std::string& key, const std::string& defaultValue);
  void WriteValue(const std::string& key, const std::string& value);
  std::string ReadDeviceValue(const std::string& key, const std::string& defaultValue);
  void WriteDeviceValue(const std::string& key, const std::string& value);

 private:
  ISettings& checked(const char* member);
  const HostServices& services_;
  std::shared_ptr<ILMQPluginHelper> helper_;  // keeps the settings object alive
  ISettings& settings_;
};

class HostServices {
 public:
  /// Keeps the helper (Init); replaces any earlier one.
  void attach(std::shared_ptr<ILMQPluginHelper> helper) { helper_ = std::move(helper); }
  /// Releases the helper (Term).
  void release() { helper_.reset(); }
  bool attached() const { return helper_ != nullptr; }

  /// The helper's Settings object.
  std::unique_ptr<HostSettings> Settings();
  void SendMessage(int32_t code, int16_t value1, int16_t value2);
  void UserInteraction();
  void SetChannel(int32_t channel, int32_t value, bool flag);
  std::string Translate(const std::string& text);
  std::string ProjectName();
  std::string ProjectBaseFilename();

 private:
  ILMQPluginHelper& helper(const char* member);
  std::shared_ptr<ILMQPluginHelper> helper_;
};

}  // namespace tactolo
