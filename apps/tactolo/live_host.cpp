#include "live_host.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <stdexcept>

#include "platform/headless_host.h"

namespace tactolo::app {

namespace {

constexpr const char* kMain = "TactoloMain";

/// The value of a call the host relies on; a failure ends it with the
/// plug-in's message.
template <class T>
T require(HostResult<T> result, const std::string& what) {
  if (!result.ok) throw std::runtime_error(what + ": " + result.error);
  return std::move(result.value);
}

/// Beat messages as they come: each one's time, until the host hands them on.
class BeatMessages final : public IMessages {
 public:
  explicit BeatMessages(const Clock& clock) : clock_(clock) {}
  HostStatus Send(int32_t /*code*/, int16_t /*value1*/, int16_t /*value2*/) override {
    pending.push_back({clock_.nowMs(), std::chrono::steady_clock::now(), {}});
    return hostOk();
  }

  std::vector<LiveBeat> pending;

 private:
  const Clock& clock_;
};

/// The DMX output is not part of the live host: channel values are taken and
/// dropped.
class DroppedStream final : public IMyStream {
 public:
  HostStatus UserInteraction() override { return hostOk(); }
  HostStatus SetChannel(int32_t /*channel*/, int32_t /*value*/, bool /*flag*/) override { return hostOk(); }
};

}  // namespace

/// The live host's helper object: settings stores in memory, beat messages
/// handed on, no DMX output.
class LiveHost::Helper final : public ILMQPluginHelper {
 public:
  explicit Helper(const Clock& clock) : messages(clock) {}
  ISettings* Settings() override { return &settings; }
  IMessages* Messages() override { return &messages; }
  IMyStream* MyStream() override { return &stream; }
  ITranslator* Translator() override { return &translator; }
  IProject* Project() override { return &project; }

  MemorySettings settings;
  BeatMessages messages;
  DroppedStream stream;
  HeadlessTranslator translator;
  FixedProject project;
};

LiveHost::LiveHost(const std::string& pluginPath, CaptureLibrary& capture, DialogService& dialogs,
                   BeatSink onBeat)
    : onBeat_(std::move(onBeat)), helper_(std::make_shared<Helper>(clock_)), library_(pluginPath) {
  try {
    plugin_ = library_.create(PlatformServices{&clock_, &capture, &dialogs});
    automation_ = library_.automation();
    std::string title = "tactolo live";
    std::string file = pluginPath;
    require(plugin_->Init(title, file, helper_), "the plug-in refused Init");
    window_ = require(plugin_->ModuleInfo(), "the plug-in gave no module information")->toolWindow;
    if (window_ == nullptr) throw std::runtime_error("the plug-in has no main window");
    require(window_->loadWindow(), "the main window did not load");
    require(window_->showWindow(), "the main window cannot be shown");
    // The beat output box starts checked with the output off: clearing and
    // checking it again turns the output on, as a user's two clicks do.
    require(automation_->check(kMain, {"sendBeatCheck"}, 0), "sendBeatCheck");
    require(automation_->check(kMain, {"sendBeatCheck"}, 1), "sendBeatCheck");
  } catch (...) {
    shutdown();
    throw;
  }
}

LiveHost::~LiveHost() { shutdown(); }

std::vector<std::string> LiveHost::entries(const std::string& list) {
  const auto count = require(automation().controlProperty(kMain, {list}, "listcount", {}), list).integer;
  std::vector<std::string> names;
  for (int32_t i = 0; i < count; ++i) {
    names.push_back(require(automation().controlProperty(kMain, {list}, "list", i), list).text);
  }
  return names;
}

int32_t LiveHost::selected(const std::string& list) {
  return static_cast<int32_t>(
      require(automation().controlProperty(kMain, {list}, "listindex", {}), list).integer);
}

void LiveHost::select(const std::string& list, int32_t position) {
  require(automation().select(kMain, {list}, position), list);
}

void LiveHost::slide(const std::string& slider, int32_t value) {
  require(automation().slide(kMain, {slider}, value), slider);
}

IPluginAutomation& LiveHost::automation() {
  if (automation_ == nullptr) throw std::runtime_error("the live host has shut the plug-in down");
  return *automation_;
}

bool LiveHost::capturing() {
  return require(automation().state("Recording"), "Recording").value.integer != 0;
}

bool LiveHost::start() {
  if (capturing()) return true;
  require(automation().click(kMain, {"startButton"}), "startButton");
  if (!capturing()) return false;
  startedMs_ = clock_.nowMs();
  return true;
}

void LiveHost::stop() {
  if (capturing()) require(automation().click(kMain, {"startButton"}), "startButton");
}

void LiveHost::deliverBeats() {
  auto& pending = helper_->messages.pending;
  if (pending.empty()) return;
  // The event that sent them has run to its end: the window shows the tempo
  // measured with the last of them.
  const std::string bpm =
      require(automation().controlProperty(kMain, {"bpmLabel"}, "caption", {}), "bpmLabel").text;
  for (auto& beat : pending) {
    beat.bpm = bpm;
    if (onBeat_) onBeat_(beat);
  }
  pending.clear();
}

LiveHost::Wake LiveHost::run(std::optional<TimeMs> deadlineMs, int wakeFd,
                             const std::function<bool()>& until) {
  const bool wasCapturing = capturing();
  for (;;) {
    clock_.runDue();
    deliverBeats();
    if (until && until()) return Wake::Condition;
    if (wasCapturing && !capturing()) return Wake::CaptureStopped;
    const TimeMs now = clock_.nowMs();
    if (deadlineMs && now >= *deadlineMs) return Wake::Deadline;

    // Sleep until the next event or the deadline, whichever comes first;
    // forever (-1) when neither is there.
    std::optional<TimeMs> wakeAt = clock_.nextDueMs();
    if (deadlineMs) wakeAt = wakeAt ? std::min(*wakeAt, *deadlineMs) : *deadlineMs;
    int timeoutMs = -1;
    if (wakeAt) timeoutMs = static_cast<int>(std::clamp<TimeMs>(*wakeAt - now, 0, INT_MAX));
    if (timeoutMs == 0) continue;
    pollfd wake{wakeFd, POLLIN, 0};
    const int ready = ::poll(&wake, wakeFd >= 0 ? 1 : 0, timeoutMs);
    if (ready < 0 && errno != EINTR) throw std::runtime_error("the event loop cannot wait");
    if (ready > 0) return Wake::Woken;
  }
}

std::vector<std::string> LiveHost::takeEventErrors() {
  return require(automation().takeEventErrors(), "event errors");
}

std::string LiveHost::shutdown() {
  if (ended_) return {};
  ended_ = true;
  // The library's objects go before the module ends; the library closes
  // with this object, the platform services only after it.
  window_.reset();
  automation_.reset();
  plugin_.reset();
  const HostStatus ended = library_.shutdown();
  return ended.ok ? std::string() : ended.error;
}

}  // namespace tactolo::app
