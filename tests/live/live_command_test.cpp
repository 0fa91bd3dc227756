// `tactolo live` as a user runs it: options, the device list, beat lines,
// and how it ends.
#include <gtest/gtest.h>
#include <signal.h>

#include <sstream>

#include "audio/pulse_server.h"
#include "audio/signals.h"
#include "host/plugin_host.h"
#include "live/click_track.h"
#include "live/live_process.h"

namespace tactolo::testing {
namespace {

using host::findEntry;

TEST(FindEntry, TakesDigitsAsAPositionAndAnythingElseAsAName) {
  const std::vector<std::string> devices{"Monitor of Built-in Audio", "Built-in Audio", "USB Mic 2", "7"};
  // "7" is a position past the end, not the device called "7"; an exact
  // name wins over names that contain it; otherwise the one name that holds
  // it, in any case ("built-in": two of them).
  for (const auto& [text, position] :
       std::vector<std::pair<std::string, std::optional<int32_t>>>{{"0", 0},
                                                                   {"3", 3},
                                                                   {"4", std::nullopt},
                                                                   {"99999999999999999999", std::nullopt},
                                                                   {"7", std::nullopt},
                                                                   {"Built-in Audio", 1},
                                                                   {"usb", 2},
                                                                   {"monitor", 0},
                                                                   {"built-in", std::nullopt},
                                                                   {"Line", std::nullopt},
                                                                   {"", std::nullopt},
                                                                   {"-1", std::nullopt}}) {
    EXPECT_EQ(findEntry(devices, text), position) << text;
  }
  EXPECT_EQ(findEntry({}, "0"), std::nullopt);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

// Options refused and a run without a sound server are in the live command
// transcript.
class LiveCommandTest : public PulseServerTest {
 protected:
  /// Whether the server has a recording stream (a capture runs).
  bool recording() const { return !server->run("pactl list short source-outputs").empty(); }
};

TEST_F(LiveCommandTest, ListsTheDevicesThePluginShows) {
  const LiveRun run = runLiveCommand({"live", "--list-devices"}, server->clientEnvironment());
  EXPECT_EQ(run.status, 0) << run.err;
  // The server's sources in its order, by description.
  std::vector<std::string> expected;
  for (const ListedSource& source : listedSources(*server)) {
    expected.push_back(std::to_string(expected.size()) + "\t" + source.description);
  }
  ASSERT_EQ(expected.size(), 2u);
  EXPECT_EQ(lines(run.out), expected);
  EXPECT_EQ(run.err, "");

  const LiveRun wrong = runLiveCommand({"live", "--device", "No Such Source"}, server->clientEnvironment());
  EXPECT_EQ(wrong.status, 2);
  EXPECT_NE(wrong.err.find("--device: no recording device 'No Such Source'"), std::string::npos) << wrong.err;
  const LiveRun input =
      runLiveCommand({"live", "--device", "1", "--input", "1"}, server->clientEnvironment());
  EXPECT_EQ(input.status, 2);
  EXPECT_NE(input.err.find("--input: no input '1'"), std::string::npos) << input.err;
  EXPECT_FALSE(recording());
}

TEST_F(LiveCommandTest, PrintsEachBeatAsItComesWithTheInputGainItWasGiven) {
  // Clicks peaking at -34 dBFS stay below the detection's energy floor...
  SinkPlayer player(*server, "vsink", clickLoop(0.02));
  ASSERT_EQ(player.error(), "");
  const LiveRun quiet = runLiveCommand({"live", "--device", "monitor of", "--method", "1", "--duration", "2"},
                                       server->clientEnvironment());
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.out, "");

  // ...until the input gain raises them by 20 dB.
  const LiveRun run = runLiveCommand({"live", "--device", "monitor of", "--input", "0", "--input-gain", "20",
                                      "--method", "1", "--gain", "50", "--duration", "3"},
                                     server->clientEnvironment());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("listening to \"Monitor of "), std::string::npos) << run.err;
  // "SECONDS BPM": beats from the second second on, half a second apart.
  std::istringstream out(run.out);
  std::vector<double> times;
  std::vector<int> tempos;
  double time = 0;
  int bpm = 0;
  while (out >> time >> bpm) {
    times.push_back(time);
    tempos.push_back(bpm);
  }
  ASSERT_TRUE(out.eof()) << run.out;
  ASSERT_GE(times.size(), 3u) << run.out;
  EXPECT_GE(times.front(), 1.0);
  EXPECT_LE(times.back(), 3.0);
  // The first beat may be a click heard as the start's gate opened, a tick
  // or so after it came.
  for (std::size_t i = 2; i < times.size(); ++i) {
    EXPECT_NEAR(times[i] - times[i - 1], 0.5, 0.025) << run.out;
    EXPECT_NEAR(tempos[i], 120, 5) << run.out;
  }
  EXPECT_FALSE(recording());
}

TEST_F(LiveCommandTest, EndsWhenItsOutputCannotBeWritten) {
  SinkPlayer player(*server, "vsink", clickLoop(0.9));
  ASSERT_EQ(player.error(), "");
  // The first beat line fails (the disk is full): the run ends there, not
  // at its duration.
  LiveProcess live({"live", "--device", "0", "--method", "1", "--duration", "60"},
                   server->clientEnvironment(), "/dev/full");
  ASSERT_TRUE(live.started());
  const auto status = live.waitExit(10000);
  ASSERT_TRUE(status) << "still running with nowhere to write";
  EXPECT_EQ(*status, 1);
  EXPECT_NE(live.err().find("tactolo: cannot write to standard output: "), std::string::npos) << live.err();
  EXPECT_FALSE(recording());
}

class LiveCommandEnds : public LiveCommandTest, public ::testing::WithParamInterface<int> {};

TEST_P(LiveCommandEnds, CleanlyOnTheSignal) {
  LiveProcess live({"live"}, server->clientEnvironment());
  ASSERT_TRUE(live.started());
  ASSERT_TRUE(eventually([&] { return recording(); }, 10000)) << live.err();
  live.signal(GetParam());
  const auto status = live.waitExit(5000);
  ASSERT_TRUE(status) << "still running after the signal";
  EXPECT_EQ(*status, 0) << live.err();
  EXPECT_FALSE(recording());
  EXPECT_EQ(live.out(), "");
  EXPECT_EQ(lines(live.err()).size(), 1u) << live.err();  // where it listened, nothing else
}

INSTANTIATE_TEST_SUITE_P(IntTermAndHangUp, LiveCommandEnds, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

class LiveCommandLosesTheServer : public LiveCommandTest, public ::testing::WithParamInterface<int> {};

// Killed, or frozen (SIGSTOP) as a server that hangs and sends no more
// samples: the capture stops with the same line either way, within 1.5 s.
TEST_P(LiveCommandLosesTheServer, AndEndsWithAFailure) {
  LiveProcess live({"live", "--device", "0"}, server->clientEnvironment());
  ASSERT_TRUE(live.started());
  ASSERT_TRUE(eventually([&] { return recording(); }, 10000)) << live.err();
  // The idle sink's monitor sends its first samples when the sink's block
  // ends, up to 2 s on; restarting the sink's clock has them flowing at once.
  server->wakeSink("vsink");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  server->signal(GetParam());
  EXPECT_TRUE(eventually(
      [&] {
        return live.err().find("the capture stopped: the sound server or the recording device went away\n") !=
               std::string::npos;
      },
      1500))
      << live.err();
  const auto status = live.waitExit(5000);
  ASSERT_TRUE(status) << "still running without its server";
  EXPECT_EQ(*status, 3);
  server->signal(SIGCONT);
}

INSTANTIATE_TEST_SUITE_P(KilledAndFrozen, LiveCommandLosesTheServer, ::testing::Values(SIGKILL, SIGSTOP));

}  // namespace
}  // namespace tactolo::testing
