#include "audio/scripted_capture.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "audio/playback_reader.h"

namespace tactolo {

namespace {

/// Generated audio is decoded at least this far ahead.
constexpr double kFirstPieceSeconds = 10.0;

}  // namespace

ScriptedCaptureLibrary::ScriptedCaptureLibrary(const Clock& clock)
    : DeviceTableCapture(CallLog::kCallsAndResults), clock_(clock) {}

int32_t ScriptedCaptureLibrary::addDevice(std::string name, bool enabled) {
  return appendDevice(ScriptedDevice{std::move(name), enabled, {}, "script"});
}

void ScriptedCaptureLibrary::addInput(std::string name, bool on) {
  if (devices().empty()) throw std::logic_error("an input needs a device to belong to");
  deviceTable().back().inputs.push_back(ScriptedInput{std::move(name), on});
}

void ScriptedCaptureLibrary::setSource(const std::string& description) {
  // Decoding no time of a generated source checks its description; a file is
  // opened. Either may throw, before anything has changed.
  std::unique_ptr<FileStream> stream;
  std::shared_ptr<const DecodedAudio> audio;
  if (isGeneratedSource(description) || description.empty()) {
    audio = std::make_shared<const DecodedAudio>(parseSource(description, 0.0));
  } else {
    stream = std::make_unique<FileStream>(description);
  }
  source_ = description;
  stream_ = std::move(stream);
  reportedBreak_.clear();
  decodedSeconds_ = 0.0;
  audio_ = std::move(audio);
  playStartMs_ = clock_.nowMs();
}

std::optional<std::string> ScriptedCaptureLibrary::takeSourceBreak() {
  if (!stream_ || stream_->error() == reportedBreak_) return std::nullopt;
  reportedBreak_ = stream_->error();
  return reportedBreak_;
}

const DecodedAudio& ScriptedCaptureLibrary::audioCovering(int64_t frames) {
  if (!audio_) audio_ = std::make_shared<const DecodedAudio>(parseSource(source_, 0.0));
  if (frames > static_cast<int64_t>(audio_->frameCount()) && decodedSeconds_ < kMaxGeneratedSeconds) {
    // The generators are deterministic: a longer piece starts with the
    // shorter one, so playback goes on seamlessly.
    const double needed = static_cast<double>(frames) / kCaptureRate + 1.0;
    const double seconds =
        std::min(std::max({decodedSeconds_ * 2.0, needed, kFirstPieceSeconds}), kMaxGeneratedSeconds);
    audio_ = std::make_shared<const DecodedAudio>(parseSource(source_, seconds));
    decodedSeconds_ = seconds;
  }
  return *audio_;
}

int64_t ScriptedCaptureLibrary::playedFrames() const {
  const TimeMs elapsed = std::max<TimeMs>(clock_.nowMs() - playStartMs_, 0);
  return elapsed * kCaptureRate / 1000;
}

int32_t ScriptedCaptureLibrary::startCapture(uint32_t rate, uint32_t channels) {
  if (rate != static_cast<uint32_t>(kCaptureRate) || channels != 2) return kErrorNotAvailable;
  playStartMs_ = clock_.nowMs();
  if (stream_) {
    stream_->restart();
    reportedBreak_.clear();
  }
  return kErrorOk;
}

int32_t ScriptedCaptureLibrary::channelData(float* buffer, uint32_t request, int32_t& error) {
  const int64_t played = playedFrames();
  if (stream_) {
    stream_->advanceTo(played);
    return analysis_.data(*stream_, buffer, request, error);
  }
  return analysis_.data(PlaybackReader(audioCovering(played), played), buffer, request, error);
}

uint32_t ScriptedCaptureLibrary::channelLevel() {
  const int64_t played = playedFrames();
  if (stream_) {
    stream_->advanceTo(played);
    return analysis_.level(*stream_);
  }
  return analysis_.level(PlaybackReader(audioCovering(played), played));
}

}  // namespace tactolo
