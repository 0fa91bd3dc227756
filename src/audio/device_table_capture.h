// The part the stand-in capture back-ends share: a table of declared devices
// and inputs, one initialised device, one running capture, the error code and
// a log of the calls. What a capture hears is left to the back-end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/capture_library.h"

namespace tactolo {

/// An input of a declared recording device.
struct FakeInput {
  std::string name;
  bool on = true;
  /// 0..1; RecordSetInput with a negative volume leaves it unchanged.
  float volume = 1.0f;
};

/// A declared recording device.
struct FakeDevice {
  std::string name;
  bool enabled = true;
  std::vector<FakeInput> inputs;
  std::string driver = "fake";
};

/// CaptureLibrary over a table of declared devices.
///
/// - One device at a time can be initialised (RecordInit with -1 picks the
///   first enabled device); RecordInit while one is initialised fails with
///   kErrorAlready, on a missing or disabled device with kErrorDevice.
/// - RecordGetInput / RecordSetInput act on the inputs of the initialised
///   device (kErrorInit without one, kErrorNotAvailable for a missing
///   input). RecordGetInput returns kInputOff for an input switched off and
///   0 for one switched on.
/// - RecordStart fails with the queued code after refuseNextRecordStart(),
///   then with kErrorInit without an initialised device, kErrorAlready while
///   a capture runs, and with whatever startCapture() refuses. Otherwise it
///   returns a new handle: 1, 2, 3... The record callback is never called:
///   data is pulled.
/// - ChannelGetData and ChannelGetLevel fail with kErrorHandle for any handle
///   other than the running capture; after lose(), ChannelGetData fails (-1)
///   for good. Otherwise the back-end answers (channelData(),
///   channelLevel()).
/// - RecordFree releases the device and ends its capture; it returns false
///   (kErrorInit) when no device is initialised.
/// - Every call sets the error code (kErrorOk on success) and is appended to
///   calls() as the CallLog style says. Flags and requests are written in
///   lower-case hex, volumes with %g.
class DeviceTableCapture : public CaptureLibrary {
 public:
  // --- Scripting -----------------------------------------------------------

  /// The word GetVersion() returns; kCaptureLibraryVersion by default.
  void setVersion(uint32_t version) { version_ = version; }
  /// Makes the next RecordStart fail with `errorCode` (one refusal per call).
  void refuseNextRecordStart(int32_t errorCode) { refusal_ = errorCode; }
  /// From now on ChannelGetData fails with -1 and `errorCode`, as with a
  /// device that was unplugged.
  void lose(int32_t errorCode = kErrorUnknown);

  // --- State, for assertions ----------------------------------------------

  /// Every call logged so far, in order.
  const std::vector<std::string>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  const std::vector<FakeDevice>& devices() const { return devices_; }
  /// Number of the initialised device, if any.
  std::optional<int32_t> initialisedDevice() const { return initialised_; }
  /// Handle of the running capture; 0 when none runs.
  ChannelHandle runningChannel() const { return running_; }
  bool lost() const { return lost_; }

  // --- CaptureLibrary ------------------------------------------------------

  uint32_t GetVersion() final;
  bool RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) final;
  bool RecordFree() final;
  bool RecordInit(int32_t device) final;
  std::optional<std::string> RecordGetInputName(int32_t input) final;
  uint32_t RecordGetInput(int32_t input) final;
  bool RecordSetInput(int32_t input, uint32_t flags, float volume) final;
  ChannelHandle RecordStart(uint32_t rate, uint32_t channels, uint32_t flags, RecordProc proc,
                            void* user) final;
  bool ChannelStop(ChannelHandle handle) final;
  int32_t ErrorGetCode() final;
  int32_t ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) final;
  uint32_t ChannelGetLevel(ChannelHandle handle) final;

 protected:
  /// What calls() holds.
  enum class CallLog {
    /// Every call with its arguments: "RecordInit(2)",
    /// "ChannelGetData(1,0x80000003)".
    kCalls,
    /// Every call but the per-tick ChannelGetData and ChannelGetLevel, with
    /// its result: "RecordInit(2) -> true", "RecordStart(44100,2,0x100) -> 1".
    kCallsAndResults,
  };

  explicit DeviceTableCapture(CallLog log, std::vector<FakeDevice> devices = {});

  /// Appends a device and returns its number.
  int32_t appendDevice(FakeDevice device);
  std::vector<FakeDevice>& deviceTable() { return devices_; }

  /// Called by RecordStart once a capture may start: returns kErrorOk to
  /// start it, or the code to refuse it with. Accepts any format by default.
  virtual int32_t startCapture(uint32_t rate, uint32_t channels);
  /// Answers ChannelGetData for the running capture, which is not lost:
  /// returns the bytes read, or -1 and sets `error`; sets `error` to
  /// kErrorOk on success.
  virtual int32_t channelData(float* buffer, uint32_t request, int32_t& error) = 0;
  /// Answers ChannelGetLevel for the running capture.
  virtual uint32_t channelLevel() = 0;

 private:
  bool fail(int32_t code);
  bool checkChannel(ChannelHandle handle);
  FakeInput* input(int32_t input);
  void log(std::string call, const std::string& result);

  CallLog logStyle_;
  std::vector<FakeDevice> devices_;
  uint32_t version_ = kCaptureLibraryVersion;
  std::optional<int32_t> initialised_;
  ChannelHandle running_ = 0;
  ChannelHandle lastHandle_ = 0;
  int32_t error_ = kErrorOk;
  std::optional<int32_t> refusal_;
  bool lost_ = false;
  int32_t lostError_ = kErrorUnknown;
  std::vector<std::string> calls_;
};

}  // namespace tactolo
