// A capture library in front of another that can be told to raise an error
// on its next call of one operation, as a live back-end does when the sound
// server goes away in the middle of a call, or to run some other action of
// the host there, as a host's own capture library may call back into the
// plug-in. It lets hosts and tests see how the plug-in meets an error raised
// inside a handler, and a host that calls it from inside one.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "audio/capture_library.h"

namespace tactolo {

/// The error a RaisingCaptureLibrary raises.
class CaptureFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RaisingCaptureLibrary final : public CaptureLibrary {
 public:
  /// Passes every call on to `inner`, which must outlive it.
  explicit RaisingCaptureLibrary(CaptureLibrary& inner) : inner_(inner) {}

  /// True for the name of a CaptureLibrary operation ("RecordStart").
  static bool isOperation(const std::string& name);
  /// The next call of `operation` raises CaptureFailure(`message`) instead of
  /// reaching the inner library (once; a later call passes again). A newer
  /// request replaces an older one. std::invalid_argument for a name that is
  /// no operation.
  void raiseOnNextCall(const std::string& operation, std::string message);
  /// The next call of `operation` runs `action` first (once), then reaches
  /// the inner library unless the action raised. Replaces an older request
  /// as raiseOnNextCall does, and refuses the same names.
  void actOnNextCall(const std::string& operation, std::function<void()> action);

  uint32_t GetVersion() override;
  bool RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) override;
  bool RecordFree() override;
  bool RecordInit(int32_t device) override;
  std::optional<std::string> RecordGetInputName(int32_t input) override;
  uint32_t RecordGetInput(int32_t input) override;
  bool RecordSetInput(int32_t input, uint32_t flags, float volume) override;
  ChannelHandle RecordStart(uint32_t rate, uint32_t channels, uint32_t flags, RecordProc proc,
                            void* user) override;
  bool ChannelStop(ChannelHandle handle) override;
  int32_t ErrorGetCode() override;
  int32_t ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) override;
  uint32_t ChannelGetLevel(ChannelHandle handle) override;

 private:
  /// Runs the armed action when `operation` is the armed one.
  void pass(const char* operation);

  CaptureLibrary& inner_;
  std::optional<std::string> operation_;
  std::function<void()> action_;
};

}  // namespace tactolo
