// FLAC and Ogg Vorbis decoded with their own libraries, keeping time by the
// positions the streams carry: FLAC frame headers hold the number of their
// first sample, Ogg pages the granule position of their last one. Where
// damage made the decoder skip part of a stream, the frames lost are handed
// out as silence, so that every frame after them keeps its time (libsndfile,
// decoding the same streams, skips or stops without saying where).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace tactolo {

/// The bytes of an encoded stream: a file (which can seek) or a pipe (which
/// cannot).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  /// Reads up to `count` bytes into `out`; fewer only at the end of the
  /// bytes or on a failed read (then error() holds its errno).
  virtual std::size_t read(void* out, std::size_t count) = 0;
  /// Goes to byte `offset` from the start; false when it cannot.
  virtual bool seek(int64_t offset) = 0;
  virtual int64_t tell() = 0;
  /// The length in bytes; nullopt for a stream that cannot seek.
  virtual std::optional<int64_t> length() = 0;
  /// errno of the read that failed; 0 while none has.
  virtual int error() const = 0;
};

/// Where a stream was damaged: the first place (in frames at the stream's
/// own rate, from its start), the frames lost in all, and the places.
struct StreamDamage {
  int64_t firstAtFrame = 0;
  int64_t lostFrames = 0;
  int places = 0;
};

/// Decodes an encoded stream into interleaved float frames, frames lost to
/// damage being silence. read() allocates nothing.
class PositionedDecoder {
 public:
  virtual ~PositionedDecoder() = default;
  /// Reads up to `frames` frames (channels floats each) into `out`; fewer
  /// only at the end of the stream or on a read error.
  virtual std::size_t read(float* out, std::size_t frames) = 0;
  /// Why the stream ended before its end: the failed read or the decoder's
  /// failure; "" when it simply ended.
  virtual const char* readError() const = 0;
  /// Goes back to the first frame and forgets the damage met; false when
  /// the source cannot seek.
  virtual bool rewind() = 0;
  const StreamDamage& damage() const { return damage_; }

 protected:
  /// Notes `frames` frames lost at frame `atFrame`.
  void lost(int64_t atFrame, int64_t frames);
  void forgetDamage() { damage_ = {}; }

 private:
  StreamDamage damage_;
  int64_t lostUntil_ = 0;  // the end of the frames lost last
};

/// A FLAC decoder over `source` (read from where it stands), its metadata
/// read; nullptr when libFLAC cannot read the stream or it does not have
/// `channels` channels. A source that can seek is given libFLAC's seek
/// callbacks (and can rewind).
std::unique_ptr<PositionedDecoder> openFlacDecoder(ByteSource& source, int channels);

/// An Ogg Vorbis decoder over `source`, which must seek; nullptr when
/// libvorbisfile cannot read the stream or it does not have `channels`
/// channels at `rate` Hz.
std::unique_ptr<PositionedDecoder> openVorbisDecoder(ByteSource& source, int channels, int rate);

}  // namespace tactolo
