// Opening audio for decoding: a regular file by its path, or a stream on
// standard input, and what its header announces of its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "audio/stream_decoders.h"

struct sf_private_tag;

namespace tactolo {

/// The path that names standard input.
inline constexpr const char* kStandardInput = "-";

/// An audio file or stream opened with libsndfile for reading, in any
/// format libsndfile reads (WAV, FLAC, Ogg, ...). FLAC and Ogg Vorbis are
/// then decoded with their own libraries, which keep time by the positions
/// the stream carries: frames lost to damage inside the stream are read as
/// silence, and damage() says where and how much (see stream_decoders.h).
///
/// A path must name a regular file: a folder, a FIFO, a device or a socket
/// is refused at once, without being opened for reading, so nothing waits on
/// a writer. kStandardInput ("-") reads standard input: a file redirected
/// into it is read as any file; a pipe carries a stream (WAV or FLAC, as
/// `sox ... -t wav -` writes) that is read once, front to back. Of a pipe the
/// first bytes (up to kStreamHeadBytes) are kept, so that libsndfile can go
/// back while it recognises the format. A terminal or a device on standard
/// input is refused. A read from a pipe that a signal interrupts (a handler
/// installed without SA_RESTART) ends the stream there, so that a host can
/// stop a run whose writer has stalled.
///
/// Not for use by two threads at once.
class SoundFile {
 public:
  /// Bytes of a piped stream kept for going back to while the format is
  /// recognised.
  static constexpr std::size_t kStreamHeadBytes = std::size_t{1} << 20;

  /// Opens `path`. Throws std::runtime_error with a one-line message naming
  /// the file when it is missing, not a regular file, unreadable or not
  /// audio.
  explicit SoundFile(const std::string& path);
  ~SoundFile();
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  int channels() const { return channels_; }
  int sampleRate() const { return sampleRate_; }
  /// True for a stream on a pipe, which cannot go back.
  bool piped() const { return input_ != nullptr; }

  /// Frames the header announces, at the file's own rate; nullopt when it
  /// does not say or cannot be believed (a pipe, whose writer cannot go back
  /// to fill in the length; an Ogg file cut off before its end).
  std::optional<int64_t> announcedFrames() const { return announcedFrames_; }

  /// Reads up to `frames` frames (channels() floats each) into `out` and
  /// returns how many it read: fewer only at the end of the data or on a
  /// read error (then readError() is not empty). Allocates nothing.
  std::size_t read(float* out, std::size_t frames);
  /// libsndfile's description of the read error that ended the data; ""
  /// when the data simply ended.
  const char* readError() const;
  /// Frames read since the start, silence for lost frames included.
  int64_t framesRead() const { return framesRead_; }
  /// The damage met inside the data so far (frames lost, read as silence).
  const StreamDamage& damage() const;
  /// Why the data, having ended without a read error, is short of the whole
  /// file: "" when nothing is known to be missing; otherwise why ("its
  /// header announces 3600.000 s", "its end is missing", "its data header
  /// is cut short"). Allocates nothing.
  const char* missingEnd();

  /// Goes back to the first frame; false when it cannot (a pipe read past
  /// its start, a failed seek).
  bool rewind();

 private:
  struct SndfileCloser {
    void operator()(sf_private_tag* file) const;
  };
  /// A file descriptor this object opened, closed with it.
  struct Descriptor {
    int fd = -1;
    ~Descriptor();
  };
  struct PipeInput;
  class PipeBytes;

  void openPath(const std::string& path);
  void openStandardInput();
  /// Opens `fd`, a regular file, with libsndfile.
  void openRegular(int fd, const std::string& path);
  /// Decodes FLAC or Ogg Vorbis, which libsndfile has recognised in the
  /// bytes of `bytes_`, with their own libraries from now on; libsndfile
  /// goes. Stays with libsndfile when they cannot read the stream.
  void decodeByPosition(int format);
  void checkFormat(const std::string& path) const;

  // Declared before file_, so that libsndfile lets go of them first.
  Descriptor owned_;
  std::unique_ptr<PipeInput> input_;                     // a piped stream's reader
  std::unique_ptr<ByteSource> bytes_;                    // for decoder_
  std::unique_ptr<PositionedDecoder> decoder_;           // FLAC and Ogg Vorbis
  std::unique_ptr<sf_private_tag, SndfileCloser> file_;  // until decoder_ takes over
  int channels_ = 0;
  int sampleRate_ = 0;
  std::optional<int64_t> announcedFrames_;
  bool oggWithoutEnd_ = false;
  bool wavHeaderCut_ = false;
  int64_t framesRead_ = 0;
  char missingEnd_[64] = {};
};

}  // namespace tactolo
