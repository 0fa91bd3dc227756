// A scripted capture back-end for tests: devices and inputs are set up by
// the test, spectra and levels are fed by it, and every call is recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "audio/capture_library.h"
#include "audio/device_table_capture.h"

namespace tactolo {

/// CaptureLibrary whose behaviour a test scripts.
///
/// Devices, inputs, starting, stopping and error codes work as described at
/// DeviceTableCapture; RecordStart accepts any format.
/// - ChannelGetData (kDataFft2048 only, otherwise kErrorNotAvailable) hands
///   out the queued spectra, then the steady one; ChannelGetLevel likewise
///   with level words.
/// - Every call is appended to calls() as e.g. "RecordInit(2)",
///   "RecordSetInput(0,0x10000,-1)", "RecordStart(44100,2,0x100)",
///   "ChannelGetData(1,0x80000003)".
class FakeCaptureLibrary final : public DeviceTableCapture {
 public:
  FakeCaptureLibrary() : FakeCaptureLibrary(std::vector<FakeDevice>{}) {}
  explicit FakeCaptureLibrary(std::vector<FakeDevice> devices);

  // --- Scripting -----------------------------------------------------------

  /// Adds a device and returns its number.
  int32_t addDevice(FakeDevice device) { return appendDevice(std::move(device)); }
  void setDeviceEnabled(int32_t device, bool enabled);
  /// Queues one spectrum for ChannelGetData; must hold kSpectrumBins values.
  void queueSpectrum(std::vector<float> bins);
  /// The spectrum returned once the queue is empty (zeros by default); must
  /// hold kSpectrumBins values.
  void setSteadySpectrum(std::vector<float> bins);
  /// Queues one level word for ChannelGetLevel.
  void queueLevel(uint32_t level) { levels_.push_back(level); }
  /// The level word returned once the queue is empty (0 by default).
  void setSteadyLevel(uint32_t level) { steadyLevel_ = level; }

  // --- State, for assertions ----------------------------------------------

  std::size_t queuedSpectra() const { return spectra_.size(); }
  std::size_t queuedLevels() const { return levels_.size(); }

 private:
  int32_t channelData(float* buffer, uint32_t request, int32_t& error) override;
  uint32_t channelLevel() override;

  std::deque<std::vector<float>> spectra_;
  std::vector<float> steadySpectrum_ = std::vector<float>(kSpectrumBins, 0.0f);
  std::deque<uint32_t> levels_;
  uint32_t steadyLevel_ = 0;
};

}  // namespace tactolo
