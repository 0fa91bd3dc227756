// A capture back-end whose devices, inputs and failures a script declares,
// and whose running capture hears one audio source played against a Clock.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "audio/audio_source.h"
#include "audio/capture_analysis.h"
#include "audio/capture_library.h"
#include "audio/device_table_capture.h"
#include "audio/file_stream.h"
#include "platform/clock.h"

namespace tactolo {

using ScriptedInput = FakeInput;
using ScriptedDevice = FakeDevice;

/// CaptureLibrary for the script host.
///
/// Devices, inputs, starting, stopping and error codes work as described at
/// DeviceTableCapture; devices report the driver "script", and RecordStart
/// accepts 44100 Hz, 2 channels only (otherwise kErrorNotAvailable).
///
/// Audio: every device and input hears the same source (see setSource()),
/// played against the clock from the capture start, or from the moment the
/// source was changed when that came later. ChannelGetData and
/// ChannelGetLevel analyse the newest frames with CaptureAnalysis, as every
/// back-end does. Generated sources are decoded in growing pieces, so a
/// long run costs memory only for the time actually played (up to
/// kMaxGeneratedSeconds, silence after that); a file is streamed as it plays
/// (see FileStream), so its memory stays the same whatever its length. A
/// capture start plays the source again from its start.
///
/// Every call except the per-tick ChannelGetData and ChannelGetLevel is
/// logged with its arguments and result, e.g. "RecordInit(2) -> true",
/// "RecordSetInput(0,0x10000,-1) -> true", "RecordStart(44100,2,0x100) -> 1".
class ScriptedCaptureLibrary final : public DeviceTableCapture {
 public:
  explicit ScriptedCaptureLibrary(const Clock& clock);

  // --- Scripting -------------------------------------------------------------

  /// Appends a device; returns its number.
  int32_t addDevice(std::string name, bool enabled);
  /// Appends an input to the last device added; std::logic_error when there
  /// is none.
  void addInput(std::string name, bool on);
  /// What the devices hear from now on: "silence" (the default),
  /// "synth:BPM", "tone:HZ", "clicks:MS" or an audio file's path (see
  /// parseSource()). Throws std::runtime_error for a malformed description or
  /// an unreadable file, leaving the source as it was.
  void setSource(const std::string& description);
  /// Where the file being played was damaged, and where and why it broke
  /// off (see AudioFileDecoder::error()), each time that changes; nullopt
  /// otherwise.
  std::optional<std::string> takeSourceBreak();

 private:
  /// Starts the playback clock of a capture in the one format it hears.
  int32_t startCapture(uint32_t rate, uint32_t channels) override;
  int32_t channelData(float* buffer, uint32_t request, int32_t& error) override;
  uint32_t channelLevel() override;
  /// The generated source's audio, decoded at least up to `frames` frames
  /// where it can be.
  const DecodedAudio& audioCovering(int64_t frames);
  int64_t playedFrames() const;

  const Clock& clock_;
  std::string source_ = "silence";
  std::unique_ptr<FileStream> stream_;  // a file, streamed; null for a generated source
  std::string reportedBreak_;           // what takeSourceBreak() last said
  double decodedSeconds_ = 0.0;
  std::shared_ptr<const DecodedAudio> audio_;
  TimeMs playStartMs_ = 0;
  CaptureAnalysis analysis_;
};

}  // namespace tactolo
