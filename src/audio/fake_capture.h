// A scripted capture back-end for tests: devices and inputs are set up by
// the test, spectra and levels are fed by it, and every call is recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/capture_library.h"

namespace tactolo {

/// An input of a fake recording device.
struct FakeInput {
  std::string name;
  bool on = true;
  /// 0..1; RecordSetInput with a negative volume leaves it unchanged.
  float volume = 1.0f;
};

/// A fake recording device.
struct FakeDevice {
  std::string name;
  bool enabled = true;
  std::vector<FakeInput> inputs;
  std::string driver = "fake";
};

/// CaptureLibrary whose behaviour a test scripts.
///
/// - One device at a time can be initialised (RecordInit with -1 picks the
///   first enabled device); RecordInit while one is initialised fails with
///   kErrorAlready, on a missing or disabled device with kErrorDevice.
/// - RecordGetInput / RecordSetInput act on the inputs of the initialised
///   device (kErrorInit without one, kErrorNotAvailable for a missing
///   input). RecordGetInput returns kInputOff for an input switched off and
///   0 for one switched on.
/// - RecordStart fails with kErrorInit without an initialised device, with
///   kErrorAlready while a capture runs, and with the queued code after
///   refuseNextRecordStart(). Otherwise it returns a new handle: 1, 2, 3...
///   The record callback is never called: data is pulled.
/// - ChannelGetData (kDataFft2048 only) hands out the queued spectra, then
///   the steady one; ChannelGetLevel likewise with level words. Both fail
///   with kErrorHandle for any handle other than the running capture.
///   After lose(), ChannelGetData fails (-1) for good.
/// - RecordFree releases the device and ends its capture; it returns false
///   (kErrorInit) when no device is initialised.
/// - Every call sets the error code (kErrorOk on success) and is appended to
///   calls() as e.g. "RecordInit(2)", "RecordSetInput(0,0x10000,-1)",
///   "RecordStart(44100,2,0x100)", "ChannelGetData(1,0x80000003)". Flags and
///   requests are written in lower-case hex, volumes with %g.
class FakeCaptureLibrary final : public CaptureLibrary {
 public:
  FakeCaptureLibrary() = default;
  explicit FakeCaptureLibrary(std::vector<FakeDevice> devices);

  // --- Scripting -----------------------------------------------------------

  /// Adds a device and returns its number.
  int32_t addDevice(FakeDevice device);
  void setDeviceEnabled(int32_t device, bool enabled);
  /// The word GetVersion() returns; kCaptureLibraryVersion by default.
  void setVersion(uint32_t version) { version_ = version; }
  /// Makes the next RecordStart fail with `errorCode` (one refusal per call).
  void refuseNextRecordStart(int32_t errorCode);
  /// Queues one spectrum for ChannelGetData; must hold kSpectrumBins values.
  void queueSpectrum(std::vector<float> bins);
  /// The spectrum returned once the queue is empty (zeros by default); must
  /// hold kSpectrumBins values.
  void setSteadySpectrum(std::vector<float> bins);
  /// Queues one level word for ChannelGetLevel.
  void queueLevel(uint32_t level);
  /// The level word returned once the queue is empty (0 by default).
  void setSteadyLevel(uint32_t level) { steadyLevel_ = level; }
  /// From now on ChannelGetData fails with -1 and `errorCode`, as with a
  /// device that was unplugged.
  void lose(int32_t errorCode = kErrorUnknown);

  // --- State, for assertions ----------------------------------------------

  /// Every call so far, in order.
  const std::vector<std::string>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  const std::vector<FakeDevice>& devices() const { return devices_; }
  /// Number of the initialised device, if any.
  std::optional<int32_t> initialisedDevice() const { return initialised_; }
  /// Handle of the running capture; 0 when none runs.
  ChannelHandle runningChannel() const { return running_; }
  bool lost() const { return lost_; }
  std::size_t queuedSpectra() const { return spectra_.size(); }
  std::size_t queuedLevels() const { return levels_.size(); }

  // --- CaptureLibrary ------------------------------------------------------

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
  void record(std::string call) { calls_.push_back(std::move(call)); }
  bool fail(int32_t code);
  FakeInput* input(int32_t input);

  std::vector<FakeDevice> devices_;
  uint32_t version_ = kCaptureLibraryVersion;
  std::optional<int32_t> initialised_;
  ChannelHandle running_ = 0;
  ChannelHandle lastHandle_ = 0;
  int32_t error_ = kErrorOk;
  std::optional<int32_t> refusal_;
  std::deque<std::vector<float>> spectra_;
  std::vector<float> steadySpectrum_ = std::vector<float>(kSpectrumBins, 0.0f);
  std::deque<uint32_t> levels_;
  uint32_t steadyLevel_ = 0;
  bool lost_ = false;
  int32_t lostError_ = kErrorUnknown;
  std::vector<std::string> calls_;
};

}  // namespace tactolo
