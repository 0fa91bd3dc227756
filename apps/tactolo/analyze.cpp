#include "analyze.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <system_error>

#include "audio/file_playback.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "plugin_library.h"
#include "project_folder.h"
#include "text_escape.h"

namespace tactolo::app {
namespace {

constexpr const char* kMain = "TactoloMain";

/// The value of a call the analysis relies on; a failure ends it with the
/// plug-in's message.
template <class T>
T require(HostResult<T> result) {
  if (!result.ok) throw std::runtime_error("the plug-in failed: " + result.error);
  return std::move(result.value);
}

std::string seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", s);
  return buf;
}

/// Puts the VU layout `file` into the project's folder, the only file there,
/// so that the window lists and loads it when it loads. The file is read
/// with the plug-in's own reader first: one it refuses ends the analysis.
void provideVuLayout(PluginLibrary& library, const std::string& file, const std::filesystem::path& folder) {
  const auto checked = library.checkVuConfig(file);
  if (!checked.ok) throw std::runtime_error("cannot use the VU layout " + file + ": " + checked.error);
  std::error_code error;
  std::filesystem::copy_file(file, folder / "layout.vuconf", error);
  if (error) throw std::runtime_error("cannot use the VU layout " + file + ": " + error.message());
}

/// The indicator's colours (red in the low byte) while beat output is on:
/// green for a detected beat, red for a generated one, blue for a manual one.
constexpr int64_t kDetectedColor = 0x00E600;
constexpr int64_t kGeneratedColor = 0x0000E6;
constexpr int64_t kManualColor = 0xFA6464;

BeatKind kindShown(int64_t color) {
  switch (color) {
    case kDetectedColor:
      return BeatKind::Detected;
    case kGeneratedColor:
      return BeatKind::Generated;
    case kManualColor:
      return BeatKind::Manual;
    default:
      throw std::runtime_error("the plug-in sent a beat message without showing a beat");
  }
}

/// Sets the controls the options name, as a user would: each panel's
/// controls while its method is chosen (only the chosen method's panel is on
/// the screen).
void setControls(IPluginAutomation& automation, const AnalyzeOptions& options) {
  require(automation.select(kMain, {"methodBox"}, options.method));
  if (options.band) require(automation.click(kMain, {"freqOption", *options.band}));
  if (options.sensitivity) require(automation.slide(kMain, {"senseSlider"}, *options.sensitivity));
  if (options.correction) require(automation.slide(kMain, {"correctionSlider"}, *options.correction));
  if (options.subbands) require(automation.select(kMain, {"subBandBox"}, *options.subbands));
  if (options.ranked) {
    require(automation.check(kMain, {"subBandCheck"}, 1));
    require(automation.slide(kMain, {"subBandSlider"}, *options.ranked));
  }
  if (options.gain) require(automation.slide(kMain, {"gainSlider"}, *options.gain));
  if (options.maxBpm) require(automation.slide(kMain, {"maxBpmSlider"}, *options.maxBpm));
  if (options.maxBpmOff) require(automation.check(kMain, {"maxBpmCheck"}, 0));
  if (options.doubleSpeed) require(automation.click(kMain, {"speedOption", 0}));
  if (options.half) require(automation.click(kMain, {"speedOption", 2}));
  // The beat output box starts checked with the output off: clearing and
  // checking it again turns the output on.
  require(automation.check(kMain, {"sendBeatCheck"}, 0));
  require(automation.check(kMain, {"sendBeatCheck"}, 1));
}

/// Presses "Keep this beat !"; a warning when keep mode did not start.
std::optional<std::string> pressKeep(IPluginAutomation& automation, TimeMs atMs) {
  require(automation.click(kMain, {"keepButton"}));
  if (require(automation.state("Keeping")).value.integer != 0) return std::nullopt;
  const int64_t measured = require(automation.state("MeasuredBPM")).value.integer;
  return "warning: keep at " + seconds(static_cast<double>(atMs) / 1000.0) +
         " s did nothing: the last tempo measured was " + std::to_string(measured) +
         " BPM, and keep takes 30 to 240";
}

}  // namespace

const char* beatKindName(BeatKind kind) {
  switch (kind) {
    case BeatKind::Detected:
      return "detected";
    case BeatKind::Generated:
      return "generated";
    case BeatKind::Manual:
      return "manual";
  }
  return "?";
}

AnalyzeResult analyze(const AnalyzeOptions& options) {
  // A file is streamed as the clock plays it; a generated source is made
  // whole when the device is first opened.
  VirtualClock clock;
  FilePlaybackLibrary capture(
      clock, {PlaybackDevice::fromSource(options.source, options.source, options.generatedSeconds)});
  // Opening the device once first reports a bad source as itself, not as a
  // capture that would not start. The device keeps its source open, so that
  // standard input is read once.
  if (!capture.RecordInit(0)) {
    throw std::runtime_error(capture.loadError());
  }
  capture.RecordFree();
  HeadlessDialogs dialogs;
  auto helper = std::make_shared<HeadlessHelper>(clock);
  // The plug-in lists VU layouts in its project's folder: a private one,
  // empty unless a layout is given.
  ProjectFolder project;
  helper->project.projectName = "analysis";
  helper->project.baseFilename = (project.path() / "analysis").string();

  // The plug-in runs in its library as under any host. The objects it hands
  // out go (end of the block) before the library closes, and the platform
  // services only after it.
  PluginLibrary library(defaultPluginPath());
  if (options.vuFile) provideVuLayout(library, *options.vuFile, project.path());
  AnalyzeResult result;
  {
    auto plugin = library.create(PlatformServices{&clock, &capture, &dialogs});
    auto automation = library.automation();
    std::string title = "tactolo analyze";
    std::string file = options.source;
    require(plugin->Init(title, file, helper));
    auto window = require(plugin->ModuleInfo())->toolWindow;
    require(window->loadWindow());
    require(window->showWindow());

    // The controls are set as a user sets them.
    setControls(*automation, options);
    // The window loaded the layout as the first of its list; the switch
    // turns VU output on.
    if (options.vuFile) {
      require(automation->check(kMain, {"SendVuCheck"}, 1));
      if (require(automation->state("SendVu")).value.integer == 0) {
        throw std::runtime_error("cannot use the VU layout " + *options.vuFile + ": it did not load");
      }
    }
    if (options.vuGain) require(automation->slide(kMain, {"VUslider"}, *options.vuGain));

    require(automation->click(kMain, {"startButton"}));
    if (require(automation->state("Recording")).value.integer == 0) {
      std::string why =
          dialogs.records().empty() ? "the capture did not start" : dialogs.records().back().text;
      for (auto& c : why) {
        if (c == '\r' || c == '\n') c = ' ';
      }
      throw std::runtime_error("cannot analyse " + options.source + ": " + why);
    }

    std::size_t reported = 0;
    const auto& sent = helper->messages.sent;
    bool keepPending = options.keepAtMs.has_value();
    const TimeMs keepAtMs = options.keepAtMs.value_or(0);
    // Until the audio has played to where its decoder ended, whatever length
    // a header announced. Time moves from one event of the plug-in's timers
    // to the next, so that each beat message is read with the indicator and
    // the tempo its own event left.
    while (capture.playing()) {
      const TimeMs now = clock.nowMs();
      TimeMs next = now + 20;
      if (const auto due = clock.nextDueMs()) next = std::min(next, std::max(*due, now + 1));
      if (keepPending) next = std::min(next, std::max(keepAtMs, now + 1));
      clock.advanceTo(next);
      if (keepPending && clock.nowMs() >= keepAtMs) {
        if (auto warning = pressKeep(*automation, keepAtMs)) result.errors.push_back(std::move(*warning));
        keepPending = false;
      }
      if (reported == sent.size()) continue;
      const std::string bpm = require(automation->controlProperty(kMain, {"bpmLabel"}, "caption", {})).text;
      const BeatKind kind =
          kindShown(require(automation->controlProperty(kMain, {"beatShape"}, "backcolor", {})).integer);
      for (; reported < sent.size(); ++reported) {
        result.beats.push_back({static_cast<double>(sent[reported].atMs) / 1000.0, bpm, kind});
      }
    }
    if (keepPending) {
      result.errors.push_back("warning: keep at " + seconds(static_cast<double>(keepAtMs) / 1000.0) +
                              " s was never pressed: the audio ended before");
    }
    result.durationSeconds = static_cast<double>(capture.decodedMs().value_or(0)) / 1000.0;
    // A file that broke off is analysed as far as it decoded.
    if (!capture.loadError().empty()) result.errors.push_back("warning: " + capture.loadError());
    require(automation->click(kMain, {"startButton"}));
    for (auto& e : require(automation->takeEventErrors())) result.errors.push_back(std::move(e));
    for (const auto& e : helper->stream.events) {
      if (!e.userInteraction)
        result.dmx.push_back({static_cast<double>(e.atMs) / 1000.0, e.channel, e.value});
    }
  }
  const HostStatus ended = library.shutdown();
  if (!ended.ok) result.errors.push_back(ended.error);
  return result;
}

void printText(const AnalyzeOptions& options, const AnalyzeResult& result, std::ostream& out) {
  // In time order; within a tick the beat comes before the level pass.
  std::size_t nextWrite = 0;
  const auto writesUntil = [&](double limit) {
    for (; options.dmx && nextWrite < result.dmx.size() && result.dmx[nextWrite].timeSeconds < limit;
         ++nextWrite) {
      const DmxWrite& write = result.dmx[nextWrite];
      out << seconds(write.timeSeconds) << " dmx " << write.channel << ' ' << write.value << '\n';
    }
  };
  for (const auto& beat : result.beats) {
    writesUntil(beat.timeSeconds);
    out << seconds(beat.timeSeconds) << ' ' << beat.bpm << ' ' << beatKindName(beat.kind) << '\n';
  }
  writesUntil(std::numeric_limits<double>::infinity());
}

void printJson(const AnalyzeOptions& options, const AnalyzeResult& result, std::ostream& out) {
  out << "{\n  \"source\": " << jsonString(options.source) << ",\n  \"method\": " << options.method
      << ",\n  \"duration\": " << seconds(result.durationSeconds) << ",\n  \"beats\": [";
  for (std::size_t i = 0; i < result.beats.size(); ++i) {
    const auto& beat = result.beats[i];
    out << (i ? ",\n    " : "\n    ") << "{\"time\": " << seconds(beat.timeSeconds)
        << ", \"bpm\": " << beat.bpm << ", \"kind\": \"" << beatKindName(beat.kind) << "\"}";
  }
  out << (result.beats.empty() ? "]" : "\n  ]");
  if (options.dmx) {
    out << ",\n  \"dmx\": [";
    for (std::size_t i = 0; i < result.dmx.size(); ++i) {
      const DmxWrite& write = result.dmx[i];
      out << (i ? ",\n    " : "\n    ") << "{\"time\": " << seconds(write.timeSeconds)
          << ", \"channel\": " << write.channel << ", \"value\": " << write.value << "}";
    }
    out << (result.dmx.empty() ? "]" : "\n  ]");
  }
  out << "\n}\n";
}

}  // namespace tactolo::app
