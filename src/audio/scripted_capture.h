// A capture back-end whose devices, inputs and failures a script declares,
// and whose running capture hears one audio source played against a Clock.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_source.h"
#include "audio/capture_analysis.h"
#include "audio/capture_library.h"
#include "platform/clock.h"

namespace tactolo {

struct ScriptedInput {
  std::string name;
  bool on = true;
};

struct ScriptedDevice {
  std::string name;
  bool enabled = true;
  std::vector<ScriptedInput> inputs;
};

/// CaptureLibrary for the script host.
///
/// Devices and inputs behave as in FakeCaptureLibrary: one device at a time
/// is initialised (RecordInit fails with kErrorAlready while one is, and with
/// kErrorDevice for a missing or disabled device); input operations need an
/// initialised device (kErrorInit) and an existing input
/// (kErrorNotAvailable); RecordStart fails with kErrorInit without a device,
/// kErrorAlready while a capture runs, and with the scripted code after
/// refuseNextRecordStart(); handles count 1, 2, 3...; RecordFree releases
/// the device and ends its capture.
///
/// Audio: every device and input hears the same source (see setSource()),
/// played against the clock from the capture start, or from the moment the
/// source was changed when that came later. ChannelGetData and
/// ChannelGetLevel analyse the newest frames with CaptureAnalysis, as every
/// back-end does. Generated sources are decoded in growing pieces, so a
/// long run costs memory only for the time actually played (up to
/// kMaxGeneratedSeconds, silence after that); a file is decoded whole when
/// it becomes the source. After lose(), ChannelGetData fails (-1) for good.
///
/// Every call except the per-tick ChannelGetData and ChannelGetLevel is
/// logged with its arguments and result, e.g. "RecordInit(2) -> true",
/// "RecordSetInput(0,0x10000,-1) -> true", "RecordStart(44100,2,0x100) -> 1".
class ScriptedCaptureLibrary final : public CaptureLibrary {
 public:
  explicit ScriptedCaptureLibrary(const Clock& clock);

  // --- Scripting -------------------------------------------------------------

  /// Appends a device; returns its number.
  int32_t addDevice(std::string name, bool enabled);
  /// Appends an input to the last device added; std::logic_error when there
  /// is none.
  void addInput(std::string name, bool on);
  /// The word GetVersion() reports; kCaptureLibraryVersion by default.
  void setVersion(uint32_t version) { version_ = version; }
  /// The next RecordStart fails with `errorCode`.
  void refuseNextRecordStart(int32_t errorCode) { refusal_ = errorCode; }
  /// From now on ChannelGetData fails with -1 (kErrorUnknown), as with a
  /// device that was unplugged.
  void lose() { lost_ = true; }
  /// What the devices hear from now on: "silence" (the default),
  /// "synth:BPM", "tone:HZ", "clicks:MS" or an audio file's path (see
  /// parseSource()). Throws std::runtime_error for a malformed description or
  /// an unreadable file, leaving the source as it was.
  void setSource(const std::string& description);

  // --- State -----------------------------------------------------------------

  const std::vector<std::string>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  const std::vector<ScriptedDevice>& devices() const { return devices_; }

  // --- CaptureLibrary --------------------------------------------------------

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
  /// The source's audio, decoded at least up to `frames` frames where it can
  /// be.
  const DecodedAudio& audioCovering(int64_t frames);
  int64_t playedFrames() const;
  ScriptedInput* input(int32_t input);
  bool fail(int32_t code);
  void log(std::string call) { calls_.push_back(std::move(call)); }

  const Clock& clock_;
  std::vector<ScriptedDevice> devices_;
  uint32_t version_ = kCaptureLibraryVersion;
  std::optional<int32_t> initialised_;
  ChannelHandle running_ = 0;
  ChannelHandle lastHandle_ = 0;
  int32_t error_ = kErrorOk;
  std::optional<int32_t> refusal_;
  bool lost_ = false;

  std::string source_ = "silence";
  bool generated_ = true;  // false: a file, decoded whole
  double decodedSeconds_ = 0.0;
  std::shared_ptr<const DecodedAudio> audio_;
  TimeMs playStartMs_ = 0;
  CaptureAnalysis analysis_;

  std::vector<std::string> calls_;
};

}  // namespace tactolo
