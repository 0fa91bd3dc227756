#include "audio/device_table_capture.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace tactolo {

namespace {

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

std::string number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

const char* boolText(bool value) { return value ? "true" : "false"; }

}  // namespace

DeviceTableCapture::DeviceTableCapture(CallLog log, std::vector<FakeDevice> devices)
    : logStyle_(log), devices_(std::move(devices)) {}

void DeviceTableCapture::lose(int32_t errorCode) {
  lost_ = true;
  lostError_ = errorCode;
}

int32_t DeviceTableCapture::appendDevice(FakeDevice device) {
  devices_.push_back(std::move(device));
  return static_cast<int32_t>(devices_.size() - 1);
}

int32_t DeviceTableCapture::startCapture(uint32_t /*rate*/, uint32_t /*channels*/) { return kErrorOk; }

bool DeviceTableCapture::fail(int32_t code) {
  error_ = code;
  return false;
}

bool DeviceTableCapture::checkChannel(ChannelHandle handle) {
  if (handle == 0 || handle != running_) {
    return fail(kErrorHandle);
  }
  error_ = kErrorOk;
  return true;
}

FakeInput* DeviceTableCapture::input(int32_t index) {
  if (!initialised_) {
    fail(kErrorInit);
    return nullptr;
  }
  auto& inputs = devices_[static_cast<std::size_t>(*initialised_)].inputs;
  if (index < 0 || static_cast<std::size_t>(index) >= inputs.size()) {
    fail(kErrorNotAvailable);
    return nullptr;
  }
  error_ = kErrorOk;
  return &inputs[static_cast<std::size_t>(index)];
}

void DeviceTableCapture::log(std::string call, const std::string& result) {
  if (logStyle_ == CallLog::kCallsAndResults) {
    call += " -> " + result;
  }
  calls_.push_back(std::move(call));
}

uint32_t DeviceTableCapture::GetVersion() {
  error_ = kErrorOk;
  log("GetVersion()", hex(version_));
  return version_;
}

bool DeviceTableCapture::RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) {
  const bool found = device >= 0 && static_cast<std::size_t>(device) < devices_.size();
  if (found) {
    const FakeDevice& source = devices_[static_cast<std::size_t>(device)];
    info.name = source.name;
    info.driver = source.driver;
    info.flags = source.enabled ? kDeviceEnabled : 0u;
    error_ = kErrorOk;
  } else {
    fail(kErrorDevice);
  }
  log("RecordGetDeviceInfo(" + std::to_string(device) + ")", boolText(found));
  return found;
}

bool DeviceTableCapture::RecordFree() {
  const bool freed = initialised_.has_value();
  if (freed) {
    initialised_.reset();
    running_ = 0;
    error_ = kErrorOk;
  } else {
    fail(kErrorInit);
  }
  log("RecordFree()", boolText(freed));
  return freed;
}

bool DeviceTableCapture::RecordInit(int32_t device) {
  int32_t chosen = device;
  if (chosen == -1) {
    const auto found =
        std::find_if(devices_.begin(), devices_.end(), [](const FakeDevice& d) { return d.enabled; });
    if (found != devices_.end()) chosen = static_cast<int32_t>(found - devices_.begin());
  }
  bool ok = false;
  if (initialised_) {
    fail(kErrorAlready);
  } else if (chosen < 0 || static_cast<std::size_t>(chosen) >= devices_.size() ||
             !devices_[static_cast<std::size_t>(chosen)].enabled) {
    fail(kErrorDevice);
  } else {
    initialised_ = chosen;
    error_ = kErrorOk;
    ok = true;
  }
  log("RecordInit(" + std::to_string(device) + ")", boolText(ok));
  return ok;
}

std::optional<std::string> DeviceTableCapture::RecordGetInputName(int32_t index) {
  const FakeInput* found = input(index);
  log("RecordGetInputName(" + std::to_string(index) + ")", found ? "\"" + found->name + "\"" : "null");
  if (found == nullptr) return std::nullopt;
  return found->name;
}

uint32_t DeviceTableCapture::RecordGetInput(int32_t index) {
  const FakeInput* found = input(index);
  const uint32_t flags = found == nullptr ? 0xFFFFFFFFu : (found->on ? 0u : kInputOff);
  log("RecordGetInput(" + std::to_string(index) + ")", hex(flags));
  return flags;
}

bool DeviceTableCapture::RecordSetInput(int32_t index, uint32_t flags, float volume) {
  FakeInput* found = input(index);
  if (found != nullptr) {
    if ((flags & kInputOff) != 0) {
      found->on = false;
    } else if ((flags & kInputOn) != 0) {
      found->on = true;
    }
    if (volume >= 0.0f) {
      found->volume = std::min(volume, 1.0f);
    }
  }
  log("RecordSetInput(" + std::to_string(index) + "," + hex(flags) + "," + number(volume) + ")",
      boolText(found != nullptr));
  return found != nullptr;
}

ChannelHandle DeviceTableCapture::RecordStart(uint32_t rate, uint32_t channels, uint32_t flags,
                                              RecordProc /*proc*/, void* /*user*/) {
  ChannelHandle handle = 0;
  if (refusal_) {
    error_ = *refusal_;
    refusal_.reset();
  } else if (!initialised_) {
    fail(kErrorInit);
  } else if (running_ != 0) {
    fail(kErrorAlready);
  } else if (const int32_t refused = startCapture(rate, channels); refused != kErrorOk) {
    fail(refused);
  } else {
    handle = running_ = ++lastHandle_;
    error_ = kErrorOk;
  }
  log("RecordStart(" + std::to_string(rate) + "," + std::to_string(channels) + "," + hex(flags) + ")",
      std::to_string(handle));
  return handle;
}

bool DeviceTableCapture::ChannelStop(ChannelHandle handle) {
  const bool stopped = checkChannel(handle);
  if (stopped) running_ = 0;
  log("ChannelStop(" + std::to_string(handle) + ")", boolText(stopped));
  return stopped;
}

int32_t DeviceTableCapture::ErrorGetCode() {
  log("ErrorGetCode()", std::to_string(error_));
  return error_;
}

int32_t DeviceTableCapture::ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) {
  if (logStyle_ == CallLog::kCalls) {
    calls_.push_back("ChannelGetData(" + std::to_string(handle) + "," + hex(request) + ")");
  }
  if (!checkChannel(handle)) return -1;
  if (lost_) {
    fail(lostError_);
    return -1;
  }
  return channelData(buffer, request, error_);
}

uint32_t DeviceTableCapture::ChannelGetLevel(ChannelHandle handle) {
  if (logStyle_ == CallLog::kCalls) {
    calls_.push_back("ChannelGetLevel(" + std::to_string(handle) + ")");
  }
  if (!checkChannel(handle)) return 0xFFFFFFFFu;
  return channelLevel();
}

}  // namespace tactolo
