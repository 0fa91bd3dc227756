#include "audio/fake_capture.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "audio/capture_analysis.h"

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

void checkBins(const std::vector<float>& bins) {
  if (bins.size() != static_cast<std::size_t>(kSpectrumBins)) {
    throw std::invalid_argument("a fake spectrum needs 1024 bins, not " + std::to_string(bins.size()));
  }
}

}  // namespace

FakeCaptureLibrary::FakeCaptureLibrary(std::vector<FakeDevice> devices) : devices_(std::move(devices)) {}

int32_t FakeCaptureLibrary::addDevice(FakeDevice device) {
  devices_.push_back(std::move(device));
  return static_cast<int32_t>(devices_.size() - 1);
}

void FakeCaptureLibrary::setDeviceEnabled(int32_t device, bool enabled) {
  devices_.at(static_cast<std::size_t>(device)).enabled = enabled;
}

void FakeCaptureLibrary::refuseNextRecordStart(int32_t errorCode) { refusal_ = errorCode; }

void FakeCaptureLibrary::queueSpectrum(std::vector<float> bins) {
  checkBins(bins);
  spectra_.push_back(std::move(bins));
}

void FakeCaptureLibrary::setSteadySpectrum(std::vector<float> bins) {
  checkBins(bins);
  steadySpectrum_ = std::move(bins);
}

void FakeCaptureLibrary::queueLevel(uint32_t level) { levels_.push_back(level); }

void FakeCaptureLibrary::lose(int32_t errorCode) {
  lost_ = true;
  lostError_ = errorCode;
}

bool FakeCaptureLibrary::fail(int32_t code) {
  error_ = code;
  return false;
}

FakeInput* FakeCaptureLibrary::input(int32_t input) {
  if (!initialised_) {
    fail(kErrorInit);
    return nullptr;
  }
  auto& inputs = devices_[static_cast<std::size_t>(*initialised_)].inputs;
  if (input < 0 || static_cast<std::size_t>(input) >= inputs.size()) {
    fail(kErrorNotAvailable);
    return nullptr;
  }
  error_ = kErrorOk;
  return &inputs[static_cast<std::size_t>(input)];
}

uint32_t FakeCaptureLibrary::GetVersion() {
  record("GetVersion()");
  error_ = kErrorOk;
  return version_;
}

bool FakeCaptureLibrary::RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) {
  record("RecordGetDeviceInfo(" + std::to_string(device) + ")");
  if (device < 0 || static_cast<std::size_t>(device) >= devices_.size()) {
    return fail(kErrorDevice);
  }
  const FakeDevice& source = devices_[static_cast<std::size_t>(device)];
  info.name = source.name;
  info.driver = source.driver;
  info.flags = source.enabled ? kDeviceEnabled : 0u;
  error_ = kErrorOk;
  return true;
}

bool FakeCaptureLibrary::RecordFree() {
  record("RecordFree()");
  if (!initialised_) {
    return fail(kErrorInit);
  }
  initialised_.reset();
  running_ = 0;
  error_ = kErrorOk;
  return true;
}

bool FakeCaptureLibrary::RecordInit(int32_t device) {
  record("RecordInit(" + std::to_string(device) + ")");
  if (initialised_) {
    return fail(kErrorAlready);
  }
  if (device == -1) {
    const auto found =
        std::find_if(devices_.begin(), devices_.end(), [](const FakeDevice& d) { return d.enabled; });
    if (found == devices_.end()) {
      return fail(kErrorDevice);
    }
    device = static_cast<int32_t>(found - devices_.begin());
  }
  if (device < 0 || static_cast<std::size_t>(device) >= devices_.size() ||
      !devices_[static_cast<std::size_t>(device)].enabled) {
    return fail(kErrorDevice);
  }
  initialised_ = device;
  error_ = kErrorOk;
  return true;
}

std::optional<std::string> FakeCaptureLibrary::RecordGetInputName(int32_t index) {
  record("RecordGetInputName(" + std::to_string(index) + ")");
  const FakeInput* found = input(index);
  if (found == nullptr) {
    return std::nullopt;
  }
  return found->name;
}

uint32_t FakeCaptureLibrary::RecordGetInput(int32_t index) {
  record("RecordGetInput(" + std::to_string(index) + ")");
  const FakeInput* found = input(index);
  if (found == nullptr) {
    return 0xFFFFFFFFu;
  }
  return found->on ? 0u : kInputOff;
}

bool FakeCaptureLibrary::RecordSetInput(int32_t index, uint32_t flags, float volume) {
  record("RecordSetInput(" + std::to_string(index) + "," + hex(flags) + "," + number(volume) + ")");
  FakeInput* found = input(index);
  if (found == nullptr) {
    return false;
  }
  if ((flags & kInputOff) != 0) {
    found->on = false;
  } else if ((flags & kInputOn) != 0) {
    found->on = true;
  }
  if (volume >= 0.0f) {
    found->volume = std::min(volume, 1.0f);
  }
  return true;
}

ChannelHandle FakeCaptureLibrary::RecordStart(uint32_t rate, uint32_t channels, uint32_t flags,
                                              RecordProc proc, void* user) {
  (void)proc;
  (void)user;
  record("RecordStart(" + std::to_string(rate) + "," + std::to_string(channels) + "," + hex(flags) + ")");
  if (refusal_) {
    error_ = *refusal_;
    refusal_.reset();
    return 0;
  }
  if (!initialised_) {
    fail(kErrorInit);
    return 0;
  }
  if (running_ != 0) {
    fail(kErrorAlready);
    return 0;
  }
  running_ = ++lastHandle_;
  error_ = kErrorOk;
  return running_;
}

bool FakeCaptureLibrary::ChannelStop(ChannelHandle handle) {
  record("ChannelStop(" + std::to_string(handle) + ")");
  if (handle == 0 || handle != running_) {
    return fail(kErrorHandle);
  }
  running_ = 0;
  error_ = kErrorOk;
  return true;
}

int32_t FakeCaptureLibrary::ErrorGetCode() {
  record("ErrorGetCode()");
  return error_;
}

int32_t FakeCaptureLibrary::ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) {
  record("ChannelGetData(" + std::to_string(handle) + "," + hex(request) + ")");
  if (handle == 0 || handle != running_) {
    fail(kErrorHandle);
    return -1;
  }
  if (lost_) {
    fail(lostError_);
    return -1;
  }
  if (request != kDataFft2048) {
    fail(kErrorNotAvailable);
    return -1;
  }
  if (spectra_.empty()) {
    std::copy(steadySpectrum_.begin(), steadySpectrum_.end(), buffer);
  } else {
    std::copy(spectra_.front().begin(), spectra_.front().end(), buffer);
    spectra_.pop_front();
  }
  error_ = kErrorOk;
  return kFftRequestBytes;
}

uint32_t FakeCaptureLibrary::ChannelGetLevel(ChannelHandle handle) {
  record("ChannelGetLevel(" + std::to_string(handle) + ")");
  if (handle == 0 || handle != running_) {
    fail(kErrorHandle);
    return 0xFFFFFFFFu;
  }
  error_ = kErrorOk;
  if (levels_.empty()) {
    return steadyLevel_;
  }
  const uint32_t level = levels_.front();
  levels_.pop_front();
  return level;
}

}  // namespace tactolo
