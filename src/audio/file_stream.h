// Audio files decoded a piece at a time: the decoder behind loadAudioFile(),
// and the stream that file playback decodes as its clock moves on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/frame_reader.h"
#include "audio/sound_file.h"

struct SRC_STATE_tag;

namespace tactolo {

/// Reads an audio file or stream (see SoundFile) as interleaved stereo
/// float frames at kCaptureRate, in pieces of any size. Other sample rates
/// go through libsamplerate as the file is read, mono is copied to both
/// channels, and of more than two channels the first two are kept.
///
/// The audio ends where the decoder ends: at the end of the data or at a
/// read error, whatever length the header announced. When the file breaks
/// off (a read error, or data ending short of what the header announces),
/// error() tells where and why; the frames decoded up to there are kept.
/// Frames lost to damage inside a FLAC or Ogg Vorbis stream are silence, so
/// that the frames after them keep their time, and error() tells where and
/// how much was lost.
///
/// Every buffer is made when the file is opened: read() and rewind() do not
/// allocate. Not for use by two threads at once.
class AudioFileDecoder {
 public:
  /// Opens `path` (kStandardInput for standard input). Throws
  /// std::runtime_error with a one-line message naming the file when it is
  /// missing, not a regular file, unreadable or not audio.
  explicit AudioFileDecoder(const std::string& path);
  ~AudioFileDecoder();
  AudioFileDecoder(const AudioFileDecoder&) = delete;
  AudioFileDecoder& operator=(const AudioFileDecoder&) = delete;

  /// Frames at kCaptureRate that the file's header announces (the resampler
  /// may make a few more or fewer); nullopt when it does not say.
  std::optional<int64_t> expectedFrames() const { return expectedFrames_; }

  /// Writes the next frames, up to `frames` of them, to `out`
  /// (2 * frames floats) and returns how many it wrote: fewer than `frames`
  /// only when the audio has ended.
  std::size_t read(float* out, std::size_t frames);
  /// True once read() has reached the end of the audio.
  bool finished() const { return finished_; }
  /// Where the file was damaged and how much of it was lost, and where and
  /// why it broke off, as one line ("audio file 'x.flac' is damaged at
  /// 3.251 s: 0.093 s of it lost, heard as silence", "audio file 'x.wav'
  /// breaks off after 1.250 s: its header announces 60.000 s"; both joined
  /// by "; it"; "is damaged in 3 places, the first at ..."); "" while
  /// neither happened. It changes as damage is met.
  const std::string& error() const { return error_; }

  /// Goes back to the first frame (and forgets an earlier break). A pipe
  /// read past its start cannot go back: its audio then ends at once, and
  /// error() says so.
  void rewind();

 private:
  struct ResamplerDeleter {
    void operator()(SRC_STATE_tag* state) const;
  };

  /// Reads up to `frames` stereo frames at the file's own rate.
  std::size_t readFile(float* out, std::size_t frames);
  /// Notes that the file broke off, for `why`, after what was read.
  void breakOff(const char* why);
  /// Writes the damage met so far into error().
  void describeDamage();
  /// Ends the audio at once with `message`.
  void stop(const char* message);

  std::string name_;  // "audio file 'PATH'" or "standard input"
  SoundFile file_;
  int channels_ = 0;
  std::optional<int64_t> expectedFrames_;
  std::vector<float> chunk_;                                    // the file's frames as read, unless stereo
  std::unique_ptr<SRC_STATE_tag, ResamplerDeleter> resampler_;  // unless at kCaptureRate
  double ratio_ = 1.0;
  std::vector<float> input_;  // stereo frames waiting for the resampler
  std::size_t inputStart_ = 0;
  std::size_t inputFrames_ = 0;
  bool fileEnded_ = false;
  bool finished_ = false;
  int damagePlaces_ = 0;  // the places of damage error() describes
  std::string error_;
};

/// An audio file as heard while it plays: decoded up to the frames played
/// so far, of which only the newest are kept.
///
/// advanceTo(played) decodes up to frame `played` (exclusive) and makes it
/// the playback position; readNewest() then gives the frames before it,
/// frames before the start and from the end of the audio on being silence,
/// as are frames more than about kWindowFrames old. Decoding stops at the
/// position, give or take a piece of kDecodeFrames, so the work and the
/// memory follow the audio played, whatever the file's length. The audio
/// ends where the decoder ends (see AudioFileDecoder): silence follows,
/// ended() turns true once it has played, and error() tells why when the
/// file broke off.
///
/// Neither advanceTo() nor readNewest() allocates. Not for use by two
/// threads at once.
class FileStream final : public FrameReader {
 public:
  /// Frames kept, newest last.
  static constexpr std::size_t kWindowFrames = 8192;
  /// Frames decoded at a time.
  static constexpr std::size_t kDecodeFrames = 2048;

  /// Opens `path`; throws as AudioFileDecoder does.
  explicit FileStream(const std::string& path);

  /// See AudioFileDecoder.
  const std::string& error() const { return decoder_.error(); }
  /// Frames decoded so far: the whole audio once the decoder has finished.
  int64_t decodedFrames() const { return decoded_; }

  /// Moves the playback position on to `played` frames (it never goes back;
  /// see restart()).
  void advanceTo(int64_t played);
  /// True once the playback position has passed the last frame of the
  /// audio. Decodes at most a piece beyond the position to find out.
  bool ended();
  /// Plays the file again from its start: the position is 0.
  void restart();

  void readNewest(float* out, std::size_t frames) const override;

 private:
  /// Decodes the next piece into the window.
  void decodePiece();

  AudioFileDecoder decoder_;
  std::vector<float> window_;  // frame f at f % kWindowFrames
  int64_t decoded_ = 0;
  int64_t played_ = 0;
};

}  // namespace tactolo
