// A capture back-end that "records" decoded audio played against a Clock:
// offline analysis of files and generated signals, at the clock's pace.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_source.h"
#include "audio/capture_analysis.h"
#include "audio/capture_library.h"
#include "audio/file_stream.h"
#include "platform/clock.h"

namespace tactolo {

/// A playback device: a name and its audio. The audio is either given
/// decoded, or as a source description (see parseSource()) that is opened
/// when the device is first initialised with RecordInit, so that listing
/// many devices costs nothing. A generated source is then decoded whole; an
/// audio file (or kStandardInput) is streamed: decoded bit by bit as it
/// plays (see FileStream). Either is kept with the device, so that a source
/// is opened once however often the device is initialised: standard input
/// can only be read once.
struct PlaybackDevice {
  std::string name;
  /// Decoded audio; when empty, `source` is opened at RecordInit.
  std::shared_ptr<const DecodedAudio> audio;
  /// The streamed file, once opened.
  std::shared_ptr<FileStream> stream;
  /// Source description, used when `audio` is empty.
  std::string source;
  /// Length of generated signals decoded from `source`, in seconds.
  double generatedSeconds = 60.0;

  static PlaybackDevice fromAudio(std::string name, DecodedAudio audio);
  static PlaybackDevice fromSource(std::string name, std::string source, double generatedSeconds);
};

/// CaptureLibrary that plays decoded audio against a Clock.
///
/// Each device has one input, "File", switched on; while it is switched off
/// the capture hears silence (playback goes on). RecordStart (44100 Hz,
/// 2 channels only; otherwise kErrorNotAvailable) starts playback at
/// clock.nowMs(). At time t, the frames played so far are the first
/// (t - start) * 44.1 of the audio; ChannelGetData analyses the newest
/// kFftSize of them and ChannelGetLevel the newest kLevelFrames, frames
/// before the start and past the end of the audio being silence. On a
/// VirtualClock a whole file is thus analysed as fast as the clock is
/// advanced: a driver advances it while playing() holds. A file's audio ends
/// where its decoder ends (the end of its data, or a read error), whatever
/// length its header announced.
///
/// A source that fails to open or decode at RecordInit makes RecordInit fail
/// with kErrorNotAvailable; loadError() then holds the message. A streamed
/// file that cannot be read further while it plays goes silent from there,
/// and loadError() tells why.
///
/// Neither ChannelGetData nor ChannelGetLevel allocates. Single-threaded.
class FilePlaybackLibrary final : public CaptureLibrary {
 public:
  FilePlaybackLibrary(const Clock& clock, std::vector<PlaybackDevice> devices);

  /// True while a capture runs and its audio has not yet played to its end
  /// at the clock's time: false once the last frame has played (a streamed
  /// file's end is found by decoding on to the playback position), and while
  /// no capture runs. A driver of the clock runs until this turns false.
  bool playing();
  /// Milliseconds of the initialised device's audio decoded so far (rounded
  /// up): of a streamed file, what has been decoded up to the playback
  /// position, and its whole length once playing() has turned false at its
  /// end; of a generated source, its length. nullopt when no device is
  /// initialised.
  std::optional<int64_t> decodedMs() const;
  /// Milliseconds of audio played by now by the running capture; nullopt when
  /// none runs.
  std::optional<int64_t> playedMs() const;
  /// Message of the last failure to decode a source: at RecordInit, or while
  /// the initialised device's file played ("" if none).
  const std::string& loadError() const;

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
  bool fail(int32_t code);
  bool checkInput(int32_t input);
  bool checkChannel(ChannelHandle handle);
  /// Frames played by the running capture by now.
  int64_t playedFrames() const;

  const Clock& clock_;
  std::vector<PlaybackDevice> devices_;
  CaptureAnalysis analysis_;
  std::optional<int32_t> initialised_;
  std::shared_ptr<const DecodedAudio> audio_;  // of the initialised device, decoded
  std::shared_ptr<FileStream> stream_;         // or streamed from its file
  bool inputOn_ = true;
  ChannelHandle running_ = 0;
  ChannelHandle lastHandle_ = 0;
  TimeMs startMs_ = 0;
  int32_t error_ = kErrorOk;
  std::string loadError_;
};

}  // namespace tactolo
