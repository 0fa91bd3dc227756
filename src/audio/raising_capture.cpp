#include "audio/raising_capture.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace tactolo {

namespace {
constexpr std::array<const char*, 12> kOperations{"GetVersion",     "RecordGetDeviceInfo", "RecordFree",
                                                  "RecordInit",     "RecordGetInputName",  "RecordGetInput",
                                                  "RecordSetInput", "RecordStart",         "ChannelStop",
                                                  "ErrorGetCode",   "ChannelGetData",      "ChannelGetLevel"};
}  // namespace

bool RaisingCaptureLibrary::isOperation(const std::string& name) {
  return std::find(kOperations.begin(), kOperations.end(), name) != kOperations.end();
}

void RaisingCaptureLibrary::raiseOnNextCall(const std::string& operation, std::string message) {
  actOnNextCall(operation, [message = std::move(message)] { throw CaptureFailure(message); });
}

void RaisingCaptureLibrary::actOnNextCall(const std::string& operation, std::function<void()> action) {
  if (!isOperation(operation)) throw std::invalid_argument("no capture operation " + operation);
  operation_ = operation;
  action_ = std::move(action);
}

void RaisingCaptureLibrary::pass(const char* operation) {
  if (!operation_ || *operation_ != operation) return;
  operation_.reset();
  // Taken out first: the action may arm the next one.
  const std::function<void()> action = std::exchange(action_, nullptr);
  action();
}

uint32_t RaisingCaptureLibrary::GetVersion() {
  pass("GetVersion");
  return inner_.GetVersion();
}

bool RaisingCaptureLibrary::RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) {
  pass("RecordGetDeviceInfo");
  return inner_.RecordGetDeviceInfo(device, info);
}

bool RaisingCaptureLibrary::RecordFree() {
  pass("RecordFree");
  return inner_.RecordFree();
}

bool RaisingCaptureLibrary::RecordInit(int32_t device) {
  pass("RecordInit");
  return inner_.RecordInit(device);
}

std::optional<std::string> RaisingCaptureLibrary::RecordGetInputName(int32_t input) {
  pass("RecordGetInputName");
  return inner_.RecordGetInputName(input);
}

uint32_t RaisingCaptureLibrary::RecordGetInput(int32_t input) {
  pass("RecordGetInput");
  return inner_.RecordGetInput(input);
}

bool RaisingCaptureLibrary::RecordSetInput(int32_t input, uint32_t flags, float volume) {
  pass("RecordSetInput");
  return inner_.RecordSetInput(input, flags, volume);
}

ChannelHandle RaisingCaptureLibrary::RecordStart(uint32_t rate, uint32_t channels, uint32_t flags,
                                                 RecordProc proc, void* user) {
  pass("RecordStart");
  return inner_.RecordStart(rate, channels, flags, proc, user);
}

bool RaisingCaptureLibrary::ChannelStop(ChannelHandle handle) {
  pass("ChannelStop");
  return inner_.ChannelStop(handle);
}

int32_t RaisingCaptureLibrary::ErrorGetCode() {
  pass("ErrorGetCode");
  return inner_.ErrorGetCode();
}

int32_t RaisingCaptureLibrary::ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) {
  pass("ChannelGetData");
  return inner_.ChannelGetData(handle, buffer, request);
}

uint32_t RaisingCaptureLibrary::ChannelGetLevel(ChannelHandle handle) {
  pass("ChannelGetLevel");
  return inner_.ChannelGetLevel(handle);
}

}  // namespace tactolo
