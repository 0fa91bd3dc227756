#include "audio/capture_analysis.h"

namespace tactolo {

CaptureAnalysis::CaptureAnalysis() : frames_(2 * kFftSize, 0.0f) {}

int32_t CaptureAnalysis::data(const FrameReader& reader, float* buffer, uint32_t request, int32_t& error) {
  if (request != kDataFft2048) {
    error = kErrorNotAvailable;
    return -1;
  }
  reader.readNewest(frames_.data(), kFftSize);
  spectrum_.analyze(frames_.data(), buffer);
  error = kErrorOk;
  return kFftRequestBytes;
}

uint32_t CaptureAnalysis::level(const FrameReader& reader) {
  reader.readNewest(frames_.data(), kLevelFrames);
  return levelWord(frames_.data(), kLevelFrames);
}

}  // namespace tactolo
