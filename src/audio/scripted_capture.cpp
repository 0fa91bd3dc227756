#include "audio/scripted_capture.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "audio/playback_reader.h"

namespace tactolo {

namespace {

/// Generated audio is decoded at least this far ahead.
constexpr double kFirstPieceSeconds = 10.0;

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

ScriptedCaptureLibrary::ScriptedCaptureLibrary(const Clock& clock) : clock_(clock) {}

int32_t ScriptedCaptureLibrary::addDevice(std::string name, bool enabled) {
  devices_.push_back(ScriptedDevice{std::move(name), enabled, {}});
  return static_cast<int32_t>(devices_.size() - 1);
}

void ScriptedCaptureLibrary::addInput(std::string name, bool on) {
  if (devices_.empty()) throw std::logic_error("an input needs a device to belong to");
  devices_.back().inputs.push_back(ScriptedInput{std::move(name), on});
}

void ScriptedCaptureLibrary::setSource(const std::string& description) {
  // Decoding no time of a generated source checks its description; a file is
  // decoded whole. Either may throw, before anything has changed.
  auto audio = std::make_shared<const DecodedAudio>(parseSource(description, 0.0));
  source_ = description;
  generated_ = isGeneratedSource(description);
  decodedSeconds_ = 0.0;
  audio_ = std::move(audio);
  playStartMs_ = clock_.nowMs();
}

const DecodedAudio& ScriptedCaptureLibrary::audioCovering(int64_t frames) {
  if (!audio_) audio_ = std::make_shared<const DecodedAudio>(parseSource(source_, 0.0));
  if (generated_ && frames > static_cast<int64_t>(audio_->frameCount()) &&
      decodedSeconds_ < kMaxGeneratedSeconds) {
    // The generators are deterministic: a longer piece starts with the
    // shorter one, so playback goes on seamlessly.
    const double needed = static_cast<double>(frames) / kCaptureRate + 1.0;
    const double seconds =
        std::min(std::max({decodedSeconds_ * 2.0, needed, kFirstPieceSeconds}), kMaxGeneratedSeconds);
    audio_ = std::make_shared<const DecodedAudio>(parseSource(source_, seconds));
    decodedSeconds_ = seconds;
  }
  return *audio_;
}

int64_t ScriptedCaptureLibrary::playedFrames() const {
  const TimeMs elapsed = std::max<TimeMs>(clock_.nowMs() - playStartMs_, 0);
  return elapsed * kCaptureRate / 1000;
}

bool ScriptedCaptureLibrary::fail(int32_t code) {
  error_ = code;
  return false;
}

ScriptedInput* ScriptedCaptureLibrary::input(int32_t index) {
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

uint32_t ScriptedCaptureLibrary::GetVersion() {
  error_ = kErrorOk;
  log("GetVersion() -> " + hex(version_));
  return version_;
}

bool ScriptedCaptureLibrary::RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) {
  bool found = device >= 0 && static_cast<std::size_t>(device) < devices_.size();
  if (found) {
    const ScriptedDevice& source = devices_[static_cast<std::size_t>(device)];
    info.name = source.name;
    info.driver = "script";
    info.flags = source.enabled ? kDeviceEnabled : 0u;
    error_ = kErrorOk;
  } else {
    fail(kErrorDevice);
  }
  log("RecordGetDeviceInfo(" + std::to_string(device) + ") -> " + boolText(found));
  return found;
}

bool ScriptedCaptureLibrary::RecordFree() {
  const bool freed = initialised_.has_value();
  if (freed) {
    initialised_.reset();
    running_ = 0;
    error_ = kErrorOk;
  } else {
    fail(kErrorInit);
  }
  log(std::string("RecordFree() -> ") + boolText(freed));
  return freed;
}

bool ScriptedCaptureLibrary::RecordInit(int32_t device) {
  bool ok = false;
  if (initialised_) {
    fail(kErrorAlready);
  } else if (device < 0 || static_cast<std::size_t>(device) >= devices_.size() ||
             !devices_[static_cast<std::size_t>(device)].enabled) {
    fail(kErrorDevice);
  } else {
    initialised_ = device;
    error_ = kErrorOk;
    ok = true;
  }
  log("RecordInit(" + std::to_string(device) + ") -> " + boolText(ok));
  return ok;
}

std::optional<std::string> ScriptedCaptureLibrary::RecordGetInputName(int32_t index) {
  const ScriptedInput* found = input(index);
  log("RecordGetInputName(" + std::to_string(index) + ") -> " + (found ? "\"" + found->name + "\"" : "null"));
  if (found == nullptr) return std::nullopt;
  return found->name;
}

uint32_t ScriptedCaptureLibrary::RecordGetInput(int32_t index) {
  const ScriptedInput* found = input(index);
  const uint32_t flags = found == nullptr ? 0xFFFFFFFFu : (found->on ? 0u : kInputOff);
  log("RecordGetInput(" + std::to_string(index) + ") -> " + hex(flags));
  return flags;
}

bool ScriptedCaptureLibrary::RecordSetInput(int32_t index, uint32_t flags, float volume) {
  ScriptedInput* found = input(index);
  if (found != nullptr) {
    if ((flags & kInputOff) != 0) {
      found->on = false;
    } else if ((flags & kInputOn) != 0) {
      found->on = true;
    }
  }
  log("RecordSetInput(" + std::to_string(index) + "," + hex(flags) + "," + number(volume) + ") -> " +
      boolText(found != nullptr));
  return found != nullptr;
}

ChannelHandle ScriptedCaptureLibrary::RecordStart(uint32_t rate, uint32_t channels, uint32_t flags,
                                                  RecordProc /*proc*/, void* /*user*/) {
  ChannelHandle handle = 0;
  if (refusal_) {
    error_ = *refusal_;
    refusal_.reset();
  } else if (!initialised_) {
    fail(kErrorInit);
  } else if (running_ != 0) {
    fail(kErrorAlready);
  } else if (rate != static_cast<uint32_t>(kCaptureRate) || channels != 2) {
    fail(kErrorNotAvailable);
  } else {
    handle = running_ = ++lastHandle_;
    playStartMs_ = clock_.nowMs();
    error_ = kErrorOk;
  }
  log("RecordStart(" + std::to_string(rate) + "," + std::to_string(channels) + "," + hex(flags) + ") -> " +
      std::to_string(handle));
  return handle;
}

bool ScriptedCaptureLibrary::ChannelStop(ChannelHandle handle) {
  const bool stopped = handle != 0 && handle == running_;
  if (stopped) {
    running_ = 0;
    error_ = kErrorOk;
  } else {
    fail(kErrorHandle);
  }
  log("ChannelStop(" + std::to_string(handle) + ") -> " + boolText(stopped));
  return stopped;
}

int32_t ScriptedCaptureLibrary::ErrorGetCode() {
  log("ErrorGetCode() -> " + std::to_string(error_));
  return error_;
}

int32_t ScriptedCaptureLibrary::ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) {
  if (handle == 0 || handle != running_) {
    fail(kErrorHandle);
    return -1;
  }
  if (lost_) {
    fail(kErrorUnknown);
    return -1;
  }
  const int64_t played = playedFrames();
  return analysis_.data(PlaybackReader(audioCovering(played), played), buffer, request, error_);
}

uint32_t ScriptedCaptureLibrary::ChannelGetLevel(ChannelHandle handle) {
  if (handle == 0 || handle != running_) {
    fail(kErrorHandle);
    return 0xFFFFFFFFu;
  }
  error_ = kErrorOk;
  const int64_t played = playedFrames();
  return analysis_.level(PlaybackReader(audioCovering(played), played));
}

}  // namespace tactolo
