#include "analyze.h"

#include <cstdio>
#include <ostream>
#include <stdexcept>

#include "audio/file_playback.h"
#include "mainwindow/tactolo_main.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "shell/plugin_module.h"
#include "text_escape.h"

namespace tactolo::app {
namespace {

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
  PluginModule module(PluginEnvironment{clock, capture, dialogs});
  module.PluginHelper().attach(helper);

  TactoloMain& main = module.mainWindow();
  MainForm& form = main.form();
  form.methodBox.setListIndex(options.method);
  if (options.gain) form.gainSlider.setValue(*options.gain);
  if (options.maxBpm) form.maxBpmSlider.setValue(*options.maxBpm);
  if (options.maxBpmOff) form.maxBpmCheck.setValue(0);
  // Beat output on, as a click on the (already checked) box would report.
  form.sendBeatCheck.setValue(1);
  main.sendBeatCheck_Click();

  form.startButton.click();
  if (!module.vars().Recording) {
    std::string why = dialogs.records().empty() ? "the capture did not start" : dialogs.records().back().text;
    for (auto& c : why) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    throw std::runtime_error("cannot analyse " + options.source + ": " + why);
  }

  AnalyzeResult result;
  std::size_t reported = 0;
  const auto& sent = helper->messages.sent;
  // Until the audio has played to where its decoder ended, whatever length
  // a header announced.
  while (capture.playing()) {
    clock.advance(20);
    for (; reported < sent.size(); ++reported) {
      result.beats.push_back({static_cast<double>(sent[reported].atMs) / 1000.0, form.bpmLabel.caption()});
    }
  }
  result.durationSeconds = static_cast<double>(capture.decodedMs().value_or(0)) / 1000.0;
  // A file that broke off is analysed as far as it decoded.
  if (!capture.loadError().empty()) result.errors.push_back("warning: " + capture.loadError());
  form.startButton.click();
  for (const auto& e : module.eventErrors()) result.errors.push_back(e);
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
