#include "analyze.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <system_error>

#include "audio/file_playback.h"
#include "host/plugin_host.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
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
void provideVuLayout(host::PluginLibrary& library, const std::string& file,
                     const std::filesystem::path& folder) {
  const auto checked = library.checkVuConfig(file);
  if (!checked.ok) throw std::runtime_error("cannot use the VU layout " + file + ": " + checked.error);
  std::error_code error;
  std::filesystem::copy_file(file, folder / "layout.vuconf", error);
  if (error) throw std::runtime_error("cannot use the VU layout " + file + ": " + error.message());
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

AnalyzeSummary analyze(const AnalyzeOptions& options, AnalysisSink& sink,
                       const std::function<bool()>& stopRequested) {
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
  // The helper keeps the settings in memory and records the DMX writes with
  // their times; the host hands on the beat messages.
  HeadlessHelper helper(clock);
  // The plug-in lists VU layouts in its project's folder: a private one,
  // empty unless a layout is given.
  ProjectFolder project;
  helper.project.projectName = "analysis";
  helper.project.baseFilename = (project.path() / "analysis").string();

  // The plug-in runs in its library as under any host, and ends before the
  // platform services go.
  AnalyzeSummary summary;
  host::PluginHost host(host::defaultPluginPath(), "tactolo analyze", clock, capture, dialogs,
                        {helper.settings, helper.stream, helper.project});
  if (options.vuFile) provideVuLayout(host.library(), *options.vuFile, project.path());
  host.loadWindow();
  IPluginAutomation& automation = host.automation();

  // The controls are set as a user sets them.
  setControls(automation, options);
  // The window loaded the layout as the first of its list; the switch
  // turns VU output on.
  if (options.vuFile) {
    require(automation.check(kMain, {"SendVuCheck"}, 1));
    if (require(automation.state("SendVu")).value.integer == 0) {
      throw std::runtime_error("cannot use the VU layout " + *options.vuFile + ": it did not load");
    }
  }
  if (options.vuGain) require(automation.slide(kMain, {"VUslider"}, *options.vuGain));

  require(automation.click(kMain, {"startButton"}));
  if (require(automation.state("Recording")).value.integer == 0) {
    std::string why = dialogs.records().empty() ? "the capture did not start" : dialogs.records().back().text;
    for (auto& c : why) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    throw std::runtime_error("cannot analyse " + options.source + ": " + why);
  }

  // What the host recorded goes to the sink and is forgotten, so that
  // memory stays the same however long the audio: each beat with the DMX
  // writes before it, as soon as its event has run.
  auto& writes = helper.stream.events;
  std::size_t written = 0;
  const auto writesBefore = [&](TimeMs limitMs) {
    for (; written < writes.size() && writes[written].atMs < limitMs; ++written) {
      const auto& event = writes[written];
      if (options.dmx && !event.userInteraction)
        sink.dmx({static_cast<double>(event.atMs) / 1000.0, event.channel, event.value});
    }
  };
  const auto writesDone = [&] {
    writesBefore(std::numeric_limits<TimeMs>::max());
    writes.clear();
    written = 0;
  };
  host.setBeatSink([&](const host::BeatEvent& beat) {
    writesBefore(beat.clockMs);
    sink.beat({static_cast<double>(beat.clockMs) / 1000.0, beat.bpm, beat.kind});
  });

  bool keepPending = options.keepAtMs.has_value();
  const TimeMs keepAtMs = options.keepAtMs.value_or(0);
  // Until the audio has played to where its decoder ended, whatever length
  // a header announced, or until the run is asked to stop. Time moves from
  // one event of the plug-in's timers to the next.
  bool stopped = false;
  while (capture.playing()) {
    if (stopRequested()) {
      stopped = true;
      break;
    }
    const TimeMs now = clock.nowMs();
    TimeMs next = now + 20;
    if (const auto due = clock.nextDueMs()) next = std::min(next, std::max(*due, now + 1));
    if (keepPending) next = std::min(next, std::max(keepAtMs, now + 1));
    clock.advanceTo(next);
    if (keepPending && clock.nowMs() >= keepAtMs) {
      if (auto warning = pressKeep(automation, keepAtMs)) summary.errors.push_back(std::move(*warning));
      host.deliverBeats();
      keepPending = false;
    }
    writesDone();
  }
  if (keepPending && !stopped) {
    summary.errors.push_back("warning: keep at " + seconds(static_cast<double>(keepAtMs) / 1000.0) +
                             " s was never pressed: the audio ended before");
  }
  // The audio decoded; of a run that was stopped, the audio played so far.
  int64_t durationMs = capture.decodedMs().value_or(0);
  if (stopped) durationMs = std::min(durationMs, capture.playedMs().value_or(0));
  summary.durationSeconds = static_cast<double>(durationMs) / 1000.0;
  // A file that broke off is analysed as far as it decoded.
  if (!capture.loadError().empty()) summary.errors.push_back("warning: " + capture.loadError());
  require(automation.click(kMain, {"startButton"}));
  host.deliverBeats();
  writesDone();
  for (auto& e : host.takeEventErrors()) summary.errors.push_back(std::move(e));
  if (const std::string ended = host.shutdown(); !ended.empty()) summary.errors.push_back(ended);
  sink.end(summary.durationSeconds);
  return summary;
}

void TextPrinter::beat(const AnalyzedBeat& beat) {
  // Each beat goes out at once, with the writes before it.
  out_ << seconds(beat.timeSeconds) << ' ' << beat.bpm << ' ' << beatKindName(beat.kind) << std::endl;
}

void TextPrinter::dmx(const DmxWrite& write) {
  out_ << seconds(write.timeSeconds) << " dmx " << write.channel << ' ' << write.value << '\n';
}

namespace {

/// A file that no name leads to, in the temporary folder: it goes with the
/// process whatever ends it.
std::FILE* unnamedTemporaryFile() {
  const std::string folder = std::filesystem::temp_directory_path().string();
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    // A file system without unnamed files: a named one, unlinked at once.
    std::string name = folder + "/tactolo-dmx-XXXXXX";
    fd = ::mkstemp(name.data());
    if (fd >= 0) ::unlink(name.c_str());
  }
  std::FILE* file = fd >= 0 ? ::fdopen(fd, "w+") : nullptr;
  if (file == nullptr) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    throw std::runtime_error("cannot keep the DMX writes in a temporary file in " + folder + ": " +
                             std::strerror(error));
  }
  return file;
}

}  // namespace

JsonPrinter::JsonPrinter(const AnalyzeOptions& options, std::ostream& out)
    : out_(out),
      dmx_(options.dmx),
      head_("{\n  \"source\": " + jsonString(options.source) +
            ",\n  \"method\": " + std::to_string(options.method) + ",\n  \"beats\": [") {
  if (dmx_) spool_ = unnamedTemporaryFile();
}

void JsonPrinter::begin() {
  if (begun_) return;
  out_ << head_;
  begun_ = true;
}

JsonPrinter::~JsonPrinter() {
  if (spool_ != nullptr) std::fclose(spool_);
}

void JsonPrinter::beat(const AnalyzedBeat& beat) {
  begin();
  out_ << (beats_++ ? ",\n    " : "\n    ") << "{\"time\": " << seconds(beat.timeSeconds)
       << ", \"bpm\": " << beat.bpm << ", \"kind\": \"" << beatKindName(beat.kind) << "\"}" << std::flush;
}

void JsonPrinter::dmx(const DmxWrite& write) {
  std::fprintf(spool_, "%s{\"time\": %.3f, \"channel\": %d, \"value\": %d}", writes_++ ? ",\n    " : "\n    ",
               write.timeSeconds, write.channel, write.value);
}

void JsonPrinter::end(double durationSeconds) {
  begin();
  out_ << (beats_ ? "\n  ]" : "]");
  if (dmx_) {
    out_ << ",\n  \"dmx\": [";
    std::rewind(spool_);
    char block[8192];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, spool_)) > 0;) {
      out_.write(block, static_cast<std::streamsize>(n));
    }
    if (std::ferror(spool_))
      throw std::runtime_error("cannot read back the DMX writes from their temporary file");
    out_ << (writes_ ? "\n  ]" : "]");
  }
  out_ << ",\n  \"duration\": " << seconds(durationSeconds) << "\n}\n";
}

}  // namespace tactolo::app
