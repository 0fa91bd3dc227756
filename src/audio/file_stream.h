// Audio files decoded a piece at a time: the decoder behind loadAudioFile(),
// and the stream that file playback decodes as its clock moves on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/frame_reader.h"

struct sf_private_tag;
struct SRC_STATE_tag;

namespace tactolo {

/// Reads an audio file (any format libsndfile reads) as interleaved stereo
/// float frames at kCaptureRate, in pieces of any size. Other sample rates
/// go through libsamplerate as the file is read, mono is copied to both
/// channels, and of more than two channels the first two are kept.
///
/// Every buffer is made when the file is opened: read() and rewind() do not
/// allocate. Not for use by two threads at once.
class AudioFileDecoder {
 public:
  /// Opens `path`. Throws std::runtime_error with a one-line message naming
  /// the file when it is missing, unreadable or not audio.
  explicit AudioFileDecoder(const std::string& path);
  ~AudioFileDecoder();
  AudioFileDecoder(const AudioFileDecoder&) = delete;
  AudioFileDecoder& operator=(const AudioFileDecoder&) = delete;

  /// Frames at kCaptureRate that the file's header announces (the resampler
  /// may make a few more or fewer).
  int64_t expectedFrames() const { return expectedFrames_; }
  /// Length that the header announces, in milliseconds rounded up.
  int64_t durationMs() const { return durationMs_; }

  /// Writes the next frames, up to `frames` of them, to `out`
  /// (2 * frames floats) and returns how many it wrote: fewer than `frames`
  /// only when the audio has ended. A read error ends the audio early and is
  /// kept in error().
  std::size_t read(float* out, std::size_t frames);
  /// True once read() has reached the end of the audio.
  bool finished() const { return finished_; }
  /// The read error that ended the audio early; "" when there was none.
  const std::string& error() const { return error_; }

  /// Goes back to the first frame (and forgets an earlier read error).
  void rewind();

 private:
  struct SndfileCloser {
    void operator()(sf_private_tag* file) const;
  };
  struct ResamplerDeleter {
    void operator()(SRC_STATE_tag* state) const;
  };

  /// Reads the whole file to count its frames (for headers that do not say).
  int64_t countFrames();
  /// Reads up to `frames` stereo frames at the file's own rate.
  std::size_t readFile(float* out, std::size_t frames);
  void failRead(const char* why);

  std::string path_;
  std::unique_ptr<sf_private_tag, SndfileCloser> file_;
  int channels_ = 0;
  int64_t expectedFrames_ = 0;
  int64_t durationMs_ = 0;
  std::vector<float> chunk_;                                    // the file's frames as read, unless stereo
  std::unique_ptr<SRC_STATE_tag, ResamplerDeleter> resampler_;  // unless at kCaptureRate
  double ratio_ = 1.0;
  std::vector<float> input_;  // stereo frames waiting for the resampler
  std::size_t inputStart_ = 0;
  std::size_t inputFrames_ = 0;
  bool fileEnded_ = false;
  bool finished_ = false;
  std::string error_;
};

/// An audio file as heard while it plays: decoded up to the frames played
/// so far, of which only the newest are kept.
///
/// advanceTo(played) decodes up to frame `played` (exclusive) and makes it
/// the playback position; readNewest() then gives the frames before it,
/// frames before the start and from the end of the audio on being silence,
/// as are frames more than about kWindowFrames old. Decoding stops at the
/// position, give or take a piece of kDecodeFrames, so the work follows the
/// audio played. A read error ends the audio there: silence follows and
/// error() tells why.
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
  int64_t expectedFrames() const { return decoder_.expectedFrames(); }
  int64_t durationMs() const { return decoder_.durationMs(); }
  const std::string& error() const { return decoder_.error(); }

  /// Moves the playback position on to `played` frames (it never goes back;
  /// see restart()).
  void advanceTo(int64_t played);
  /// Plays the file again from its start: the position is 0.
  void restart();

  void readNewest(float* out, std::size_t frames) const override;

 private:
  AudioFileDecoder decoder_;
  std::vector<float> window_;  // frame f at f % kWindowFrames
  int64_t decoded_ = 0;
  int64_t played_ = 0;
};

}  // namespace tactolo
