// The capture library: the operations the plug-in needs of an audio back-end,
// one for one. Every back-end (the scripted fake, file playback, the live
// sound server) implements this interface, and the plug-in uses nothing else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tactolo {

/// The version word a back-end must report (its upper 16 bits are checked).
constexpr uint32_t kCaptureLibraryVersion = 0x02040000u;

/// Flags of RecordGetInput / RecordSetInput.
constexpr uint32_t kInputOff = 0x10000u;
constexpr uint32_t kInputOn = 0x20000u;
/// RecordStart flag: 32-bit floating-point samples.
constexpr uint32_t kSampleFloat = 0x100u;
/// ChannelGetData request: 2048-sample FFT, 1024 float magnitudes.
constexpr uint32_t kDataFft2048 = 0x80000003u;
/// Device flag: enabled.
constexpr uint32_t kDeviceEnabled = 1u;

constexpr int kFftSize = 2048;
constexpr int kSpectrumBins = 1024;
constexpr int kCaptureRate = 44100;

/// Handle of a running capture; 0 means none.
using ChannelHandle = uint32_t;

/// Capture callback: returns 1 to go on recording.
using RecordProc = int (*)(ChannelHandle handle, const void* buffer, uint32_t length, void* user);

struct RecordDeviceInfo {
  std::string name;
  std::string driver;
  uint32_t flags = 0;  // bit 0: enabled
};

/// Error codes reported by ErrorGetCode. The live back-end reports only
/// kErrorNoServer, kErrorHandle, kErrorFormat, kErrorInit, kErrorAlready,
/// kErrorDevice, kErrorNotAvailable and kErrorBusy (the README explains them
/// to users).
enum CaptureError : int32_t {
  kErrorOk = 0,
  kErrorNoServer = 3,  // no sound server: not running, not answering, or lost
  kErrorHandle = 5,    // not started: the handle is not the running capture
  kErrorFormat = 6,    // sample format, rate or channel count refused
  kErrorInit = 8,      // no device initialised
  kErrorAlready = 14,  // already recording / initialised
  kErrorDevice = 23,   // no such device (illegal number, or gone)
  kErrorNotAvailable = 37,
  kErrorBusy = 46,  // the device refused the capture (busy)
  kErrorUnknown = -1,
};

class CaptureLibrary {
 public:
  virtual ~CaptureLibrary() = default;

  virtual uint32_t GetVersion() = 0;
  /// Fills `info` and returns true while device `device` exists.
  virtual bool RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) = 0;
  /// Releases the initialised device (and ends its capture). Always safe.
  virtual bool RecordFree() = 0;
  virtual bool RecordInit(int32_t device) = 0;
  /// Name of input `input` of the initialised device; nullopt ends the list.
  virtual std::optional<std::string> RecordGetInputName(int32_t input) = 0;
  /// Flags of input `input` (kInputOff set = switched off); -1 (all bits) on error.
  virtual uint32_t RecordGetInput(int32_t input) = 0;
  virtual bool RecordSetInput(int32_t input, uint32_t flags, float volume) = 0;
  /// Starts capturing on the initialised device; 0 on failure (see ErrorGetCode).
  virtual ChannelHandle RecordStart(uint32_t rate, uint32_t channels, uint32_t flags, RecordProc proc,
                                    void* user) = 0;
  virtual bool ChannelStop(ChannelHandle handle) = 0;
  /// Code of the last error.
  virtual int32_t ErrorGetCode() = 0;
  /// With kDataFft2048: writes 1024 magnitudes to `buffer` and returns the
  /// number of bytes read from the channel; -1 on failure.
  virtual int32_t ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) = 0;
  /// Peak levels of the last 20 ms: left in the low 16 bits, right in the
  /// high 16 bits, 0..32768 each; 0xFFFFFFFF on failure.
  virtual uint32_t ChannelGetLevel(ChannelHandle handle) = 0;
};

}  // namespace tactolo
