#include "audio/capture_analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tactolo {

void sanitizeSamples(float* samples, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const float value = samples[i];
    // False for NaN and both infinities.
    const bool finite = std::fabs(value) <= std::numeric_limits<float>::max();
    samples[i] = finite ? std::clamp(value, -1.0f, 1.0f) : 0.0f;
  }
}

CaptureAnalysis::CaptureAnalysis() : frames_(2 * kFftSize, 0.0f) {}

int32_t CaptureAnalysis::data(const FrameReader& reader, float* buffer, uint32_t request, int32_t& error) {
  if (request != kDataFft2048) {
    error = kErrorNotAvailable;
    return -1;
  }
  reader.readNewest(frames_.data(), kFftSize);
  sanitizeSamples(frames_.data(), 2 * static_cast<std::size_t>(kFftSize));
  spectrum_.analyze(frames_.data(), buffer);
  error = kErrorOk;
  return kFftRequestBytes;
}

uint32_t CaptureAnalysis::level(const FrameReader& reader) {
  reader.readNewest(frames_.data(), kLevelFrames);
  sanitizeSamples(frames_.data(), 2 * kLevelFrames);
  return levelWord(frames_.data(), kLevelFrames);
}

}  // namespace tactolo
