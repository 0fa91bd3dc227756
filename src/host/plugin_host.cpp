#include "host/plugin_host.h"

#include <stdexcept>

#include "platform/headless_host.h"

namespace tactolo::host {

namespace {

constexpr const char* kMain = "TactoloMain";

/// The value of a call the host relies on; a failure ends it with the
/// plug-in's message.
template <class T>
T require(HostResult<T> result, const std::string& what) {
  if (!result.ok) throw std::runtime_error(what + ": " + result.error);
  return std::move(result.value);
}

/// The indicator's colours (red in the low byte), bright while beat output
/// is on and dim while it is off: green for a detected beat, red for a
/// generated one, blue for the sync button's.
BeatKind kindShown(int64_t color) {
  switch (color) {
    case 0x00E600:
    case 0x009600:
      return BeatKind::Detected;
    case 0x0000E6:
    case 0x000096:
      return BeatKind::Generated;
    case 0xFA6464:
    case 0x960000:
      return BeatKind::Manual;
    default:
      throw std::runtime_error("the plug-in sent a beat message without showing a beat");
  }
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool containsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < part.size() && lowerAscii(text[at + i]) == lowerAscii(part[i])) ++i;
    if (i == part.size()) return true;
  }
  return false;
}

/// Beat messages as they come: each one's time, until the host hands them
/// on. Room for a burst is made once, so that a message allocates nothing.
class BeatMessages final : public IMessages {
 public:
  explicit BeatMessages(const Clock& clock) : clock_(clock) {
    pending.reserve(16);
    delivering.reserve(16);
  }
  HostStatus Send(int32_t /*code*/, int16_t /*value1*/, int16_t /*value2*/) override {
    pending.push_back({clock_.nowMs(), std::chrono::steady_clock::now()});
    return hostOk();
  }

  struct Sent {
    TimeMs clockMs;
    std::chrono::steady_clock::time_point sentAt;
  };
  std::vector<Sent> pending;
  /// The messages being handed on; `pending` gathers those sent meanwhile.
  std::vector<Sent> delivering;
  bool busy = false;

 private:
  const Clock& clock_;
};

}  // namespace

std::optional<int32_t> findEntry(const std::vector<std::string>& entries, std::string_view wanted) {
  const bool digits = !wanted.empty() && wanted.find_first_not_of("0123456789") == std::string_view::npos;
  if (digits) {
    if (wanted.size() > 9) return std::nullopt;
    const auto position = std::stoul(std::string(wanted));
    if (position >= entries.size()) return std::nullopt;
    return static_cast<int32_t>(position);
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == wanted) return static_cast<int32_t>(i);
  }
  std::optional<int32_t> found;
  for (std::size_t i = 0; i < entries.size() && !wanted.empty(); ++i) {
    if (!containsIgnoringCase(entries[i], wanted)) continue;
    if (found) return std::nullopt;
    found = static_cast<int32_t>(i);
  }
  return found;
}

/// The helper object: the front end's settings, DMX stream, project and
/// translator (texts as given without one), beat messages kept until they
/// are handed on.
class PluginHost::Helper final : public ILMQPluginHelper {
 public:
  Helper(const Clock& clock, HelperParts parts) : messages(clock), parts_(parts) {}
  ISettings* Settings() override { return &parts_.settings; }
  IMessages* Messages() override { return &messages; }
  IMyStream* MyStream() override { return &parts_.stream; }
  ITranslator* Translator() override {
    return parts_.translator != nullptr ? parts_.translator : &translator;
  }
  IProject* Project() override { return &parts_.project; }

  BeatMessages messages;
  HeadlessTranslator translator;

 private:
  HelperParts parts_;
};

PluginHost::PluginHost(const std::string& pluginPath, const std::string& title, EventClock& clock,
                       CaptureLibrary& capture, DialogService& dialogs, HelperParts parts,
                       const SystemColors* colors)
    : clock_(clock), helper_(std::make_shared<Helper>(clock, parts)), library_(pluginPath) {
  try {
    plugin_ = library_.create(PlatformServices{&clock_, &capture, &dialogs, colors});
    automation_ = library_.automation();
    std::string callingTitle = title;
    std::string file = pluginPath;
    require(plugin_->Init(callingTitle, file, helper_), "the plug-in refused Init");
    const auto info = require(plugin_->ModuleInfo(), "the plug-in gave no module information");
    window_ = info->toolWindow;
    tool_ = info->projectTool;
    commands_ = info->commandServer;
    if (window_ == nullptr || tool_ == nullptr || commands_ == nullptr) {
      throw std::runtime_error("the plug-in has no main window or command server");
    }
  } catch (...) {
    shutdown();
    throw;
  }
  // Each event's beats go on once it has run to its end.
  clock_.setAfterEvent([this] { deliverBeats(); });
}

PluginHost::~PluginHost() { shutdown(); }

IPluginAutomation& PluginHost::automation() {
  if (automation_ == nullptr) throw std::runtime_error("the host has shut the plug-in down");
  return *automation_;
}

ICommandServer& PluginHost::commands() {
  if (commands_ == nullptr) throw std::runtime_error("the host has shut the plug-in down");
  return *commands_;
}

void PluginHost::loadWindow(bool show) {
  if (window_ == nullptr) throw std::runtime_error("the host has shut the plug-in down");
  require(window_->loadWindow(), "the main window did not load");
  if (show) require(window_->showWindow(), "the main window cannot be shown");
}

void PluginHost::showWindow(bool shown) {
  if (window_ == nullptr) throw std::runtime_error("the host has shut the plug-in down");
  if (shown) {
    require(window_->showWindow(), "the main window cannot be shown");
  } else {
    require(window_->hideWindow(), "the main window cannot be hidden");
  }
}

void PluginHost::configure() {
  if (plugin_ == nullptr) throw std::runtime_error("the host has shut the plug-in down");
  require(plugin_->Configure(), "Configure");
}

std::string PluginHost::loadProjectData() {
  if (tool_ == nullptr) return "the host has shut the plug-in down";
  const HostStatus loaded = tool_->LoadProjectData();
  return loaded.ok ? std::string() : loaded.error;
}

std::string PluginHost::saveProjectData() {
  if (tool_ == nullptr) return "the host has shut the plug-in down";
  const HostStatus saved = tool_->SaveProjectData();
  return saved.ok ? std::string() : saved.error;
}

HostStatus PluginHost::executeCommand(const std::string& first, const std::string& second, int32_t value) {
  std::string firstSelection = first;
  std::string secondSelection = second;
  std::shared_ptr<IHostObject> stream;
  std::shared_ptr<IHostObject> additional;
  const HostStatus done =
      commands().ExecuteCommand(firstSelection, secondSelection, value, stream, additional);
  deliverBeats();
  return done;
}

namespace {

std::vector<CommandOption> optionsOf(const CommandOptions& options) {
  std::vector<CommandOption> listed;
  for (const CommandOptions::Entry& entry : options.entries()) listed.push_back({entry.key, entry.text});
  return listed;
}

}  // namespace

std::vector<CommandOption> PluginHost::firstOptions() {
  const auto options = require(commands().GetFirstOptions(), "GetFirstOptions");
  return options ? optionsOf(*options) : std::vector<CommandOption>{};
}

std::vector<CommandOption> PluginHost::secondOptions(const std::string& first) {
  std::string selection = first;
  const auto options = require(commands().GetSecondOptions(selection), "GetSecondOptions");
  return options ? optionsOf(*options) : std::vector<CommandOption>{};
}

std::vector<std::string> PluginHost::entries(const std::string& list) {
  const auto count = require(automation().controlProperty(kMain, {list}, "listcount", {}), list).integer;
  std::vector<std::string> names;
  for (int32_t i = 0; i < count; ++i) {
    names.push_back(require(automation().controlProperty(kMain, {list}, "list", i), list).text);
  }
  return names;
}

int32_t PluginHost::selected(const std::string& list) {
  return static_cast<int32_t>(property(list, "listindex").integer);
}

std::optional<std::string> PluginHost::selectedText(const std::string& list) {
  const int32_t position = selected(list);
  if (position < 0) return std::nullopt;
  return require(automation().controlProperty(kMain, {list}, "list", position), list).text;
}

void PluginHost::select(const std::string& list, int32_t position) {
  require(automation().select(kMain, {list}, position), list);
}

void PluginHost::slide(const std::string& slider, int32_t value) {
  require(automation().slide(kMain, {slider}, value), slider);
}

void PluginHost::click(const std::string& control) { require(automation().click(kMain, {control}), control); }

bool PluginHost::capturing() { return state("Recording").integer != 0; }

bool PluginHost::start() {
  if (capturing()) return true;
  require(executeCommand("Tactolo On", "do", 0), "Tactolo On");
  if (!capturing()) return false;
  if (!started_) startedMs_ = clock_.nowMs();
  started_ = true;
  return true;
}

void PluginHost::stop() {
  if (capturing()) require(executeCommand("Tactolo Off", "do", 0), "Tactolo Off");
}

AutomationValue PluginHost::state(const std::string& name) {
  return require(automation().state(name), name).value;
}

AutomationValue PluginHost::property(const std::string& control, const std::string& name) {
  return require(automation().controlProperty(kMain, {control}, name, {}), control);
}

void PluginHost::deliverBeats() {
  BeatMessages& messages = helper_->messages;
  if (messages.pending.empty() || messages.busy || automation_ == nullptr) return;
  // The event that sent them has run to its end: the window shows the tempo
  // measured with the last of them, and the indicator its kind.
  BeatEvent beat;
  beat.bpm = property("bpmLabel", "caption").text;
  beat.kind = kindShown(property("beatShape", "backcolor").integer);
  // A sink may reach the plug-in again (a command), which may send more:
  // those wait for the next call.
  messages.busy = true;
  messages.delivering.swap(messages.pending);
  try {
    for (const auto& sent : messages.delivering) {
      beat.clockMs = sent.clockMs;
      beat.sentAt = sent.sentAt;
      if (onBeat_) onBeat_(beat);
    }
  } catch (...) {
    messages.delivering.clear();
    messages.busy = false;
    throw;
  }
  messages.delivering.clear();
  messages.busy = false;
}

std::vector<std::string> PluginHost::takeEventErrors() {
  return require(automation().takeEventErrors(), "event errors");
}

std::vector<std::string> PluginHost::finish(bool saveProject) {
  std::vector<std::string> failures;
  if (ended_) return failures;
  const auto attempt = [&](const std::string& what, const std::function<std::string()>& step) {
    try {
      if (std::string failed = step(); !failed.empty()) failures.push_back(what + ": " + failed);
    } catch (const std::exception& e) {
      failures.push_back(what + ": " + e.what());
    }
  };
  attempt("Tactolo Off", [&] {
    if (!capturing()) return std::string();
    const HostStatus stopped = executeCommand("Tactolo Off", "do", 0);
    return stopped.ok ? std::string() : stopped.error;
  });
  if (saveProject) attempt("SaveProjectData", [&] { return saveProjectData(); });
  attempt("unloadWindow", [&] {
    const auto unloaded = window_->unloadWindow();
    return unloaded.ok ? std::string() : unloaded.error;
  });
  attempt("Term", [&] {
    const auto ended = plugin_->Term();
    return ended.ok ? std::string() : ended.error;
  });
  if (std::string ended = shutdown(); !ended.empty()) failures.push_back(ended);
  return failures;
}

std::string PluginHost::shutdown() {
  if (ended_) return {};
  ended_ = true;
  clock_.setAfterEvent({});
  // The library's objects go before the module ends; the library closes
  // with this object, the platform services only after it.
  commands_.reset();
  tool_.reset();
  window_.reset();
  automation_.reset();
  plugin_.reset();
  const HostStatus ended = library_.shutdown();
  return ended.ok ? std::string() : ended.error;
}

}  // namespace tactolo::host
