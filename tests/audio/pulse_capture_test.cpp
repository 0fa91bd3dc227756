// The live back-end against a real sound server of its own (started by
// scripts/pulse-server.sh for each test).
#include "audio/pulse_capture.h"

#include <gtest/gtest.h>
#include <pulse/def.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <tuple>

#include "audio/pulse_server.h"
#include "signals.h"

namespace tactolo::testing {
namespace {

uint32_t left(uint32_t level) { return level & 0xFFFFu; }
uint32_t right(uint32_t level) { return level >> 16; }

/// One bin-centred tone on each channel, 2048 frames that loop seamlessly.
std::vector<float> toneLoop(int bin, double leftAmplitude, double rightAmplitude) {
  return stereo(kFftSize, sine(binHz(bin), leftAmplitude), sine(binHz(bin), rightAmplitude));
}

TEST(PulseErrors, MapToTheDocumentedCodes) {
  // A lost connection is "no server" whatever libpulse reported.
  for (const auto& [error, connected, code] : {std::tuple{PA_ERR_NOENTITY, false, kErrorNoServer},
                                               {PA_ERR_CONNECTIONREFUSED, true, kErrorNoServer},
                                               {PA_ERR_TIMEOUT, true, kErrorNoServer},
                                               {PA_ERR_NOENTITY, true, kErrorDevice},
                                               {PA_ERR_KILLED, true, kErrorDevice},
                                               {PA_ERR_NOTSUPPORTED, true, kErrorFormat},
                                               {PA_ERR_INVALID, true, kErrorFormat},
                                               {PA_ERR_BUSY, true, kErrorBusy},
                                               {PA_ERR_ACCESS, true, kErrorBusy}}) {
    EXPECT_EQ(captureErrorOfPulse(error, connected), code) << error << " " << connected;
  }
}

TEST(PulseCaptureWithoutServer, ListsNoDeviceAndRefusesToStart) {
  PulseCaptureLibrary capture("unix:/nonexistent/native");
  EXPECT_EQ(capture.GetVersion() >> 16, 0x0204u);
  RecordDeviceInfo info;
  EXPECT_FALSE(capture.RecordGetDeviceInfo(0, info));
  EXPECT_EQ(capture.ErrorGetCode(), kErrorNoServer);
  EXPECT_FALSE(capture.RecordInit(0));
  EXPECT_EQ(capture.ErrorGetCode(), kErrorNoServer);
  // The start says why there is no device.
  EXPECT_EQ(capture.RecordStart(44100, 2, kSampleFloat, nullptr, nullptr), 0u);
  EXPECT_EQ(capture.ErrorGetCode(), kErrorNoServer);
  EXPECT_FALSE(capture.RecordFree());
  EXPECT_EQ(capture.ErrorGetCode(), kErrorInit);
  // A gain outside 0..30 dB is refused and leaves the one set.
  capture.setInputGainDb(12.5);
  EXPECT_THROW(capture.setInputGainDb(30.5), std::out_of_range);
  EXPECT_EQ(capture.inputGainDb(), 12.5);
}

class PulseCaptureTest : public PulseServerTest {
 protected:
  void SetUp() override {
    PulseServerTest::SetUp();
    if (server == nullptr) return;
    capture = std::make_unique<PulseCaptureLibrary>(server->address());
  }

  /// The device list as RecordGetDeviceInfo gives it.
  std::vector<RecordDeviceInfo> devices() {
    std::vector<RecordDeviceInfo> list;
    RecordDeviceInfo info;
    for (int32_t n = 0; capture->RecordGetDeviceInfo(n, info); ++n) list.push_back(info);
    return list;
  }

  /// The number of the device whose source is called `source`; -1 if none.
  int32_t deviceOf(const std::string& source) {
    const auto list = devices();
    const auto found =
        std::find_if(list.begin(), list.end(), [&](const auto& d) { return d.driver == source; });
    return found == list.end() ? -1 : static_cast<int32_t>(found - list.begin());
  }

  /// Reads the spectrum into `bins` and returns bin `bin`; -1 on failure.
  float binOf(ChannelHandle handle, int bin) {
    if (capture->ChannelGetData(handle, bins.data(), kDataFft2048) != kFftRequestBytes) return -1.0f;
    return bins[static_cast<std::size_t>(bin)];
  }

  ChannelHandle startOn(const std::string& source) {
    const int32_t device = deviceOf(source);
    EXPECT_GE(device, 0) << source;
    EXPECT_TRUE(capture->RecordInit(device)) << capture->ErrorGetCode();
    return capture->RecordStart(44100, 2, kSampleFloat, nullptr, nullptr);
  }

  std::unique_ptr<PulseCaptureLibrary> capture;
  std::vector<float> bins = std::vector<float>(kSpectrumBins, -1.0f);
};

TEST_F(PulseCaptureTest, ListsTheServersSourcesInItsOrderByDescription) {
  // What the server itself says, in its order.
  const std::vector<ListedSource> sources = listedSources(*server);
  ASSERT_EQ(sources.size(), 2u);
  EXPECT_EQ(sources[0].name, "vsink.monitor");
  EXPECT_EQ(sources[1].name, "fifosrc");

  const auto list = devices();
  ASSERT_EQ(list.size(), 2u);
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].driver, sources[i].name);
    EXPECT_EQ(list[i].name, sources[i].description);
    EXPECT_EQ(list[i].flags & kDeviceEnabled, kDeviceEnabled);
  }
  EXPECT_EQ(capture->ErrorGetCode(), kErrorDevice);  // the entry past the end

  // A source that comes later is listed from the next listing on.
  server->run("pactl load-module module-null-sink sink_name=late");
  EXPECT_EQ(devices().size(), 3u);
  EXPECT_EQ(deviceOf("late.monitor"), 2);
}

TEST_F(PulseCaptureTest, APortlessSourceHasOneInputThatStaysOnAndOneFormatStarts) {
  ASSERT_EQ(deviceOf("vsink.monitor"), 0);
  EXPECT_EQ(capture->RecordStart(44100, 2, kSampleFloat, nullptr, nullptr), 0u);
  EXPECT_EQ(capture->ErrorGetCode(), kErrorInit);
  ASSERT_TRUE(capture->RecordInit(0));
  EXPECT_EQ(capture->RecordGetInputName(0), devices()[0].name);
  EXPECT_EQ(capture->RecordGetInputName(1), std::nullopt);
  EXPECT_TRUE(capture->RecordSetInput(0, kInputOff, -1.0f));
  EXPECT_EQ(capture->RecordGetInput(0), 0u);
  EXPECT_EQ(capture->RecordStart(48000, 2, kSampleFloat, nullptr, nullptr), 0u);
  EXPECT_EQ(capture->ErrorGetCode(), kErrorFormat);
  const ChannelHandle handle = capture->RecordStart(44100, 2, kSampleFloat, nullptr, nullptr);
  ASSERT_NE(handle, 0u);
  EXPECT_TRUE(capture->ChannelStop(handle));
  EXPECT_EQ(capture->ChannelGetData(handle, bins.data(), kDataFft2048), -1);
  EXPECT_EQ(capture->ErrorGetCode(), kErrorHandle);
  // A new start gets a new handle; freeing the device ends the capture too.
  const ChannelHandle again = capture->RecordStart(44100, 2, kSampleFloat, nullptr, nullptr);
  EXPECT_NE(again, handle);
  EXPECT_TRUE(capture->RecordFree());
  EXPECT_EQ(capture->ChannelGetLevel(again), 0xFFFFFFFFu);
  // The pipe source, chosen by its number; a device past the list.
  ASSERT_TRUE(capture->RecordInit(1));
  EXPECT_EQ(capture->RecordGetInputName(0), devices()[1].name);
  capture->RecordFree();
  EXPECT_FALSE(capture->RecordInit(2));
  EXPECT_EQ(capture->ErrorGetCode(), kErrorDevice);
}

TEST_F(PulseCaptureTest, ToneIntoTheSinkShowsInLevelAndSpectrum) {
  const ChannelHandle handle = startOn("vsink.monitor");
  ASSERT_NE(handle, 0u) << capture->ErrorGetCode();
  // Silence while nothing plays.
  EXPECT_EQ(capture->ChannelGetLevel(handle), 0u);

  SinkPlayer player(*server, "vsink", toneLoop(100, 1.0, 0.5));
  ASSERT_EQ(player.error(), "");
  ASSERT_TRUE(eventually([&] { return left(capture->ChannelGetLevel(handle)) > 32000; }))
      << std::hex << capture->ChannelGetLevel(handle);
  const uint32_t level = capture->ChannelGetLevel(handle);
  EXPECT_LE(left(level), 32768u);
  EXPECT_NEAR(right(level), 16384.0, 200.0);

  // The spectrum's window is longer: wait until the tone fills it.
  // The tone reads the mean of the two channels' amplitudes.
  ASSERT_TRUE(eventually([&] { return binOf(handle, 100) > 0.745f; })) << bins[100];
  EXPECT_EQ(std::max_element(bins.begin(), bins.end()) - bins.begin(), 100);
  EXPECT_LT(bins[100], 0.755f);
  EXPECT_LT(bins[20], 0.01f);

  // Users see who records, in the mixer.
  const std::string outputs = server->run("pactl list source-outputs");
  EXPECT_NE(outputs.find("application.name = \"Tactolo\""), std::string::npos) << outputs;
  EXPECT_NE(outputs.find("media.role = \"music\""), std::string::npos) << outputs;
  EXPECT_NE(outputs.find("application.icon_name = "), std::string::npos) << outputs;
  EXPECT_NE(server->run("pactl list clients").find("application.name = \"Tactolo\""), std::string::npos);

  // A suspended sink sends nothing, and the server says so: the capture
  // waits for it, however long, rather than taking it for a server that hangs.
  server->run("pactl suspend-sink vsink 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(kCaptureFirstSamplesMs + 200));
  EXPECT_NE(capture->ChannelGetLevel(handle), 0xFFFFFFFFu) << capture->ErrorGetCode();
  server->run("pactl suspend-sink vsink 0");

  // The input's volume is the source's.
  EXPECT_TRUE(capture->RecordSetInput(0, kInputOn, 0.5f));
  EXPECT_TRUE(eventually([&] { return left(capture->ChannelGetLevel(handle)) < 20000; }));
  EXPECT_NEAR(left(capture->ChannelGetLevel(handle)), 16384.0, 200.0);

  EXPECT_TRUE(capture->ChannelStop(handle));
  EXPECT_TRUE(eventually([&] { return server->run("pactl list short source-outputs").empty(); }));
}

TEST_F(PulseCaptureTest, SourceGoneFailsTheNextReadWithNoSuchDevice) {
  int status = -1;
  std::string module = server->run("pactl load-module module-null-sink sink_name=gone", &status);
  ASSERT_EQ(status, 0);
  module.erase(module.find_last_not_of("\n") + 1);
  const int32_t device = deviceOf("gone.monitor");
  ASSERT_GE(device, 0);
  const ChannelHandle handle = startOn("gone.monitor");
  ASSERT_NE(handle, 0u) << capture->ErrorGetCode();
  ASSERT_EQ(capture->ChannelGetData(handle, bins.data(), kDataFft2048), kFftRequestBytes);

  server->run("pactl unload-module " + module, &status);
  ASSERT_EQ(status, 0);
  EXPECT_TRUE(
      eventually([&] { return capture->ChannelGetData(handle, bins.data(), kDataFft2048) == -1; }, 1000));
  EXPECT_EQ(capture->ErrorGetCode(), kErrorDevice);
  EXPECT_TRUE(capture->ChannelStop(handle));
  EXPECT_TRUE(capture->RecordFree());
  // Its number still names the gone source until the list is read again.
  EXPECT_FALSE(capture->RecordInit(device));
  EXPECT_EQ(capture->ErrorGetCode(), kErrorDevice);
  EXPECT_EQ(deviceOf("gone.monitor"), -1);
}

}  // namespace
}  // namespace tactolo::testing
