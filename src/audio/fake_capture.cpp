#include "audio/fake_capture.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "audio/capture_analysis.h"

namespace tactolo {

namespace {

void checkBins(const std::vector<float>& bins) {
  if (bins.size() != static_cast<std::size_t>(kSpectrumBins)) {
    throw std::invalid_argument("a fake spectrum needs 1024 bins, not " + std::to_string(bins.size()));
  }
}

}  // namespace

FakeCaptureLibrary::FakeCaptureLibrary(std::vector<FakeDevice> devices)
    : DeviceTableCapture(CallLog::kCalls, std::move(devices)) {}

void FakeCaptureLibrary::setDeviceEnabled(int32_t device, bool enabled) {
  deviceTable().at(static_cast<std::size_t>(device)).enabled = enabled;
}

void FakeCaptureLibrary::queueSpectrum(std::vector<float> bins) {
  checkBins(bins);
  spectra_.push_back(std::move(bins));
}

void FakeCaptureLibrary::setSteadySpectrum(std::vector<float> bins) {
  checkBins(bins);
  steadySpectrum_ = std::move(bins);
}

int32_t FakeCaptureLibrary::channelData(float* buffer, uint32_t request, int32_t& error) {
  if (request != kDataFft2048) {
    error = kErrorNotAvailable;
    return -1;
  }
  if (spectra_.empty()) {
    std::copy(steadySpectrum_.begin(), steadySpectrum_.end(), buffer);
  } else {
    std::copy(spectra_.front().begin(), spectra_.front().end(), buffer);
    spectra_.pop_front();
  }
  error = kErrorOk;
  return kFftRequestBytes;
}

uint32_t FakeCaptureLibrary::channelLevel() {
  if (levels_.empty()) {
    return steadyLevel_;
  }
  const uint32_t level = levels_.front();
  levels_.pop_front();
  return level;
}

}  // namespace tactolo
