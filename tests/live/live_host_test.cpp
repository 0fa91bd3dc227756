// The plug-in in its library as the live host runs it (the host side's
// PluginHost on the poll loop): real clock, the sound server's capture, each
// test with a server of its own. The beats of a click track are in the live
// command test, which runs the same host.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "audio/pulse_capture.h"
#include "audio/pulse_server.h"
#include "audio/signals.h"
#include "host/plugin_host.h"
#include "host/poll_loop.h"
#include "platform/headless_host.h"

namespace tactolo::testing {
namespace {

using host::PluginHost;
using host::PollLoop;

constexpr const char* kMain = "TactoloMain";

class LiveHostTest : public PulseServerTest {
 protected:
  // A folder of its own, so that a server started again has the same address.
  LiveHostTest() { serverFolder = folder.string(); }

  void SetUp() override {
    PulseServerTest::SetUp();
    if (server == nullptr) return;
    capture = std::make_unique<PulseCaptureLibrary>(server->address());
    host = std::make_unique<PluginHost>(TACTOLO_PLUGIN_LIBRARY, "live test", clock, *capture, dialogs,
                                        host::HelperParts{helper.settings, helper.stream, helper.project});
    host->loadWindow();
  }

  void TearDown() override {
    host.reset();
    capture.reset();
    server.reset();
    std::filesystem::remove_all(folder);
  }

  /// Picks the device whose name holds `name`, as a user picks it.
  void listenTo(const std::string& name) {
    const auto position = host::findEntry(host->entries("devicesBox"), name);
    ASSERT_TRUE(position) << name;
    host->select("devicesBox", *position);
  }

  /// Runs the host's event loop until `condition` holds, at most
  /// `timeoutMs` on its clock; whether it held.
  bool runUntil(const std::function<bool()>& condition, TimeMs timeoutMs) {
    return loop.run(clock.nowMs() + timeoutMs, condition) == PollLoop::Wake::Condition;
  }

  AutomationValue property(const std::string& control, const std::string& name) {
    const auto read = host->automation().controlProperty(kMain, {control}, name, {});
    EXPECT_TRUE(read.ok) << read.error;
    return read.value;
  }
  AutomationValue state(const std::string& name) {
    const auto read = host->automation().state(name);
    EXPECT_TRUE(read.ok) << read.error;
    return read.value.value;
  }

  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tactolo-live-host-" + std::to_string(::getpid()));
  RealClock clock;
  PollLoop loop{clock};
  HeadlessHelper helper{clock};
  std::unique_ptr<PulseCaptureLibrary> capture;
  HeadlessDialogs dialogs;
  std::unique_ptr<PluginHost> host;
};

TEST_F(LiveHostTest, TheLevelsFollowAFullScaleTone) {
  ASSERT_NO_FATAL_FAILURE(listenTo("Monitor of"));
  ASSERT_TRUE(host->start());
  const auto levels = [&] { return std::pair(state("VuLevelLeft").real, state("VuLevelRight").real); };
  ASSERT_TRUE(runUntil([&] { return levels().first == 0.0; }, 1000));
  {
    // Full scale on the left, half on the right: one bin-centred sine.
    const auto tone = stereo(kFftSize, sine(binHz(40), 1.0), sine(binHz(40), 0.5));
    SinkPlayer player(*server, "vsink", tone);
    ASSERT_EQ(player.error(), "");
    ASSERT_TRUE(runUntil([&] { return levels().first > 0.98; }, 3000)) << levels().first;
    // One more average of four ticks, all of them inside the tone.
    ASSERT_TRUE(runUntil([&] { return state("LevelSampleIndex").integer == 3; }, 200));
    ASSERT_TRUE(runUntil([&] { return state("LevelSampleIndex").integer == 0; }, 200));
    EXPECT_NEAR(levels().first, 1.0, 0.02);
    EXPECT_NEAR(levels().second, 0.5, 0.02);
  }
  // The player is gone: the sink plays silence, and the levels fall with it.
  EXPECT_TRUE(runUntil([&] { return levels().first < 0.01 && levels().second < 0.01; }, 3000))
      << levels().first << " " << levels().second;
  EXPECT_TRUE(host->capturing());
}

TEST_F(LiveHostTest, AKilledServerStopsTheCaptureCleanlyAndTheDeviceReconnects) {
  ASSERT_NO_FATAL_FAILURE(listenTo("Monitor of"));
  ASSERT_TRUE(host->start());
  loop.run(clock.nowMs() + 100, {});
  ASSERT_TRUE(host->capturing());

  server->signal(SIGKILL);
  const TimeMs killedMs = clock.nowMs();
  // Within a second the next spectrum read fails and the plug-in stops.
  EXPECT_TRUE(runUntil([&] { return !host->capturing(); }, 1000));
  EXPECT_LE(clock.nowMs() - killedMs, 1000);
  EXPECT_EQ(property("startButton", "caption").text, "Start");
  EXPECT_FALSE(state("Recording").integer);
  const auto beatTimer = host->automation().timer("beatTimer");
  ASSERT_TRUE(beatTimer.ok);
  EXPECT_FALSE(beatTimer.value.enabled);
  EXPECT_TRUE(dialogs.records().empty());
  EXPECT_TRUE(host->takeEventErrors().empty());
  // Nothing runs any more: the loop sleeps to its deadline.
  EXPECT_EQ(loop.run(clock.nowMs() + 100, {}), PollLoop::Wake::Deadline);

  // Once the server is back, choosing the device again opens it anew.
  std::string why;
  server.reset();
  server = PulseServer::start(why, serverFolder);
  ASSERT_NE(server, nullptr) << why;
  host->select("devicesBox", host->selected("devicesBox"));
  ASSERT_TRUE(host->start()) << (dialogs.records().empty() ? "" : dialogs.records().back().text);
  SinkPlayer player(*server, "vsink", stereo(kFftSize, sine(binHz(40)), sine(binHz(40))));
  ASSERT_EQ(player.error(), "");
  EXPECT_TRUE(runUntil([&] { return state("VuLevelLeft").real > 0.9; }, 3000));
  EXPECT_EQ(host->shutdown(), "");
}

TEST_F(LiveHostTest, AStartWithTheServerGoneReportsNoServer) {
  ASSERT_NO_FATAL_FAILURE(listenTo("Monitor of"));
  server->signal(SIGKILL);
  EXPECT_FALSE(host->start());
  ASSERT_EQ(dialogs.records().size(), 1u);
  EXPECT_EQ(dialogs.records()[0].title, "Error");
  EXPECT_EQ(dialogs.records()[0].text, "Can't start recording\r\n\r\nerror code: 3");
  EXPECT_EQ(property("startButton", "caption").text, "Start");
  EXPECT_FALSE(state("Recording").integer);
  EXPECT_EQ(host->shutdown(), "");
}

}  // namespace
}  // namespace tactolo::testing
