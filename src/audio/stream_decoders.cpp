#include "audio/stream_decoders.h"

#include <FLAC/stream_decoder.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tactolo {

void PositionedDecoder::lost(int64_t atFrame, int64_t frames) {
  if (frames <= 0) return;
  if (damage_.places == 0) damage_.firstAtFrame = atFrame;
  damage_.lostFrames += frames;
  // Frames lost right after others are the same place.
  if (damage_.places == 0 || atFrame != lostUntil_) ++damage_.places;
  lostUntil_ = atFrame + frames;
}

namespace {

// --- FLAC ------------------------------------------------------------------------

/// Largest FLAC block (frames of one FLAC frame).
constexpr std::size_t kMaxFlacBlock = 65535;
/// Blocks of decoded frames held for one step of libFLAC, and the pieces
/// (decoded or silent) they make: a step hands over one frame, or the
/// silence it put in for frames it lost and then maybe a frame.
constexpr std::size_t kHeldBlocks = 4;
constexpr std::size_t kMaxPieces = 16;

/// libFLAC's stream decoder, fed from a ByteSource. Each FLAC frame carries
/// the number of its first sample, protected by the frame's CRC. When
/// damage makes libFLAC lose its sync it reports the error and goes on at
/// the next frame: libFLAC 1.4 hands over silent frames for those it lost,
/// in the same step as the error (counted here as lost), older versions
/// skip them (their numbers show the jump, and the frames are put in here
/// as silence). A frame whose CRC fails is silence too; its number is
/// believed only where the stream stands, since damage can pass for a
/// frame header.
class FlacDecoder final : public PositionedDecoder {
 public:
  FlacDecoder(ByteSource& source, int channels) : source_(source), channels_(channels) {}
  ~FlacDecoder() override {
    if (decoder_ != nullptr) FLAC__stream_decoder_delete(decoder_);
  }
  FlacDecoder(const FlacDecoder&) = delete;
  FlacDecoder& operator=(const FlacDecoder&) = delete;

  bool open() {
    decoder_ = FLAC__stream_decoder_new();
    if (decoder_ == nullptr) return false;
    // The MD5 sum of the whole is of no use to audio that plays as it is read.
    FLAC__stream_decoder_set_md5_checking(decoder_, false);
    const bool seekable = source_.length().has_value();
    const auto status = FLAC__stream_decoder_init_stream(
        decoder_, &readBytes, seekable ? &seekBytes : nullptr, seekable ? &tellBytes : nullptr,
        seekable ? &lengthBytes : nullptr, seekable ? &endOfBytes : nullptr, &takeFrame, &takeMetadata,
        &noteError, this);
    if (status != FLAC__STREAM_DECODER_INIT_STATUS_OK) return false;
    if (!FLAC__stream_decoder_process_until_end_of_metadata(decoder_)) return false;
    if (streamChannels_ != channels_) return false;
    blockFrames_ = maxBlock_ != 0 ? std::min<std::size_t>(maxBlock_, kMaxFlacBlock) : kMaxFlacBlock;
    samples_.resize(kHeldBlocks * blockFrames_ * static_cast<std::size_t>(channels_));
    return true;
  }

  std::size_t read(float* out, std::size_t frames) override {
    const auto channels = static_cast<std::size_t>(channels_);
    std::size_t done = 0;
    while (done < frames) {
      if (piece_ < pieceCount_) {
        Piece& piece = pieces_[piece_];
        const std::size_t n = std::min(piece.frames, frames - done);
        if (piece.silent) {
          std::fill(out + done * channels, out + (done + n) * channels, 0.0f);
        } else {
          const auto from = samples_.begin() + static_cast<std::ptrdiff_t>(piece.offset * channels);
          std::copy(from, from + static_cast<std::ptrdiff_t>(n * channels), out + done * channels);
          piece.offset += n;
        }
        piece.frames -= n;
        done += n;
        if (piece.frames == 0) ++piece_;
        continue;
      }
      if (ended_) break;
      piece_ = pieceCount_ = 0;
      heldFrames_ = 0;
      errorInStep_ = false;
      const bool going = FLAC__stream_decoder_process_single(decoder_) != 0;
      const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(decoder_);
      if (!going || state == FLAC__STREAM_DECODER_END_OF_STREAM || state == FLAC__STREAM_DECODER_ABORTED) {
        ended_ = true;
        if (state != FLAC__STREAM_DECODER_END_OF_STREAM) {
          error_ =
              source_.error() != 0 ? std::strerror(source_.error()) : FLAC__StreamDecoderStateString[state];
        }
      }
    }
    return done;
  }

  const char* readError() const override { return error_; }

  bool rewind() override {
    if (!source_.length()) return false;
    piece_ = pieceCount_ = 0;
    heldFrames_ = 0;
    expected_ = 0;
    crcFailed_ = errorInStep_ = false;
    ended_ = false;
    error_ = "";
    forgetDamage();
    if (FLAC__stream_decoder_get_state(decoder_) != FLAC__STREAM_DECODER_SEEK_ERROR &&
        FLAC__stream_decoder_seek_absolute(decoder_, 0)) {
      return true;
    }
    // After a failed seek libFLAC wants a flush before it decodes again.
    return FLAC__stream_decoder_flush(decoder_) && FLAC__stream_decoder_seek_absolute(decoder_, 0);
  }

 private:
  /// Frames to hand out: silence, or decoded frames from `offset` on.
  struct Piece {
    bool silent;
    std::size_t frames;
    std::size_t offset;
  };

  static FlacDecoder& self(void* client) { return *static_cast<FlacDecoder*>(client); }

  static FLAC__StreamDecoderReadStatus readBytes(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                                 size_t* bytes, void* client) {
    ByteSource& source = self(client).source_;
    *bytes = source.read(buffer, *bytes);
    if (*bytes > 0) return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
    return source.error() != 0 ? FLAC__STREAM_DECODER_READ_STATUS_ABORT
                               : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
  }
  static FLAC__StreamDecoderSeekStatus seekBytes(const FLAC__StreamDecoder*, FLAC__uint64 offset,
                                                 void* client) {
    return self(client).source_.seek(static_cast<int64_t>(offset)) ? FLAC__STREAM_DECODER_SEEK_STATUS_OK
                                                                   : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
  }
  static FLAC__StreamDecoderTellStatus tellBytes(const FLAC__StreamDecoder*, FLAC__uint64* offset,
                                                 void* client) {
    *offset = static_cast<FLAC__uint64>(self(client).source_.tell());
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
  }
  static FLAC__StreamDecoderLengthStatus lengthBytes(const FLAC__StreamDecoder*, FLAC__uint64* length,
                                                     void* client) {
    const auto bytes = self(client).source_.length();
    if (!bytes) return FLAC__STREAM_DECODER_LENGTH_STATUS_UNSUPPORTED;
    *length = static_cast<FLAC__uint64>(*bytes);
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
  }
  static FLAC__bool endOfBytes(const FLAC__StreamDecoder*, void* client) {
    ByteSource& source = self(client).source_;
    const auto bytes = source.length();
    return bytes && source.tell() >= *bytes;
  }

  static void takeMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* client) {
    if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO) return;
    FlacDecoder& decoder = self(client);
    decoder.streamChannels_ = static_cast<int>(metadata->data.stream_info.channels);
    decoder.maxBlock_ = metadata->data.stream_info.max_blocksize;
    decoder.totalFrames_ = metadata->data.stream_info.total_samples;
  }

  static void noteError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* client) {
    FlacDecoder& decoder = self(client);
    decoder.errorInStep_ = true;
    // The frame that follows is the one whose CRC failed.
    if (status == FLAC__STREAM_DECODER_ERROR_STATUS_FRAME_CRC_MISMATCH) decoder.crcFailed_ = true;
  }

  static FLAC__StreamDecoderWriteStatus takeFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                                  const FLAC__int32* const buffer[], void* client) {
    self(client).place(*frame, buffer);
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
  }

  void addSilence(std::size_t frames) {
    if (frames == 0) return;
    if (pieceCount_ > 0 && pieces_[pieceCount_ - 1].silent) {
      pieces_[pieceCount_ - 1].frames += frames;
    } else if (pieceCount_ < kMaxPieces) {
      pieces_[pieceCount_++] = {true, frames, 0};
    }
  }

  /// Puts a decoded frame where its number says, after silence for what was
  /// lost before it; what lies before the stream's position is dropped.
  void place(const FLAC__Frame& frame, const FLAC__int32* const buffer[]) {
    const bool crcFailed = crcFailed_;
    crcFailed_ = false;
    const auto blockFrames = static_cast<int64_t>(frame.header.blocksize);
    if (static_cast<int>(frame.header.channels) != channels_ || frame.header.bits_per_sample == 0 ||
        frame.header.number_type != FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER) {
      return;
    }
    const auto start = static_cast<int64_t>(frame.header.number.sample_number);
    if (crcFailed && start != expected_) return;
    if (!crcFailed && totalFrames_ != 0 && static_cast<uint64_t>(start) >= totalFrames_) return;
    if (start > expected_) {
      lost(expected_, start - expected_);
      addSilence(static_cast<std::size_t>(start - expected_));
      expected_ = start;
    }
    const int64_t skipped = std::clamp<int64_t>(expected_ - start, 0, blockFrames);
    const auto frames = static_cast<std::size_t>(blockFrames - skipped);
    const auto channels = static_cast<std::size_t>(channels_);
    bool silent = true;
    for (std::size_t c = 0; c < channels && silent; ++c) {
      silent =
          std::all_of(buffer[c] + skipped, buffer[c] + blockFrames, [](FLAC__int32 v) { return v == 0; });
    }
    if (silent && errorInStep_) {
      // What libFLAC put in for frames it lost, or a frame whose CRC failed.
      lost(expected_, static_cast<int64_t>(frames));
      addSilence(frames);
    } else if (silent) {
      addSilence(frames);
    } else if (pieceCount_ < kMaxPieces && (heldFrames_ + frames) * channels <= samples_.size()) {
      const float scale = 1.0f / static_cast<float>(int64_t{1} << (frame.header.bits_per_sample - 1));
      float* to = samples_.data() + heldFrames_ * channels;
      for (std::size_t i = 0; i < frames; ++i) {
        for (std::size_t c = 0; c < channels; ++c) {
          to[i * channels + c] = static_cast<float>(buffer[c][skipped + static_cast<int64_t>(i)]) * scale;
        }
      }
      pieces_[pieceCount_++] = {false, frames, heldFrames_};
      heldFrames_ += frames;
    } else {
      addSilence(frames);  // more in one step than ever seen: kept as time at least
    }
    expected_ += static_cast<int64_t>(frames);
  }

  ByteSource& source_;
  int channels_;
  FLAC__StreamDecoder* decoder_ = nullptr;
  int streamChannels_ = 0;
  unsigned maxBlock_ = 0;
  uint64_t totalFrames_ = 0;  // as STREAMINFO announces; 0 when unknown
  std::size_t blockFrames_ = 0;
  std::vector<float> samples_;  // the decoded frames of one step, interleaved
  std::size_t heldFrames_ = 0;
  std::array<Piece, kMaxPieces> pieces_{};
  std::size_t pieceCount_ = 0;
  std::size_t piece_ = 0;  // the piece being handed out
  int64_t expected_ = 0;   // the stream's position after what is queued
  bool crcFailed_ = false;
  bool errorInStep_ = false;  // libFLAC reported an error in this step
  bool ended_ = false;
  const char* error_ = "";
};

// --- Ogg Vorbis --------------------------------------------------------------------

/// Frames held back after a hole in an Ogg stream while its length is not
/// yet known (about 1.5 s at 44100 Hz; pages hold far less).
constexpr std::size_t kHeldFrames = 65536;

/// libvorbisfile over a ByteSource. At a hole (a page lost to damage)
/// vorbisfile goes on counting as if nothing were missing, until a page
/// that ends a packet brings its granule position; the frames decoded
/// after the hole are held back until then, and the frames the jump shows
/// lost go before them as silence.
class VorbisDecoder final : public PositionedDecoder {
 public:
  VorbisDecoder(ByteSource& source, int channels, int rate)
      : source_(source), channels_(channels), rate_(rate) {}
  ~VorbisDecoder() override {
    if (opened_) ov_clear(&file_);
  }
  VorbisDecoder(const VorbisDecoder&) = delete;
  VorbisDecoder& operator=(const VorbisDecoder&) = delete;

  bool open() {
    const ov_callbacks callbacks{&readBytes, &seekBytes, nullptr, &tellBytes};
    if (ov_open_callbacks(this, &file_, nullptr, 0, callbacks) != 0) return false;
    opened_ = true;
    const vorbis_info* info = ov_info(&file_, -1);
    if (info == nullptr || info->channels != channels_ || info->rate != rate_) return false;
    held_.resize(kHeldFrames * static_cast<std::size_t>(channels_));
    return true;
  }

  std::size_t read(float* out, std::size_t frames) override {
    const auto channels = static_cast<std::size_t>(channels_);
    std::size_t done = 0;
    while (done < frames) {
      if (silence_ > 0) {
        const auto n =
            static_cast<std::size_t>(std::min<int64_t>(silence_, static_cast<int64_t>(frames - done)));
        std::fill(out + done * channels, out + (done + n) * channels, 0.0f);
        silence_ -= static_cast<int64_t>(n);
        done += n;
        continue;
      }
      if (!holding_ && next_ < heldFrames_) {
        const std::size_t n = std::min(heldFrames_ - next_, frames - done);
        std::copy(held_.begin() + static_cast<std::ptrdiff_t>(next_ * channels),
                  held_.begin() + static_cast<std::ptrdiff_t>((next_ + n) * channels), out + done * channels);
        next_ += n;
        done += n;
        continue;
      }
      if (ended_) break;
      decodeChunk();
    }
    return done;
  }

  const char* readError() const override { return error_; }

  bool rewind() override {
    if (ov_pcm_seek(&file_, 0) != 0) return false;
    heldFrames_ = next_ = 0;
    holding_ = false;
    silence_ = 0;
    position_ = 0;
    ended_ = false;
    error_ = "";
    forgetDamage();
    return true;
  }

 private:
  static VorbisDecoder& self(void* client) { return *static_cast<VorbisDecoder*>(client); }

  static size_t readBytes(void* out, size_t size, size_t count, void* client) {
    ByteSource& source = self(client).source_;
    const std::size_t bytes = source.read(out, size * count);
    errno = source.error();
    return size == 0 ? 0 : bytes / size;
  }
  static int seekBytes(void* client, ogg_int64_t offset, int whence) {
    ByteSource& source = self(client).source_;
    int64_t target = offset;
    if (whence == SEEK_CUR) target += source.tell();
    if (whence == SEEK_END) target += source.length().value_or(0);
    return source.seek(target) ? 0 : -1;
  }
  static long tellBytes(void* client) { return static_cast<long>(self(client).source_.tell()); }

  /// Hands out the frames held after a hole where they are.
  void release() {
    if (!holding_) return;
    holding_ = false;
    position_ += static_cast<int64_t>(heldFrames_ - next_);
  }

  /// Decodes the next piece into the held frames (after those held already
  /// while a hole's length is unknown), and places it.
  void decodeChunk() {
    const auto channels = static_cast<std::size_t>(channels_);
    if (!holding_) heldFrames_ = next_ = 0;
    if (heldFrames_ == kHeldFrames) {
      // No position came to tell the hole's length: the held frames go on
      // where they are.
      release();
      return;
    }
    float** pcm = nullptr;
    int link = 0;
    const long got = ov_read_float(&file_, &pcm, static_cast<int>(kHeldFrames - heldFrames_), &link);
    if (got == OV_HOLE) {
      holding_ = true;
      return;
    }
    if (got < 0 || (got > 0 && ov_info(&file_, link)->channels != channels_)) {
      error_ = got == OV_EREAD && source_.error() != 0 ? std::strerror(source_.error())
                                                       : "the Vorbis stream cannot be decoded further";
      ended_ = true;
      release();
      return;
    }
    if (got == 0) {
      ended_ = true;
      release();
      return;
    }
    const auto frames = static_cast<std::size_t>(got);
    for (std::size_t i = 0; i < frames; ++i) {
      for (std::size_t c = 0; c < channels; ++c) held_[(heldFrames_ + i) * channels + c] = pcm[c][i];
    }
    heldFrames_ += frames;
    // Where the held frames start, as the stream now tells it.
    const int64_t start = ov_pcm_tell(&file_) - static_cast<int64_t>(heldFrames_);
    if (holding_ && start == position_) return;  // no granule position since the hole yet
    holding_ = false;
    if (start > position_) {
      lost(position_, start - position_);
      silence_ += start - position_;
      position_ = start;
    } else if (start < position_) {
      next_ = std::min(heldFrames_, static_cast<std::size_t>(position_ - start));
    }
    position_ += static_cast<int64_t>(heldFrames_ - next_);
  }

  ByteSource& source_;
  int channels_;
  int rate_;
  OggVorbis_File file_{};
  bool opened_ = false;
  std::vector<float> held_;  // decoded frames, interleaved
  std::size_t heldFrames_ = 0;
  std::size_t next_ = 0;  // the next one to hand out
  bool holding_ = false;  // after a hole, until a position comes
  int64_t silence_ = 0;
  int64_t position_ = 0;  // the stream's position after what is queued
  bool ended_ = false;
  const char* error_ = "";
};

}  // namespace

std::unique_ptr<PositionedDecoder> openFlacDecoder(ByteSource& source, int channels) {
  auto decoder = std::make_unique<FlacDecoder>(source, channels);
  if (!decoder->open()) return nullptr;
  return decoder;
}

std::unique_ptr<PositionedDecoder> openVorbisDecoder(ByteSource& source, int channels, int rate) {
  auto decoder = std::make_unique<VorbisDecoder>(source, channels, rate);
  if (!decoder->open()) return nullptr;
  return decoder;
}

}  // namespace tactolo
