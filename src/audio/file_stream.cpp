#include "audio/file_stream.h"

#include <samplerate.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "audio/capture_library.h"

namespace tactolo {

namespace {

/// File frames read at a time.
constexpr std::size_t kChunkFrames = 4096;

}  // namespace

void AudioFileDecoder::ResamplerDeleter::operator()(SRC_STATE_tag* state) const { src_delete(state); }

AudioFileDecoder::AudioFileDecoder(const std::string& path)
    : name_(path == kStandardInput ? std::string("standard input") : "audio file '" + path + "'"),
      file_(path),
      channels_(file_.channels()) {
  const int64_t rate = file_.sampleRate();
  if (const auto frames = file_.announcedFrames())
    expectedFrames_ = (*frames * kCaptureRate + rate / 2) / rate;
  if (channels_ != 2) {
    chunk_.resize(kChunkFrames * static_cast<std::size_t>(channels_));
  }
  if (rate != kCaptureRate) {
    // Linear interpolation: beats live in the bass and the low mids, where
    // it loses little (0.05 dB at 2 kHz, 0.3 dB at 5 kHz from 48 kHz), while resampling
    // then costs less than the analysis of the audio; the sinc converters
    // cost 6 (the fastest) to 15 times as much as the analysis.
    ratio_ = static_cast<double>(kCaptureRate) / static_cast<double>(rate);
    int code = 0;
    if (src_is_valid_ratio(ratio_) != 0) {
      resampler_.reset(src_new(SRC_LINEAR, 2, &code));
    }
    if (!resampler_) {
      throw std::runtime_error("cannot resample " + name_ + " from " + std::to_string(rate) +
                               " Hz to 44100 Hz" + (code != 0 ? std::string(": ") + src_strerror(code) : ""));
    }
    input_.resize(2 * kChunkFrames);
  }
  // Room for the message of damage and a break, so that noting them
  // allocates nothing.
  error_.reserve(name_.size() + 400);
}

AudioFileDecoder::~AudioFileDecoder() = default;

void AudioFileDecoder::describeDamage() {
  const StreamDamage& damage = file_.damage();
  damagePlaces_ = damage.places;
  const double rate = file_.sampleRate();
  char text[160];
  if (damage.places == 1) {
    std::snprintf(text, sizeof text, " is damaged at %.3f s: %.3f s of it lost, heard as silence",
                  static_cast<double>(damage.firstAtFrame) / rate,
                  static_cast<double>(damage.lostFrames) / rate);
  } else {
    std::snprintf(text, sizeof text,
                  " is damaged in %d places, the first at %.3f s: %.3f s of it lost in all, heard as silence",
                  damage.places, static_cast<double>(damage.firstAtFrame) / rate,
                  static_cast<double>(damage.lostFrames) / rate);
  }
  error_.assign(name_).append(text);
}

void AudioFileDecoder::breakOff(const char* why) {
  char after[64];
  std::snprintf(after, sizeof after,
                " breaks off after %.3f s: ", static_cast<double>(file_.framesRead()) / file_.sampleRate());
  // After the damage, if any, that it has gone through.
  if (damagePlaces_ > 0) {
    error_.append("; it").append(after);
  } else {
    error_.assign(name_).append(after);
  }
  // The reason on one line; the name stays as it is (it is escaped where it
  // is printed).
  const std::size_t reason = error_.size();
  error_.append(why);
  std::replace(error_.begin() + static_cast<std::ptrdiff_t>(reason), error_.end(), '\n', ' ');
  std::replace(error_.begin() + static_cast<std::ptrdiff_t>(reason), error_.end(), '\r', ' ');
  fileEnded_ = true;
}

void AudioFileDecoder::stop(const char* message) {
  error_.assign(name_).append(message);
  fileEnded_ = true;
  finished_ = true;
}

std::size_t AudioFileDecoder::readFile(float* out, std::size_t frames) {
  if (fileEnded_) {
    return 0;
  }
  std::size_t read = 0;
  if (channels_ == 2) {
    read = file_.read(out, frames);
  } else {
    frames = std::min(frames, kChunkFrames);
    read = file_.read(chunk_.data(), frames);
    const auto channels = static_cast<std::size_t>(channels_);
    const std::size_t right = channels > 1 ? 1 : 0;
    for (std::size_t i = 0; i < read; ++i) {
      out[2 * i] = chunk_[i * channels];
      out[2 * i + 1] = chunk_[i * channels + right];
    }
  }
  if (file_.damage().places != damagePlaces_) describeDamage();
  if (read < frames) {
    fileEnded_ = true;
    if (const char* why = file_.readError(); *why != '\0') {
      breakOff(why);
    } else if (const char* missing = file_.missingEnd(); *missing != '\0') {
      breakOff(missing);
    }
  }
  return read;
}

std::size_t AudioFileDecoder::read(float* out, std::size_t frames) {
  std::size_t done = 0;
  while (done < frames && !finished_) {
    if (!resampler_) {
      const std::size_t read = readFile(out + 2 * done, frames - done);
      finished_ = read == 0;
      done += read;
      continue;
    }
    if (inputFrames_ == 0 && !fileEnded_) {
      inputStart_ = 0;
      inputFrames_ = readFile(input_.data(), kChunkFrames);
    }
    SRC_DATA data{};
    data.data_in = input_.data() + 2 * inputStart_;
    data.input_frames = static_cast<long>(inputFrames_);
    data.data_out = out + 2 * done;
    data.output_frames = static_cast<long>(frames - done);
    data.src_ratio = ratio_;
    data.end_of_input = fileEnded_ ? 1 : 0;
    const int code = src_process(resampler_.get(), &data);
    if (code != 0) {
      breakOff(src_strerror(code));
      finished_ = true;
      break;
    }
    inputStart_ += static_cast<std::size_t>(data.input_frames_used);
    inputFrames_ -= static_cast<std::size_t>(data.input_frames_used);
    done += static_cast<std::size_t>(data.output_frames_gen);
    // Flushed out at the end, or (never seen) stuck on input it does not take.
    finished_ = data.output_frames_gen == 0 && data.input_frames_used == 0;
  }
  return done;
}

void AudioFileDecoder::rewind() {
  error_.clear();
  damagePlaces_ = 0;
  inputStart_ = 0;
  inputFrames_ = 0;
  fileEnded_ = false;
  finished_ = false;
  if (resampler_) {
    src_reset(resampler_.get());
  }
  if (!file_.rewind()) {
    stop(" cannot go back to its start");
  }
}

FileStream::FileStream(const std::string& path) : decoder_(path), window_(2 * kWindowFrames, 0.0f) {}

void FileStream::decodePiece() {
  // Into the window, up to its end at most: the next piece starts over at
  // the window's start.
  const auto at = static_cast<std::size_t>(decoded_) % kWindowFrames;
  const std::size_t frames = std::min(kDecodeFrames, kWindowFrames - at);
  decoded_ += static_cast<int64_t>(decoder_.read(window_.data() + 2 * at, frames));
}

void FileStream::advanceTo(int64_t played) {
  played_ = std::max(played, played_);
  while (decoded_ < played_ && !decoder_.finished()) decodePiece();
}

bool FileStream::ended() {
  // Is there a frame at the position? The piece decoded ahead to find out
  // stays within the window's reach of what readNewest() reads.
  while (decoded_ <= played_ && !decoder_.finished()) decodePiece();
  return decoder_.finished() && decoded_ <= played_;
}

void FileStream::restart() {
  if (decoded_ > 0 || decoder_.finished()) {
    decoder_.rewind();
  }
  decoded_ = 0;
  played_ = 0;
}

void FileStream::readNewest(float* out, std::size_t frames) const {
  const int64_t first = played_ - static_cast<int64_t>(frames);
  // Of [first, played_), the window holds [begin, end); the rest is silence.
  const int64_t begin = std::max({first, decoded_ - static_cast<int64_t>(kWindowFrames), int64_t{0}});
  const int64_t end = std::min(played_, decoded_);
  if (end <= begin) {
    std::fill(out, out + 2 * frames, 0.0f);
    return;
  }
  const auto leading = static_cast<std::size_t>(begin - first);
  const auto copied = static_cast<std::size_t>(end - begin);
  std::fill(out, out + 2 * leading, 0.0f);
  out += 2 * leading;
  const auto at = static_cast<std::size_t>(begin) % kWindowFrames;
  const std::size_t before = std::min(copied, kWindowFrames - at);
  std::memcpy(out, window_.data() + 2 * at, 2 * before * sizeof(float));
  std::memcpy(out + 2 * before, window_.data(), 2 * (copied - before) * sizeof(float));
  out += 2 * copied;
  std::fill(out, out + 2 * (frames - leading - copied), 0.0f);
}

}  // namespace tactolo
