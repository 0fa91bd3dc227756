// A host's settings stores that fail part-way, as a real host's can: over the
// in-memory stores of the headless helper, the general store's reads of one
// key fail, and its writes fail from one key on.
#pragma once

#include <string>

#include "platform/headless_host.h"

namespace tactolo::testing {

class FailingSettings final : public ISettings {
 public:
  explicit FailingSettings(MemorySettings& inner) : inner_(inner) {}

  /// Reads of `key` from the general store fail.
  std::string failingRead;
  /// The general store's write of `key` fails, and so does every write
  /// after it.
  std::string failingWriteFrom;

  HostResult<std::string> ReadValue(const std::string& key, const std::string& defaultValue) override {
    if (key == failingRead) return HostResult<std::string>::failure("the store is locked");
    return inner_.ReadValue(key, defaultValue);
  }
  HostStatus WriteValue(const std::string& key, const std::string& value) override {
    if (key == failingWriteFrom) writesFail_ = true;
    if (writesFail_) return HostStatus::failure("the project is read-only");
    return inner_.WriteValue(key, value);
  }
  HostResult<std::string> ReadDeviceValue(const std::string& key, const std::string& defaultValue) override {
    return inner_.ReadDeviceValue(key, defaultValue);
  }
  HostStatus WriteDeviceValue(const std::string& key, const std::string& value) override {
    return inner_.WriteDeviceValue(key, value);
  }

 private:
  MemorySettings& inner_;
  bool writesFail_ = false;
};

}  // namespace tactolo::testing
