// `tactolo live` as a user runs it: options, the device list, beat lines,
// and how it ends.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <lo/lo.h>
#include <netinet/in.h>
#include <ola/plugin_id.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "audio/pulse_server.h"
#include "audio/signals.h"
#include "host/olad_server.h"
#include "host/plugin_host.h"
#include "host/project_file.h"
#include "live/click_track.h"
#include "live/live_process.h"
#include "support/test_folder.h"

namespace tactolo::testing {
namespace {

using host::findEntry;

TEST(FindEntry, TakesDigitsAsAPositionAndAnythingElseAsAName) {
  const std::vector<std::string> devices{"Monitor of Built-in Audio", "Built-in Audio", "USB Mic 2", "7"};
  // "7" is a position past the end, not the device called "7"; an exact
  // name wins over names that contain it; otherwise the one name that holds
  // it, in any case ("built-in": two of them).
  const std::pair<const char*, std::optional<int32_t>> cases[] = {{"0", 0},
                                                                  {"4", std::nullopt},
                                                                  {"99999999999999999999", std::nullopt},
                                                                  {"7", std::nullopt},
                                                                  {"Built-in Audio", 1},
                                                                  {"usb", 2},
                                                                  {"built-in", std::nullopt},
                                                                  {"Line", std::nullopt},
                                                                  {"", std::nullopt}};
  for (const auto& [text, position] : cases) {
    EXPECT_EQ(findEntry(devices, text), position) << text;
  }
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

// Options refused (a device the list does not have among them), projects
// that cannot be read and a run without a sound server are in the live
// command transcript.
class LiveCommandTest : public PulseServerTest, protected TestFolder {
 protected:
  /// Whether the server has a recording stream (a capture runs).
  bool recording() const { return !server->run("pactl list short source-outputs").empty(); }

  /// The server's client environment with the user's data and configuration
  /// (the default project, the device store) in the test's folder.
  std::vector<std::string> showEnvironment() const {
    std::vector<std::string> environment;
    for (const std::string& entry : server->clientEnvironment()) {
      if (entry.rfind("XDG_DATA_HOME=", 0) != 0 && entry.rfind("XDG_CONFIG_HOME=", 0) != 0) {
        environment.push_back(entry);
      }
    }
    environment.push_back("XDG_DATA_HOME=" + (folder_ / "data").string());
    environment.push_back("XDG_CONFIG_HOME=" + (folder_ / "config").string());
    return environment;
  }
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
  // Without DMX output, so that standard output holds the beat lines alone.
  const LiveRun quiet =
      runLiveCommand({"live", "--device", "monitor of", "--method", "1", "--dmx", "none", "--duration", "2"},
                     server->clientEnvironment());
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.out, "");

  // ...until the input gain raises them by 20 dB.
  const LiveRun run = runLiveCommand({"live", "--device", "monitor of", "--input", "0", "--input-gain", "20",
                                      "--method", "1", "--gain", "50", "--dmx", "none", "--duration", "3"},
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
  // or so after it came; a later one may be a tick or two late when the
  // machine is busy.
  for (std::size_t i = 2; i < times.size(); ++i) {
    EXPECT_NEAR(times[i] - times[i - 1], 0.5, 0.045) << run.out;
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
  LiveProcess live({"live", "--dmx", "none"}, server->clientEnvironment());
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

/// A UDP port that was free a moment ago.
int freeUdpPort() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// The show end to end: a click track at 120 BPM heard from the sink's
// monitor, channel 1 flashed on every beat over sACN unicast to this
// computer, where olad's E1.31 input receives it; an OSC command stops the
// capture; SIGTERM ends the run, and the project keeps the plug-in's
// settings but not what the options set for this run.
TEST_F(LiveCommandTest, FlashesOverSacnOnEveryBeatStopsByOscAndSavesTheProject) {
  std::unique_ptr<OladServer> olad;
  startOlad("e131", olad);
  if (olad == nullptr) return;
  OlaProbe probe(olad->port());
  ASSERT_TRUE(probe.connected());
  const auto e131 = probe.deviceOf(ola::OLA_PLUGIN_E131);
  ASSERT_TRUE(e131.has_value());
  ASSERT_TRUE(probe.patch(*e131, true, 1));

  const auto project = folder_ / "show.json";
  const int oscPort = freeUdpPort();
  LiveProcess live(
      {"live", "--project", project.string(), "--device", "monitor of", "--method", "1", "--dmx", "sacn",
       "--sacn-to", "127.0.0.1", "--flash", "1=255/200", "--osc-port", std::to_string(oscPort)},
      showEnvironment());
  ASSERT_TRUE(live.started());
  ASSERT_TRUE(eventually([&] { return recording(); }, 10000)) << live.err();
  SinkPlayer player(*server, "vsink", clickLoop(0.9));
  ASSERT_EQ(player.error(), "");

  // Channel 1 as olad holds it, every 5 ms for 5 s: the times it went to
  // 255, and that it went back to 0 in between. The flash is held 200 ms,
  // so that a poll delayed by a busy machine still sees it.
  std::vector<std::chrono::steady_clock::time_point> flashes;
  bool lit = false;
  int dark = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < until) {
    const auto values = probe.fetchDmx(1);
    ASSERT_TRUE(values.has_value());
    const int channel1 = values->empty() ? 0 : (*values)[0];
    if (channel1 == 255 && !lit) flashes.push_back(std::chrono::steady_clock::now());
    if (channel1 == 0 && lit) ++dark;
    lit = channel1 == 255;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_GE(flashes.size(), 6u) << live.out() << live.err();
  EXPECT_GE(dark, static_cast<int>(flashes.size()) - 1);
  // The first flash may be a click heard as the start's gate opened. Each
  // flash lands on a 20 ms tick, and a busy machine delays some more, so the
  // clicks' period shows in the average; no flash is missed or doubled.
  const double averageMs = std::chrono::duration<double, std::milli>(flashes.back() - flashes[1]).count() /
                           static_cast<double>(flashes.size() - 2);
  EXPECT_NEAR(averageMs, 500, 20);
  for (std::size_t i = 2; i < flashes.size(); ++i) {
    const double apartMs = std::chrono::duration<double, std::milli>(flashes[i] - flashes[i - 1]).count();
    EXPECT_NEAR(apartMs, 500, 150) << "flash " << i;
  }

  lo_address tactolo = lo_address_new("127.0.0.1", std::to_string(oscPort).c_str());
  ASSERT_GT(lo_send(tactolo, "/tactolo/command", "ssi", "Tactolo Off", "do", 0), 0);
  lo_address_free(tactolo);
  EXPECT_TRUE(eventually([&] { return !recording(); }, 3000)) << live.err();
  EXPECT_FALSE(live.waitExit(0).has_value()) << "a capture stopped by a command ends no run: " << live.err();

  live.signal(SIGTERM);
  const auto status = live.waitExit(5000);
  ASSERT_TRUE(status) << "still running after SIGTERM";
  EXPECT_EQ(*status, 0) << live.err();
  const auto saved = host::ReadProjectFile(project.string());
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->settings.at("TactoloMain_SendBeat"), "1");
  EXPECT_EQ(saved->settings.count("TactoloMain_AlgorithmIndex"), 0u) << "--method was for this run only";
  host::OutputSettings defaults;
  defaults.sacn.cid = saved->outputs.sacn.cid;
  EXPECT_EQ(saved->outputs, defaults);
  EXPECT_TRUE(saved->actions.empty());
}

// Two signals that come together: the first starts the exit, the second
// ends the process at once, before the project is written, leaving no file
// beside it.
TEST_F(LiveCommandTest, ASecondSignalEndsTheExitAtOnceWritingNothing) {
  // The project in a folder of its own: the sound server's client keeps
  // files in the configuration folder.
  std::filesystem::create_directories(folder_ / "shows");
  const std::string before = R"({"format": 1, "settings": {"TactoloMain_GainValue": "60"}})";
  put("shows/show.json", before);
  LiveProcess live({"live", "--project", path("shows/show.json"), "--dmx", "none"}, showEnvironment());
  ASSERT_TRUE(live.started());
  ASSERT_TRUE(eventually([&] { return recording(); }, 10000)) << live.err();

  // Both wait while the process is stopped, and both are there when it
  // reads the first.
  live.signal(SIGSTOP);
  live.signal(SIGINT);
  live.signal(SIGTERM);
  live.signal(SIGCONT);
  const auto status = live.waitExit(3000);
  ASSERT_TRUE(status) << "still running after two signals";
  EXPECT_EQ(*status, -1) << "ended by the signal: " << live.err();
  EXPECT_EQ(contents("shows/show.json"), before);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder_ / "shows"))
    files.push_back(entry.path().filename());
  EXPECT_EQ(files, std::vector<std::string>{"show.json"});
}

// The device stored with the project is found by its name after the
// server's list has changed its order.
TEST_F(LiveCommandTest, FindsTheStoredDeviceByItsNameWhenTheListOrderChanged) {
  const auto loadSink = [&](const std::string& name) {
    std::string module = server->run("pactl load-module module-null-sink sink_name=" + name +
                                     " sink_properties=device.description=" + name);
    while (!module.empty() && module.back() == '\n') module.pop_back();
    return module;
  };
  const std::string first = loadSink("SinkA");
  const std::string second = loadSink("SinkB");
  const std::string project = path("show.json");
  const LiveRun chose = runLiveCommand({"live", "--project", project, "--device", "Monitor of SinkB",
                                        "--save-options", "--dmx", "none", "--duration", "1"},
                                       showEnvironment());
  ASSERT_EQ(chose.status, 0) << chose.err;

  // Loaded again, the other way round: SinkB's monitor now comes first.
  int unloaded = -1;
  server->run("pactl unload-module " + first + " && pactl unload-module " + second, &unloaded);
  ASSERT_EQ(unloaded, 0);
  loadSink("SinkB");
  loadSink("SinkA");
  const LiveRun again = runLiveCommand({"live", "--project", project, "--duration", "1"}, showEnvironment());
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.err.find("listening to \"Monitor of SinkB\""), std::string::npos) << again.err;
}

}  // namespace
}  // namespace tactolo::testing
