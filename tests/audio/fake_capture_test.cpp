#include "audio/fake_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tactolo::testing {
namespace {

using ::testing::ElementsAre;

class FakeCaptureTest : public ::testing::Test {
 protected:
  FakeCaptureTest()
      : capture({{"Card", true, {{"Mic", false}, {"Line", true}}},
                 {"Unplugged", false, {}},
                 {"Loopback", true, {{"Mix", true}}}}) {}

  std::vector<float> bins(float value) { return std::vector<float>(kSpectrumBins, value); }

  FakeCaptureLibrary capture;
  std::vector<float> out = std::vector<float>(kSpectrumBins, -1.0f);
};

TEST_F(FakeCaptureTest, RecordsEveryCallInOrder) {
  RecordDeviceInfo info;
  capture.GetVersion();
  capture.RecordGetDeviceInfo(1, info);
  capture.RecordInit(2);
  capture.RecordSetInput(0, kInputOff, -1.0f);
  const ChannelHandle handle = capture.RecordStart(44100, 2, kSampleFloat, nullptr, nullptr);
  capture.ChannelGetData(handle, out.data(), kDataFft2048);
  capture.ChannelGetLevel(handle);
  capture.ChannelStop(handle);
  capture.ErrorGetCode();
  capture.RecordFree();
  EXPECT_THAT(capture.calls(), ElementsAre("GetVersion()", "RecordGetDeviceInfo(1)", "RecordInit(2)",
                                           "RecordSetInput(0,0x10000,-1)", "RecordStart(44100,2,0x100)",
                                           "ChannelGetData(1,0x80000003)", "ChannelGetLevel(1)",
                                           "ChannelStop(1)", "ErrorGetCode()", "RecordFree()"));
  EXPECT_EQ(info.name, "Unplugged");
  EXPECT_EQ(info.flags & kDeviceEnabled, 0u);
  capture.clearCalls();
  EXPECT_TRUE(capture.calls().empty());
}

TEST_F(FakeCaptureTest, DevicesInitOneAtATime) {
  RecordDeviceInfo info;
  EXPECT_FALSE(capture.RecordGetDeviceInfo(3, info));
  EXPECT_EQ(capture.ErrorGetCode(), kErrorDevice);
  EXPECT_FALSE(capture.RecordInit(1));  // disabled
  EXPECT_EQ(capture.ErrorGetCode(), kErrorDevice);
  EXPECT_FALSE(capture.RecordFree());
  EXPECT_EQ(capture.ErrorGetCode(), kErrorInit);
  EXPECT_TRUE(capture.RecordInit(-1));
  EXPECT_EQ(capture.initialisedDevice(), 0);
  EXPECT_FALSE(capture.RecordInit(2));
  EXPECT_EQ(capture.ErrorGetCode(), kErrorAlready);
  EXPECT_TRUE(capture.RecordFree());
  EXPECT_FALSE(capture.initialisedDevice());
  capture.setVersion(0x02030000);
  EXPECT_EQ(capture.GetVersion(), 0x02030000u);
}

TEST_F(FakeCaptureTest, InputsFollowTheInitialisedDevice) {
  EXPECT_EQ(capture.RecordGetInput(0), 0xFFFFFFFFu);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorInit);
  capture.RecordInit(0);
  EXPECT_EQ(capture.RecordGetInputName(1), "Line");
  EXPECT_EQ(capture.RecordGetInputName(2), std::nullopt);
  EXPECT_EQ(capture.RecordGetInput(0), kInputOff);
  EXPECT_EQ(capture.RecordGetInput(1), 0u);
  EXPECT_TRUE(capture.RecordSetInput(0, kInputOn, 0.5f));
  EXPECT_TRUE(capture.RecordSetInput(1, kInputOff, -1.0f));
  EXPECT_FALSE(capture.RecordSetInput(2, kInputOn, -1.0f));
  EXPECT_EQ(capture.RecordGetInput(0), 0u);
  EXPECT_EQ(capture.RecordGetInput(1), kInputOff);
  EXPECT_TRUE(capture.devices()[0].inputs[0].on);
  EXPECT_FLOAT_EQ(capture.devices()[0].inputs[0].volume, 0.5f);
  EXPECT_FLOAT_EQ(capture.devices()[0].inputs[1].volume, 1.0f);
  capture.RecordFree();
  capture.RecordInit(2);
  EXPECT_EQ(capture.RecordGetInputName(0), "Mix");
}

TEST_F(FakeCaptureTest, StartNeedsADeviceAndCanBeRefusedOnce) {
  EXPECT_EQ(capture.RecordStart(44100, 2, kSampleFloat, nullptr, nullptr), 0u);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorInit);
  capture.RecordInit(0);
  capture.refuseNextRecordStart(kErrorNotAvailable);
  EXPECT_EQ(capture.RecordStart(44100, 2, kSampleFloat, nullptr, nullptr), 0u);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorNotAvailable);
  EXPECT_EQ(capture.runningChannel(), 0u);

  EXPECT_EQ(capture.RecordStart(44100, 2, kSampleFloat, nullptr, nullptr), 1u);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorOk);
  EXPECT_EQ(capture.RecordStart(44100, 2, kSampleFloat, nullptr, nullptr), 0u);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorAlready);
  EXPECT_FALSE(capture.ChannelStop(2));
  EXPECT_EQ(capture.ErrorGetCode(), kErrorHandle);
  EXPECT_TRUE(capture.ChannelStop(1));
  EXPECT_EQ(capture.RecordStart(44100, 2, kSampleFloat, nullptr, nullptr), 2u);
  // Freeing the device ends the capture too.
  capture.RecordFree();
  EXPECT_EQ(capture.runningChannel(), 0u);
  EXPECT_EQ(capture.ChannelGetLevel(2), 0xFFFFFFFFu);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorHandle);
}

TEST_F(FakeCaptureTest, FeedsQueuedThenSteadyFramesUntilLost) {
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
  EXPECT_EQ(capture.queuedSpectra(), 2u);
  for (float expected : {0.25f, 0.5f, 0.125f, 0.125f}) {
    std::fill(out.begin(), out.end(), -1.0f);
    EXPECT_EQ(capture.ChannelGetData(handle, out.data(), kDataFft2048), 16384);
    EXPECT_EQ(out, bins(expected));
  }
  EXPECT_EQ(capture.ChannelGetLevel(handle), 0x12345678u);
  EXPECT_EQ(capture.ChannelGetLevel(handle), 0x00010002u);

  capture.queueSpectrum(bins(1.0f));
  capture.lose();
  EXPECT_EQ(capture.ChannelGetData(handle, out.data(), kDataFft2048), -1);
  EXPECT_EQ(capture.ChannelGetData(handle, out.data(), kDataFft2048), -1);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorUnknown);
  EXPECT_EQ(capture.queuedSpectra(), 1u);
  EXPECT_TRUE(capture.lost());
}

}  // namespace
}  // namespace tactolo::testing
