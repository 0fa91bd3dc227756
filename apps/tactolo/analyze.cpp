#include "analyze.h"

#include <cstdio>
#include <ostream>
#include <stdexcept>

#include "audio/file_playback.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "plugin_library.h"
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

}  // namespace

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

  // The plug-in runs in its library as under any host. The objects it hands
  // out go (end of the block) before the library closes, and the platform
  // services only after it.
  PluginLibrary library(defaultPluginPath());
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
    require(automation->select(kMain, {"methodBox"}, options.method));
    if (options.gain) require(automation->slide(kMain, {"gainSlider"}, *options.gain));
    if (options.maxBpm) require(automation->slide(kMain, {"maxBpmSlider"}, *options.maxBpm));
    if (options.maxBpmOff) require(automation->check(kMain, {"maxBpmCheck"}, 0));
    // The beat output box starts checked with the output off: clearing and
    // checking it again turns the output on.
    require(automation->check(kMain, {"sendBeatCheck"}, 0));
    require(automation->check(kMain, {"sendBeatCheck"}, 1));

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
    // Until the audio has played to where its decoder ended, whatever length
    // a header announced.
    while (capture.playing()) {
      clock.advance(20);
      if (reported == sent.size()) continue;
      const std::string bpm = require(automation->controlProperty(kMain, {"bpmLabel"}, "caption", {})).text;
      for (; reported < sent.size(); ++reported) {
        result.beats.push_back({static_cast<double>(sent[reported].atMs) / 1000.0, bpm});
      }
    }
    result.durationSeconds = static_cast<double>(capture.decodedMs().value_or(0)) / 1000.0;
    // A file that broke off is analysed as far as it decoded.
    if (!capture.loadError().empty()) result.errors.push_back("warning: " + capture.loadError());
    require(automation->click(kMain, {"startButton"}));
    for (auto& e : require(automation->takeEventErrors())) result.errors.push_back(std::move(e));
  }
  const HostStatus ended = library.shutdown();
  if (!ended.ok) result.errors.push_back(ended.error);
  return result;
}

void printText(const AnalyzeResult& result, std::ostream& out) {
  for (const auto& beat : result.beats) out << seconds(beat.timeSeconds) << ' ' << beat.bpm << '\n';
}

void printJson(const AnalyzeOptions& options, const AnalyzeResult& result, std::ostream& out) {
  out << "{\n  \"source\": " << jsonString(options.source) << ",\n  \"method\": " << options.method
      << ",\n  \"duration\": " << seconds(result.durationSeconds) << ",\n  \"beats\": [";
  for (std::size_t i = 0; i < result.beats.size(); ++i) {
    const auto& beat = result.beats[i];
    out << (i ? ",\n    " : "\n    ") << "{\"time\": " << seconds(beat.timeSeconds)
        << ", \"bpm\": " << beat.bpm << "}";
  }
  out << (result.beats.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace tactolo::app
