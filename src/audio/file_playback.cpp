#include "audio/file_playback.h"

#include <algorithm>
#include <exception>

#include "audio/playback_reader.h"

namespace tactolo {

namespace {

/// What a switched-off input hears.
class Silence final : public FrameReader {
 public:
  void readNewest(float* out, std::size_t frames) const override { std::fill(out, out + 2 * frames, 0.0f); }
};

/// True when `source` names an audio file, which is streamed rather than
/// decoded whole.
bool streamed(const std::string& source) { return !source.empty() && !isGeneratedSource(source); }

}  // namespace

PlaybackDevice PlaybackDevice::fromAudio(std::string name, DecodedAudio audio) {
  PlaybackDevice device;
  device.name = std::move(name);
  device.audio = std::make_shared<const DecodedAudio>(std::move(audio));
  return device;
}

PlaybackDevice PlaybackDevice::fromSource(std::string name, std::string source, double generatedSeconds) {
  PlaybackDevice device;
  device.name = std::move(name);
  device.source = std::move(source);
  device.generatedSeconds = generatedSeconds;
  return device;
}

FilePlaybackLibrary::FilePlaybackLibrary(const Clock& clock, std::vector<PlaybackDevice> devices)
    : clock_(clock), devices_(std::move(devices)) {}

bool FilePlaybackLibrary::fail(int32_t code) {
  error_ = code;
  return false;
}

std::optional<int64_t> FilePlaybackLibrary::decodedMs() const {
  if (stream_) {
    return (stream_->decodedFrames() * 1000 + kCaptureRate - 1) / kCaptureRate;
  }
  if (!audio_) {
    return std::nullopt;
  }
  return audio_->durationMs();
}

const std::string& FilePlaybackLibrary::loadError() const {
  return stream_ && !stream_->error().empty() ? stream_->error() : loadError_;
}

int64_t FilePlaybackLibrary::playedFrames() const {
  const TimeMs elapsed = std::max<TimeMs>(clock_.nowMs() - startMs_, 0);
  return elapsed * kCaptureRate / 1000;
}

std::optional<int64_t> FilePlaybackLibrary::playedMs() const {
  if (running_ == 0) {
    return std::nullopt;
  }
  return std::max<TimeMs>(clock_.nowMs() - startMs_, 0);
}

bool FilePlaybackLibrary::playing() {
  if (running_ == 0) {
    return false;
  }
  const int64_t played = playedFrames();
  if (stream_) {
    stream_->advanceTo(played);
    return !stream_->ended();
  }
  return played < static_cast<int64_t>(audio_->frameCount());
}

uint32_t FilePlaybackLibrary::GetVersion() {
  error_ = kErrorOk;
  return kCaptureLibraryVersion;
}

bool FilePlaybackLibrary::RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) {
  if (device < 0 || static_cast<std::size_t>(device) >= devices_.size()) {
    return fail(kErrorDevice);
  }
  info.name = devices_[static_cast<std::size_t>(device)].name;
  info.driver = "file";
  info.flags = kDeviceEnabled;
  error_ = kErrorOk;
  return true;
}

bool FilePlaybackLibrary::RecordFree() {
  if (!initialised_) {
    return fail(kErrorInit);
  }
  if (stream_ && !stream_->error().empty()) {
    loadError_ = stream_->error();
  }
  initialised_.reset();
  audio_.reset();
  stream_.reset();
  running_ = 0;
  error_ = kErrorOk;
  return true;
}

bool FilePlaybackLibrary::RecordInit(int32_t device) {
  if (initialised_) {
    return fail(kErrorAlready);
  }
  if (device == -1 && !devices_.empty()) {
    device = 0;
  }
  if (device < 0 || static_cast<std::size_t>(device) >= devices_.size()) {
    return fail(kErrorDevice);
  }
  PlaybackDevice& chosen = devices_[static_cast<std::size_t>(device)];
  try {
    if (!chosen.audio && !chosen.stream && streamed(chosen.source)) {
      chosen.stream = std::make_shared<FileStream>(chosen.source);
    } else if (!chosen.audio && !chosen.stream) {
      chosen.audio =
          std::make_shared<const DecodedAudio>(parseSource(chosen.source, chosen.generatedSeconds));
    }
  } catch (const std::exception& error) {
    loadError_ = error.what();
    return fail(kErrorNotAvailable);
  }
  loadError_.clear();
  audio_ = chosen.audio;
  stream_ = chosen.stream;
  initialised_ = device;
  inputOn_ = true;
  error_ = kErrorOk;
  return true;
}

bool FilePlaybackLibrary::checkInput(int32_t input) {
  if (!initialised_) {
    return fail(kErrorInit);
  }
  if (input != 0) {
    return fail(kErrorNotAvailable);
  }
  error_ = kErrorOk;
  return true;
}

std::optional<std::string> FilePlaybackLibrary::RecordGetInputName(int32_t input) {
  if (!checkInput(input)) {
    return std::nullopt;
  }
  return "File";
}

uint32_t FilePlaybackLibrary::RecordGetInput(int32_t input) {
  if (!checkInput(input)) {
    return 0xFFFFFFFFu;
  }
  return inputOn_ ? 0u : kInputOff;
}

bool FilePlaybackLibrary::RecordSetInput(int32_t input, uint32_t flags, float /*volume*/) {
  if (!checkInput(input)) {
    return false;
  }
  if ((flags & kInputOff) != 0) {
    inputOn_ = false;
  } else if ((flags & kInputOn) != 0) {
    inputOn_ = true;
  }
  return true;
}

ChannelHandle FilePlaybackLibrary::RecordStart(uint32_t rate, uint32_t channels, uint32_t /*flags*/,
                                               RecordProc /*proc*/, void* /*user*/) {
  if (!initialised_) {
    fail(kErrorInit);
    return 0;
  }
  if (running_ != 0) {
    fail(kErrorAlready);
    return 0;
  }
  if (rate != static_cast<uint32_t>(kCaptureRate) || channels != 2) {
    fail(kErrorNotAvailable);
    return 0;
  }
  running_ = ++lastHandle_;
  startMs_ = clock_.nowMs();
  if (stream_) {
    stream_->restart();
  }
  error_ = kErrorOk;
  return running_;
}

bool FilePlaybackLibrary::ChannelStop(ChannelHandle handle) {
  if (!checkChannel(handle)) {
    return false;
  }
  running_ = 0;
  return true;
}

int32_t FilePlaybackLibrary::ErrorGetCode() { return error_; }

bool FilePlaybackLibrary::checkChannel(ChannelHandle handle) {
  if (handle == 0 || handle != running_) {
    return fail(kErrorHandle);
  }
  error_ = kErrorOk;
  return true;
}

int32_t FilePlaybackLibrary::ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) {
  if (!checkChannel(handle)) {
    return -1;
  }
  if (stream_) {
    stream_->advanceTo(playedFrames());
    return inputOn_ ? analysis_.data(*stream_, buffer, request, error_)
                    : analysis_.data(Silence(), buffer, request, error_);
  }
  return analysis_.data(PlaybackReader(*audio_, playedFrames(), !inputOn_), buffer, request, error_);
}

uint32_t FilePlaybackLibrary::ChannelGetLevel(ChannelHandle handle) {
  if (!checkChannel(handle)) {
    return 0xFFFFFFFFu;
  }
  if (stream_) {
    stream_->advanceTo(playedFrames());
    return inputOn_ ? analysis_.level(*stream_) : analysis_.level(Silence());
  }
  return analysis_.level(PlaybackReader(*audio_, playedFrames(), !inputOn_));
}

}  // namespace tactolo
