// tactolo-desktop on a private sound server: how long it takes from the
// start to the windows shown, and whether drawing the windows delays the
// plug-in's ticks.
//
//   tactolo_desktop_bench [--seconds S]      (60 by default)
//
// Run it on a display (`xvfb-run -a -s "-screen 0 1280x900x24"
// build/bench/tactolo_desktop_bench`) or on Qt's offscreen platform. A click
// track plays at 120 BPM into the server's null sink, and the show listens to
// its monitor with the simple sound-energy method, a VU layout of eight
// points, a flash and a chase, so that the indicator, the level preview, the
// beat log and the DMX monitor all change while it runs.
//
// Start-up: from before the QApplication is made to the first paint of the
// host window and of the tool window (the plug-in library loaded, Init, the
// main window loaded, the project loaded).
//
// Ticks: the same show for S seconds twice, on the same QtClock on Qt's
// event loop: once headless (no window), once in tactolo-desktop's window
// with the tool window shown and the DMX monitor open. For every round of
// the clock's events: how late it began after its event was due, and how
// long it ran (the events, the beats handed on, the universes sent and shown
// in the monitor).
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/pulse_capture.h"
#include "audio/pulse_server.h"
#include "host/project_paths.h"
#include "host/show_session.h"
#include "live/click_track.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "qt/desktop_window.h"
#include "qt/dmx_monitor_view.h"
#include "qt/qt_clock.h"
#include "qt/qt_colors.h"
#include "qt/qt_dialogs.h"

namespace {

using SteadyClock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double ms(SteadyClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

/// Nearest-rank percentile of `values` (sorted here).
double percentile(std::vector<double> values, double p) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
  return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

void printSpread(const char* what, const std::vector<double>& values) {
  std::printf("  %-28s median %6.3f ms   p99 %6.3f ms   max %7.3f ms   (n=%zu)\n", what,
              percentile(values, 50), percentile(values, 99), percentile(values, 100), values.size());
}

/// The rounds of the clock, as the program's after-round hook sees them.
struct Rounds {
  std::vector<double> late;
  std::vector<double> duration;
  void record(const tactolo::qt::QtClock& clock) {
    const auto& round = clock.lastRound();
    late.push_back(ms(round.late));
    duration.push_back(ms(SteadyClock::now() - round.began));
  }
};

/// Counts a widget's paints.
class PaintCounter final : public QObject {
 public:
  using QObject::QObject;
  int paints = 0;
  SteadyClock::time_point first{};

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      if (paints++ == 0) first = SteadyClock::now();
    }
    return false;
  }
};

/// A mono VU layout of eight points on channels 101..108.
std::string eightPoints() {
  std::string text = "Bench\nFalse\n8\n";
  for (int row = 0; row < 2; ++row) {
    for (int point = 0; point < 16; ++point) {
      const int channel = row == 0 && point < 8 ? 101 + point : 0;
      text += "True\nTrue\n255\n0\n0\n0\n" + std::to_string(channel) + "\n0\n0\n0\n";
    }
  }
  return text;
}

void runFor(int seconds) {
  QEventLoop loop;
  QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--seconds") seconds = std::max(1, std::atoi(argv[++i]));
  }
  if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  std::string why;
  const auto server = tactolo::testing::PulseServer::start(why);
  if (server == nullptr) {
    std::fprintf(stderr, "tactolo_desktop_bench: no sound server: %s\n", why.c_str());
    return 1;
  }
  const fs::path folder = fs::temp_directory_path() / ("tactolo-desktop-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "bench.vuconf") << eightPoints();
  std::ofstream(folder / "bench.json") << R"({"format": 1, "settings": {"TactoloMain_AlgorithmIndex": "1"},
    "outputs": {"dmx": "none"},
    "actions": [{"kind": "flash", "holdMs": 150, "channels": [{"channel": 1, "value": 255}, {"channel": 2, "value": 255}]},
                {"kind": "chase", "steps": [[{"channel": 3, "value": 255}], [{"channel": 4, "value": 255}]]}]})";
  const auto paths = tactolo::host::ProjectPaths::forFile((folder / "bench.json").string());

  const SteadyClock::time_point begin = SteadyClock::now();
  QApplication app(argc, argv);
  tactolo::qt::QtSystemColors colors;
  tactolo::qt::QtClock clock;
  tactolo::PulseCaptureLibrary capture(server->address());
  tactolo::HeadlessDialogs headless;
  tactolo::qt::QtDialogService dialogs(colors);
  dialogs.setAnswerer(&headless);
  tactolo::HeadlessTranslator translator;
  tactolo::qt::QtDesktopPrompts prompts;
  tactolo::testing::SinkPlayer player(*server, "vsink", tactolo::testing::clickLoop(0.9));
  int status = 0;
  {
    // The desktop: start-up, then the ticks with the windows shown.
    auto window = std::make_unique<tactolo::qt::DesktopWindow>(tactolo::qt::DesktopServices{
        TACTOLO_PLUGIN_LIBRARY, clock, capture, dialogs, colors, translator, prompts,
        (folder / "desktop.conf").string(), (folder / "devices.json").string()});
    PaintCounter hostPaints, toolPaints, monitorPaints;
    window->installEventFilter(&hostPaints);
    window->dmxMonitor()->installEventFilter(&monitorPaints);
    window->show();
    if (!window->openProject(paths)) return 1;
    window->views()->view("TactoloMain")->installEventFilter(&toolPaints);
    while (hostPaints.paints == 0 || toolPaints.paints == 0) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::printf(
        "start-up to the windows shown: host window painted after %.0f ms, tool window after %.0f ms\n",
        ms(hostPaints.first - begin), ms(toolPaints.first - begin));

    Rounds rounds;
    clock.setAfterRound([&] {
      window->afterRound();
      rounds.record(clock);
    });
    window->session()->host().click("startButton");
    server->wakeSink("vsink");
    runFor(seconds);
    clock.setAfterRound({});
    std::printf(
        "desktop, windows shown, DMX monitor open, %d s: %d beats logged, %d paints of the DMX monitor\n",
        seconds, window->beatLog()->rowCount(), monitorPaints.paints);
    printSpread("round began late", rounds.late);
    printSpread("round ran", rounds.duration);
    if (window->beatLog()->rowCount() < seconds) status = 1;
    window->closeWithoutSaving();
  }
  {
    // The same show headless, on the same clock and event loop.
    tactolo::host::OpenProject project(paths, tactolo::host::DeviceStore((folder / "devices.json").string()));
    tactolo::host::ShowSetup setup;
    setup.pluginPath = TACTOLO_PLUGIN_LIBRARY;
    setup.outputs = project.project().outputs;
    setup.actions = project.project().actions;
    tactolo::host::ShowSession session(project, setup, {clock, capture, headless}, {}, false);
    int beats = 0;
    session.show().setBeatSink([&](const tactolo::host::BeatEvent&) { ++beats; });
    Rounds rounds;
    clock.setAfterRound([&] {
      session.show().afterRound();
      rounds.record(clock);
    });
    session.host().start();
    server->wakeSink("vsink");
    runFor(seconds);
    clock.setAfterRound({});
    std::printf("headless, %d s: %d beats\n", seconds, beats);
    printSpread("round began late", rounds.late);
    printSpread("round ran", rounds.duration);
    session.endPlugin(false);
    session.closeOutputs();
    if (beats < seconds) status = 1;
  }
  fs::remove_all(folder);
  return status;
}
