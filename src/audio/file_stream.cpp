#include "audio/file_stream.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "audio/capture_library.h"

namespace tactolo {

namespace {

/// File frames read at a time.
constexpr std::size_t kChunkFrames = 4096;
/// More frames than any file holds (years of audio): a header announcing
/// more does not know the length.
constexpr int64_t kLongestFrames = int64_t{1} << 40;

std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  while (!text.empty() && text.back() == ' ') {
    text.pop_back();
  }
  return text;
}

}  // namespace

void AudioFileDecoder::SndfileCloser::operator()(sf_private_tag* file) const { sf_close(file); }

void AudioFileDecoder::ResamplerDeleter::operator()(SRC_STATE_tag* state) const { src_delete(state); }

AudioFileDecoder::AudioFileDecoder(const std::string& path) : path_(path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    throw std::runtime_error("audio file not found: '" + path + "'");
  }
  if (std::filesystem::is_directory(path, error)) {
    throw std::runtime_error("not an audio file but a folder: '" + path + "'");
  }
  SF_INFO info{};
  file_.reset(sf_open(path.c_str(), SFM_READ, &info));
  if (!file_) {
    throw std::runtime_error("cannot read audio file '" + path + "': " + oneLine(sf_strerror(nullptr)));
  }
  if (info.channels < 1 || info.samplerate < 1) {
    throw std::runtime_error("audio file '" + path + "' has no channels or no sample rate");
  }
  channels_ = info.channels;
  int64_t frames = info.frames;
  if (frames < 0 || frames > kLongestFrames) {
    // The header does not know (a damaged Ogg file, for one): count the
    // frames there are, then open the file afresh.
    frames = countFrames();
    file_.reset(sf_open(path.c_str(), SFM_READ, &info));
    if (!file_) {
      throw std::runtime_error("cannot read audio file '" + path + "': " + oneLine(sf_strerror(nullptr)));
    }
  }
  const int64_t rate = info.samplerate;
  expectedFrames_ = (frames * kCaptureRate + rate / 2) / rate;
  durationMs_ = (frames * 1000 + rate - 1) / rate;
  if (channels_ != 2) {
    chunk_.resize(kChunkFrames * static_cast<std::size_t>(channels_));
  }
  if (info.samplerate != kCaptureRate) {
    ratio_ = static_cast<double>(kCaptureRate) / info.samplerate;
    int code = 0;
    if (src_is_valid_ratio(ratio_) != 0) {
      resampler_.reset(src_new(SRC_SINC_MEDIUM_QUALITY, 2, &code));
    }
    if (!resampler_) {
      throw std::runtime_error("cannot resample audio file '" + path + "' from " +
                               std::to_string(info.samplerate) + " Hz to 44100 Hz" +
                               (code != 0 ? std::string(": ") + src_strerror(code) : ""));
    }
    input_.resize(2 * kChunkFrames);
  }
  // Room for a read error's message, so that reporting one allocates nothing.
  error_.reserve(path.size() + 200);
}

AudioFileDecoder::~AudioFileDecoder() = default;

int64_t AudioFileDecoder::countFrames() {
  std::vector<float> chunk(kChunkFrames * static_cast<std::size_t>(channels_));
  int64_t frames = 0;
  for (sf_count_t read = 1; read > 0 && frames <= kLongestFrames;) {
    read = sf_readf_float(file_.get(), chunk.data(), static_cast<sf_count_t>(kChunkFrames));
    frames += std::max<sf_count_t>(read, 0);
  }
  return std::min(frames, kLongestFrames);
}

void AudioFileDecoder::failRead(const char* why) {
  error_.assign("error while reading audio file '");
  error_.append(path_).append("': ").append(why);
  std::replace(error_.begin(), error_.end(), '\n', ' ');
  std::replace(error_.begin(), error_.end(), '\r', ' ');
  fileEnded_ = true;
  finished_ = true;
}

std::size_t AudioFileDecoder::readFile(float* out, std::size_t frames) {
  if (fileEnded_) {
    return 0;
  }
  sf_count_t read = 0;
  if (channels_ == 2) {
    read = sf_readf_float(file_.get(), out, static_cast<sf_count_t>(frames));
  } else {
    frames = std::min(frames, kChunkFrames);
    read = sf_readf_float(file_.get(), chunk_.data(), static_cast<sf_count_t>(frames));
    const auto channels = static_cast<std::size_t>(channels_);
    const std::size_t right = channels > 1 ? 1 : 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(std::max<sf_count_t>(read, 0)); ++i) {
      out[2 * i] = chunk_[i * channels];
      out[2 * i + 1] = chunk_[i * channels + right];
    }
  }
  if (read < static_cast<sf_count_t>(frames)) {
    fileEnded_ = true;
    if (sf_error(file_.get()) != SF_ERR_NO_ERROR) {
      failRead(sf_strerror(file_.get()));
      return 0;
    }
  }
  return static_cast<std::size_t>(std::max<sf_count_t>(read, 0));
}

std::size_t AudioFileDecoder::read(float* out, std::size_t frames) {
  std::size_t done = 0;
  while (done < frames && !finished_) {
    if (!resampler_) {
      const std::size_t read = readFile(out + 2 * done, frames - done);
      finished_ = finished_ || read == 0;
      done += read;
      continue;
    }
    if (inputFrames_ == 0 && !fileEnded_) {
      inputStart_ = 0;
      inputFrames_ = readFile(input_.data(), kChunkFrames);
      if (finished_) {
        break;  // a read error
      }
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
      failRead(src_strerror(code));
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
  inputStart_ = 0;
  inputFrames_ = 0;
  fileEnded_ = false;
  finished_ = false;
  if (resampler_) {
    src_reset(resampler_.get());
  }
  if (sf_seek(file_.get(), 0, SEEK_SET) != 0) {
    failRead("cannot go back to its start");
  }
}

FileStream::FileStream(const std::string& path) : decoder_(path), window_(2 * kWindowFrames, 0.0f) {}

void FileStream::advanceTo(int64_t played) {
  played_ = std::max(played, played_);
  while (decoded_ < played_ && !decoder_.finished()) {
    // Into the window, up to its end at most: the next piece starts over at
    // the window's start.
    const auto at = static_cast<std::size_t>(decoded_) % kWindowFrames;
    const std::size_t frames = std::min(kDecodeFrames, kWindowFrames - at);
    decoded_ += static_cast<int64_t>(decoder_.read(window_.data() + 2 * at, frames));
  }
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
