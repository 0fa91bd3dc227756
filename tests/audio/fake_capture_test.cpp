// The test back-end's feed: the device rules it shares with the scripted
// capture are checked by the transcripts (dump calls).
#include "audio/fake_capture.h"

#include <gtest/gtest.h>

namespace tactolo::testing {
namespace {

TEST(FakeCapture, FeedsQueuedThenSteadySpectraAndLevelsUntilLost) {
  FakeCaptureLibrary capture({{"Card", true, {{"Line", true}}}});
  const auto bins = [](float value) { return std::vector<float>(kSpectrumBins, value); };
  std::vector<float> out(kSpectrumBins);
  capture.queueSpectrum(bins(0.25f));
  capture.queueSpectrum(bins(0.5f));
  capture.setSteadySpectrum(bins(0.125f));
  capture.queueLevel(0x12345678u);
  capture.setSteadyLevel(0x00010002u);
  EXPECT_THROW(capture.queueSpectrum(std::vector<float>(10)), std::invalid_argument);
  capture.RecordInit(0);
  const ChannelHandle handle = capture.RecordStart(44100, 2, kSampleFloat, nullptr, nullptr);

  EXPECT_EQ(capture.ChannelGetData(handle + 1, out.data(), kDataFft2048), -1);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorHandle);
  EXPECT_EQ(capture.ChannelGetData(handle, out.data(), 0x80000002u), -1);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorNotAvailable);
  EXPECT_EQ(capture.queuedSpectra(), 2u);
  for (float expected : {0.25f, 0.5f, 0.125f, 0.125f}) {
    EXPECT_EQ(capture.ChannelGetData(handle, out.data(), kDataFft2048), 16384);
    EXPECT_EQ(out, bins(expected));
  }
  EXPECT_EQ(capture.ChannelGetLevel(handle), 0x12345678u);
  EXPECT_EQ(capture.ChannelGetLevel(handle), 0x00010002u);

  capture.queueSpectrum(bins(1.0f));
  capture.lose();
  EXPECT_EQ(capture.ChannelGetData(handle, out.data(), kDataFft2048), -1);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorUnknown);
  EXPECT_EQ(capture.queuedSpectra(), 1u);
}

}  // namespace
}  // namespace tactolo::testing
