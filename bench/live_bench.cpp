// `tactolo live` on a private sound server: how long a click takes from the
// sink to the beat message, to the OSC beat and to the sACN frame of a
// flash; how long the event loop's rounds (the ticks) take with the outputs
// and without; and how much CPU the whole host costs.
//
//   tactolo_live_bench [--clicks N] [--player-buffer-ms MS] [--cpu-seconds S]
//                      [--latency-only | --cpu-only]
//
// Latency and rounds: the show runs in this process as `tactolo live` runs
// it (Show on a RealClock, the plug-in in its library), listening to the
// null sink's monitor with the simple sound-energy method. A player writes a
// faint hiss into the sink in 64-frame pieces through a playback stream of
// MS ms target length (5 by default) and, every 500 ms plus a random 0..19
// ms (so that the clicks fall on every phase of the 20 ms tick), a 5 ms
// click. For each click it reports the time from the write of its first
// piece to the beat message, to /tactolo/beat received on a loopback UDP
// socket, and to the first sACN packet of universe 1 with channel 1 at 255
// (a flash 1=255/100) received on another; and splits the first: at the
// moment the sink plays the click (the write time plus the stream's latency
// as the server reports it), and at the moment the click reached a capture
// of the monitor (a second capture, polled every millisecond). Twice: with
// the outputs (sACN unicast on four universes, OSC, Link, the flash) and
// with none; each time with the duration of every round of the event loop
// (the due events, the beats handed on, the universes flushed).
//
// CPU: `tactolo live` runs as a child process for S seconds (30 by default)
// while a click track plays; its user and system time over its wall time.
// On a server that hands audio over in POSIX shared memory (the test
// server), where libpulse maps the server's memory anew for every block it
// receives, and on ones with memfd segments, as desktop servers run; behind
// a player with a 200 ms and one with a 10 ms buffer; without DMX output,
// and with sACN on four universes, OSC and Link.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "audio/pulse_capture.h"
#include "audio/pulse_server.h"
#include "host/beat_actions.h"
#include "host/sacn_packet.h"
#include "host/show.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using tactolo::testing::PulseServer;

constexpr int kRate = tactolo::kCaptureRate;
/// The pieces the latency's player writes: small, so that a click's write
/// time is known to 1.5 ms.
constexpr std::size_t kClickPieceFrames = 64;
constexpr std::size_t kClickFrames = 220;  // 5 ms

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

/// Nearest-rank percentile of `values` (sorted here).
double percentile(std::vector<double> values, double p) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
  return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

/// A click (full-scale noise burst) or the faint hiss between clicks.
float sample(std::size_t sinceClick) {
  const double i = static_cast<double>(sinceClick);
  return static_cast<float>((sinceClick < kClickFrames ? 0.9 : 0.01) * std::sin(0.37 * i * i));
}

/// Writes into the sink through its own playback stream and notes when each
/// click's first piece was written.
class ClickWriter {
 public:
  /// Plays `clicks` clicks through a playback stream of `bufferMs` target
  /// length, written in pieces of `pieceFrames`. A sink with one stream
  /// passes its pieces on to the monitor as they are, so the piece size is
  /// also the size of the blocks a capture of the monitor receives.
  ClickWriter(const PulseServer& server, int clicks, int bufferMs, std::size_t pieceFrames)
      : clicks_(clicks), pieceFrames_(pieceFrames) {
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(kRate), 2};
    pa_buffer_attr buffer;
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength =
        static_cast<uint32_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(bufferMs) * 1000, &format));
    buffer.prebuf = static_cast<uint32_t>(-1);
    buffer.minreq = static_cast<uint32_t>(pa_usec_to_bytes(1000, &format));
    buffer.fragsize = static_cast<uint32_t>(-1);
    int error = 0;
    stream_ = pa_simple_new(server.address().c_str(), "tactolo_live_bench", PA_STREAM_PLAYBACK, "vsink",
                            "clicks", &format, nullptr, &buffer, &error);
    if (stream_ == nullptr)
      throw std::runtime_error(std::string("no playback stream: ") + pa_strerror(error));
  }
  ~ClickWriter() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    pa_simple_free(stream_);
  }

  void start() {
    thread_ = std::thread([this] { play(); });
  }
  struct Click {
    Clock::time_point written;  // its first piece is in the stream's buffer
    Clock::time_point played;   // the sink plays it
  };
  std::vector<Click> written() {
    std::lock_guard lock(mutex_);
    return written_;
  }
  bool done() const { return done_; }

 private:
  void play() {
    std::mt19937 random(19);
    std::uniform_int_distribution<int> jitterMs(0, 19);
    std::vector<float> piece(2 * pieceFrames_);
    // The first click after a second of hiss: the method's history fills.
    std::size_t untilClick = static_cast<std::size_t>(kRate);
    std::size_t sinceClick = kClickFrames;
    int clicked = 0;
    while (!stop_) {
      bool clickStarts = false;
      for (std::size_t f = 0; f < pieceFrames_; ++f) {
        if (untilClick == 0 && clicked < clicks_) {
          clickStarts = true;
          sinceClick = 0;
          ++clicked;
          untilClick = static_cast<std::size_t>(kRate / 2 + kRate * jitterMs(random) / 1000);
        }
        if (untilClick > 0) --untilClick;
        piece[2 * f] = piece[2 * f + 1] = sample(sinceClick++);
      }
      // A write returns once the piece is in the stream's buffer.
      int error = 0;
      if (pa_simple_write(stream_, piece.data(), piece.size() * sizeof(float), &error) < 0) break;
      if (clickStarts) {
        const auto now = Clock::now();
        // The latency runs to the end of what was written, the click starts
        // a piece before.
        const auto latency = std::chrono::microseconds(pa_simple_get_latency(stream_, &error)) -
                             std::chrono::microseconds(1000000 * pieceFrames_ / kRate);
        std::lock_guard lock(mutex_);
        written_.push_back({now, now + latency});
      }
      if (clicked == clicks_ && sinceClick > static_cast<std::size_t>(kRate)) done_ = true;
    }
  }

  int clicks_;
  std::size_t pieceFrames_;
  pa_simple* stream_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
  std::mutex mutex_;
  std::vector<Click> written_;
};

/// A second capture of the monitor, polled every millisecond: the moments
/// a click's level shows in it.
class ArrivalProbe {
 public:
  explicit ArrivalProbe(const PulseServer& server) : capture_(server.address()) {
    tactolo::RecordDeviceInfo info;
    int32_t device = -1;
    for (int32_t n = 0; capture_.RecordGetDeviceInfo(n, info); ++n) {
      if (info.driver == "vsink.monitor") device = n;
    }
    if (device < 0 || !capture_.RecordInit(device)) throw std::runtime_error("the probe has no monitor");
    handle_ = capture_.RecordStart(kRate, 2, tactolo::kSampleFloat, nullptr, nullptr);
    if (handle_ == 0) throw std::runtime_error("the probe cannot capture");
    thread_ = std::thread([this] { poll(); });
  }
  ~ArrivalProbe() {
    stop_ = true;
    thread_.join();
  }
  std::vector<Clock::time_point> arrivals() {
    std::lock_guard lock(mutex_);
    return arrivals_;
  }

 private:
  void poll() {
    bool loud = false;
    while (!stop_) {
      const uint32_t level = capture_.ChannelGetLevel(handle_);
      const uint32_t left = level == 0xFFFFFFFFu ? 0 : (level & 0xFFFFu);
      if (!loud && left > 16384) {
        std::lock_guard lock(mutex_);
        arrivals_.push_back(Clock::now());
      }
      // The level covers the last 20 ms: a click leaves it 20 ms later.
      loud = left > 1000;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  tactolo::PulseCaptureLibrary capture_;
  tactolo::ChannelHandle handle_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Clock::time_point> arrivals_;
};

/// The first time in `times` at or after `from` and before `from + within`.
const Clock::time_point* firstAfter(const std::vector<Clock::time_point>& times, Clock::time_point from,
                                    Clock::duration within) {
  for (const auto& t : times) {
    if (t >= from && t < from + within) return &t;
  }
  return nullptr;
}

void printSpread(const char* what, const std::vector<double>& values) {
  std::printf("  %-36s median %6.2f ms   p99 %6.2f ms   min %6.2f   max %6.2f   (n=%zu)\n", what,
              percentile(values, 50), percentile(values, 99), percentile(values, 0), percentile(values, 100),
              values.size());
}

/// A UDP socket on a free loopback port.
int loopbackSocket(uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("no loopback socket");
  }
  port = ntohs(address.sin_port);
  return fd;
}

/// What the show sends, as a receiver on this computer hears it: the times
/// /tactolo/beat arrived, and the times universe 1's channel 1 went to 255.
class OutputProbe {
 public:
  OutputProbe() : osc_(loopbackSocket(oscPort_)), sacn_(loopbackSocket(sacnPort_)) {
    thread_ = std::thread([this] { receive(); });
  }
  ~OutputProbe() {
    stop_ = true;
    thread_.join();
    ::close(osc_);
    ::close(sacn_);
  }
  uint16_t oscPort() const { return oscPort_; }
  uint16_t sacnPort() const { return sacnPort_; }
  std::vector<Clock::time_point> beats() {
    std::lock_guard lock(mutex_);
    return beats_;
  }
  std::vector<Clock::time_point> flashes() {
    std::lock_guard lock(mutex_);
    return flashes_;
  }

 private:
  void receive() {
    pollfd fds[2] = {{osc_, POLLIN, 0}, {sacn_, POLLIN, 0}};
    std::vector<uint8_t> packet(2048);
    bool lit = false;
    while (!stop_) {
      if (::poll(fds, 2, 50) <= 0) continue;
      const auto now = Clock::now();
      if (fds[0].revents != 0) {
        const auto got = ::recv(osc_, packet.data(), packet.size() - 1, 0);
        packet[static_cast<std::size_t>(std::max<ssize_t>(got, 0))] = 0;
        if (got > 0 && std::strcmp(reinterpret_cast<const char*>(packet.data()), "/tactolo/beat") == 0) {
          std::lock_guard lock(mutex_);
          beats_.push_back(now);
        }
      }
      if (fds[1].revents != 0) {
        const auto got = ::recv(sacn_, packet.data(), packet.size(), 0);
        if (got <= 0) continue;
        const auto decoded = tactolo::host::decodeSacnPacket({packet.data(), static_cast<std::size_t>(got)});
        if (!decoded || decoded->universe != 1) continue;
        const bool on = decoded->slots[0] == 255;
        if (on && !lit) {
          std::lock_guard lock(mutex_);
          flashes_.push_back(now);
        }
        lit = on;
      }
    }
  }

  uint16_t oscPort_ = 0;
  uint16_t sacnPort_ = 0;
  int osc_;
  int sacn_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Clock::time_point> beats_;
  std::vector<Clock::time_point> flashes_;
};

int benchShow(const PulseServer& server, int clicks, int bufferMs, bool outputs) {
  OutputProbe probeOut;
  tactolo::host::ShowSetup setup;
  setup.pluginPath = TACTOLO_PLUGIN_LIBRARY;
  setup.title = "tactolo_live_bench";
  if (outputs) {
    setup.outputs.universes = 4;
    setup.outputs.sacn.unicastTargets = {"127.0.0.1"};
    setup.outputs.sacn.cid = tactolo::host::makeCid();
    setup.sacn.port = probeOut.sacnPort();
    setup.outputs.osc.sendTo = "127.0.0.1:" + std::to_string(probeOut.oscPort());
    setup.outputs.link = true;
    setup.actions = {tactolo::host::parseFlashOption("1=255/100")};
  } else {
    setup.outputs.dmx = tactolo::host::DmxOutputKind::None;
  }
  tactolo::PulseCaptureLibrary capture(server.address());
  tactolo::HeadlessDialogs dialogs;
  tactolo::RealClock clock;
  tactolo::MemorySettings settings;
  tactolo::FixedProject project;
  project.baseFilename = "";
  tactolo::host::Show show(setup, settings, project, clock, capture, dialogs, [](const std::string& line) {
    std::fprintf(stderr, "tactolo_live_bench: %s\n", line.c_str());
  });
  std::vector<tactolo::host::BeatEvent> beats;
  show.setBeatSink([&](const tactolo::host::BeatEvent& beat) { beats.push_back(beat); });
  tactolo::host::PluginHost& host = show.host();
  host.loadWindow();
  // As `tactolo live` starts: the project's settings (none: the defaults,
  // beat output on), then the device and the method.
  host.loadProjectData();
  const auto device = tactolo::host::findEntry(host.entries("devicesBox"), "Monitor of");
  if (!device) throw std::runtime_error("no monitor in the device list");
  host.select("devicesBox", *device);
  host.select("methodBox", 1);
  if (!host.start()) throw std::runtime_error("the capture did not start");

  ArrivalProbe probe(server);
  ClickWriter writer(server, clicks, bufferMs, kClickPieceFrames);
  server.wakeSink("vsink");
  writer.start();
  // The event loop of `tactolo live`, each round timed.
  std::vector<double> rounds;
  rounds.reserve(static_cast<std::size_t>(60 * (3 + clicks)));
  const auto limitMs = clock.nowMs() + 1000 * (3 + clicks);
  while (clock.nowMs() < limitMs && !writer.done()) {
    const auto due = clock.nextDueMs();
    if (due && *due <= clock.nowMs()) {
      const auto begin = Clock::now();
      clock.runDue();
      show.afterRound();
      rounds.push_back(ms(Clock::now() - begin));
      continue;
    }
    ::poll(nullptr, 0, due ? static_cast<int>(*due - clock.nowMs()) : 10);
  }
  host.stop();
  show.endPlugin(false);
  show.closeOutputs();

  const auto written = writer.written();
  const auto arrivals = probe.arrivals();
  const auto oscBeats = probeOut.beats();
  const auto flashes = probeOut.flashes();
  std::vector<double> total, osc, sacn, playback, played, captured, detection;
  int missed = 0, firstTick = 0;
  const auto within = std::chrono::milliseconds(200);
  for (const auto& click : written) {
    const auto w = click.written;
    const auto beat = std::find_if(beats.begin(), beats.end(),
                                   [&](const auto& b) { return b.sentAt >= w && b.sentAt < w + within; });
    const auto* arrival = firstAfter(arrivals, w, within);
    if (beat == beats.end()) {
      ++missed;
      continue;
    }
    total.push_back(ms(beat->sentAt - w));
    playback.push_back(ms(click.played - w));
    played.push_back(ms(beat->sentAt - click.played));
    if (const auto* heard = firstAfter(oscBeats, w, within)) osc.push_back(ms(*heard - w));
    if (const auto* lit = firstAfter(flashes, w, within)) sacn.push_back(ms(*lit - w));
    if (arrival != nullptr) {
      captured.push_back(ms(*arrival - click.played));
      detection.push_back(ms(beat->sentAt - *arrival));
      if (beat->sentAt - *arrival <= std::chrono::milliseconds(20)) ++firstTick;
    }
  }
  std::printf("%s: %zu clicks written through a %d ms playback buffer, %zu beats, %d clicks without a beat\n",
              outputs ? "with sACN on 4 universes, OSC, Link and a flash" : "without outputs", written.size(),
              bufferMs, beats.size(), missed);
  printSpread("write -> beat message", total);
  if (outputs) {
    printSpread("write -> OSC /tactolo/beat received", osc);
    printSpread("write -> sACN flash received", sacn);
  }
  printSpread("write -> played by the sink", playback);
  printSpread("played -> beat message", played);
  printSpread("played -> in the capture", captured);
  printSpread("in the capture -> beat message", detection);
  std::printf("  beats on the first tick after the click arrived: %d of %zu\n", firstTick, detection.size());
  printSpread("round of the event loop", rounds);
  const bool complete = !outputs || (osc.size() == total.size() && sacn.size() == total.size());
  return missed > 0 || total.size() < 50 || !complete ? 1 : 0;
}

int benchCpu(const PulseServer& server, int seconds, int playerBufferMs, const char* kind, bool outputs) {
  // Clicks, as many as it takes, written as a player writes: a quarter of
  // its buffer whenever that much is free.
  const auto pieceFrames =
      std::max<std::size_t>(kClickPieceFrames, static_cast<std::size_t>(kRate * playerBufferMs / 4000));
  ClickWriter player(server, 1 << 20, playerBufferMs, pieceFrames);
  player.start();

  // The project and the device store go to a folder of the run's own.
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("tactolo-live-bench-" + std::to_string(::getpid())))
          .string();
  std::vector<std::string> args{TACTOLO_BINARY, "live",
                                "--device",     "Monitor of",
                                "--duration",   std::to_string(seconds),
                                "--project",    folder + "/bench.json"};
  OutputProbe receiver;
  if (outputs) {
    for (const std::string arg :
         {"--universes", "4", "--sacn-to", "127.0.0.1", "--flash", "1=255/100", "--link", "--osc-to"}) {
      args.push_back(arg);
    }
    args.push_back("127.0.0.1:" + std::to_string(receiver.oscPort()));
  } else {
    args.insert(args.end(), {"--dmx", "none"});
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment;
  for (const std::string& entry : server.clientEnvironment()) {
    if (entry.rfind("XDG_", 0) != 0) environment.push_back(entry);
  }
  environment.push_back("XDG_CONFIG_HOME=" + folder);
  std::vector<char*> envp;
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const auto begin = Clock::now();
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
    throw std::runtime_error("cannot run tactolo live");
  }
  posix_spawn_file_actions_destroy(&actions);
  // The sink has been idle until now, rendering 2 s at a time: once the
  // capture is there, it goes on at the pace its streams ask for.
  for (int i = 0; i < 500 && server.run("pactl list short source-outputs").empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  server.wakeSink("vsink");
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double wallS = std::chrono::duration<double>(Clock::now() - begin).count();
  const double cpuS = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  std::filesystem::remove_all(folder);
  std::printf(
      "cpu (%s, player buffer %d ms, %s): tactolo live for %d s: %.3f s CPU (user %.3f, system %.3f) over "
      "%.2f s wall = %.2f %% of one core; %zu OSC beats received; exit status %d\n",
      kind, playerBufferMs, outputs ? "sACN on 4 universes, OSC, Link" : "no DMX output", seconds, cpuS,
      static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6,
      static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6, wallS, 100.0 * cpuS / wallS,
      receiver.beats().size(), WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int clicks = 100;
  int seconds = 30;
  int bufferMs = 5;
  bool latency = true, cpu = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--clicks" && i + 1 < argc) {
      clicks = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--player-buffer-ms" && i + 1 < argc) {
      bufferMs = std::clamp(std::atoi(argv[++i]), 1, 2000);
    } else if (arg == "--cpu-seconds" && i + 1 < argc) {
      seconds = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--latency-only") {
      cpu = false;
    } else if (arg == "--cpu-only") {
      latency = false;
    } else {
      std::fprintf(stderr,
                   "usage: %s [--clicks N] [--player-buffer-ms MS] [--cpu-seconds S] [--latency-only | "
                   "--cpu-only]\n",
                   argv[0]);
      return 2;
    }
  }
  try {
    const auto startServer = [](bool memfd) {
      std::string why;
      auto server = PulseServer::start(why, "", memfd);
      if (server == nullptr) throw std::runtime_error("no sound server: " + why);
      return server;
    };
    int status = 0;
    if (latency) {
      status |= benchShow(*startServer(false), clicks, bufferMs, true);
      status |= benchShow(*startServer(false), clicks, bufferMs, false);
    }
    if (cpu) {
      // A music player's buffer, on both kinds of server; then a player that
      // asks for a small buffer (a game, a browser), which makes the sink and
      // its monitor deliver small blocks, each of which wakes the capture;
      // then the outputs on.
      status |= benchCpu(*startServer(false), seconds, 200, "shared memory", false);
      status |= benchCpu(*startServer(true), seconds, 200, "memfd", false);
      status |= benchCpu(*startServer(true), seconds, 10, "memfd", false);
      status |= benchCpu(*startServer(true), seconds, 200, "memfd", true);
    }
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tactolo_live_bench: %s\n", e.what());
    return 1;
  }
}
