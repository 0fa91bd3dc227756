#include "live.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <optional>
#include <ostream>
#include <stdexcept>

#include "audio/pulse_capture.h"
#include "cli_values.h"
#include "host/beat_actions.h"
#include "host/dmx_monitor.h"
#include "host/json_fields.h"
#include "host/poll_loop.h"
#include "host/project_settings.h"
#include "host/show.h"
#include "host/show_session.h"
#include "host/stored_file.h"
#include "live_status.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "platform/timers.h"
#include "text_escape.h"

namespace tactolo::app {

namespace {

constexpr int kOutputFailed = 1;
constexpr int kBadOption = 2;
constexpr const char* kMain = "TactoloMain";
/// How often the status is read: the status line's redraws, the changes
/// printed elsewhere, the plug-in's event errors.
constexpr int32_t kStatusPeriodMs = 100;

/// Message boxes go to standard error, one line each; every dialog gets the
/// answer a user gives who only wants it gone (the first button, cancel).
class StderrDialogs final : public DialogService {
 public:
  using Say = std::function<void(const std::string&)>;
  explicit StderrDialogs(Say say) : say_(std::move(say)) {}

  DialogAnswer messageBox(const std::string& text, const std::string& /*title*/, MessageIcon /*icon*/,
                          MessageButtons buttons) override {
    // "Can't start recording\r\n\r\nerror code: 3" reads
    // "Can't start recording: error code: 3".
    std::string line;
    std::size_t begin = 0;
    while (begin <= text.size()) {
      const std::size_t end = std::min(text.find_first_of("\r\n", begin), text.size());
      if (end > begin) line += (line.empty() ? "" : ": ") + text.substr(begin, end - begin);
      begin = end + 1;
    }
    say_(line);
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? DialogAnswer::Yes
                                                                                      : DialogAnswer::Ok;
  }
  std::optional<std::string> fileSave(const FileSaveRequest& /*request*/) override { return std::nullopt; }
  std::optional<uint32_t> chooseColor(uint32_t /*initialColor*/) override { return std::nullopt; }
  // No user works a form shown modal in a headless run: the wait ends at once.
  void modalWait(const std::function<bool()>& /*shown*/) override {}

 private:
  Say say_;
};

std::string seconds(TimeMs ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(ms) / 1000.0);
  return text;
}

/// SIGINT, SIGTERM and SIGHUP (the terminal closed), blocked in every
/// thread from now on (the threads of libpulse, the outputs and Link start
/// later and inherit the mask) and readable from a file descriptor, so that
/// the event loop wakes on them and ends cleanly. SIGHUP stays ignored when
/// it was (nohup).
class EndSignals {
 public:
  EndSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    struct sigaction hangUp {};
    if (::sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN) sigaddset(&set_, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
    fd_ = ::signalfd(-1, &set_, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ < 0) throw std::runtime_error("cannot wait for SIGINT, SIGTERM and SIGHUP");
  }
  ~EndSignals() { ::close(fd_); }
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  int fd() const { return fd_; }
  /// The signal that arrived; 0 when none waits.
  int take() {
    signalfd_siginfo info{};
    return ::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)
               ? static_cast<int>(info.ssi_signo)
               : 0;
  }

  /// From now on (the exit under way), a further signal ends the process at
  /// once, as it would without a handler, except while a file is being
  /// written (hold()): then it ends it right after.
  void endAtOnce() {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      if (sigismember(&set_, signal) == 1) ::sigaction(signal, &fallback, nullptr);
    }
    pthread_sigmask(SIG_UNBLOCK, &set_, nullptr);
  }
  /// While a Hold lives, a signal waits: nothing is left written in half.
  class Hold {
   public:
    explicit Hold(const sigset_t& set) : set_(set) { pthread_sigmask(SIG_BLOCK, &set_, nullptr); }
    ~Hold() { pthread_sigmask(SIG_UNBLOCK, &set_, nullptr); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    const sigset_t& set_;
  };
  Hold hold() const { return Hold(set_); }

 private:
  sigset_t set_;
  int fd_ = -1;
};

/// Picks the entry of `list` that `wanted` names (see findEntry); a bad
/// option when there is none.
void choose(host::PluginHost& host, const std::string& list, const std::string& option,
            const std::string& what, const std::string& wanted) {
  const auto position = host::findEntry(host.entries(list), wanted);
  if (!position) {
    throw OptionValueError(option + ": no " + what + " '" + wanted +
                           "' (tactolo live --list-devices lists the devices)");
  }
  if (*position != host.selected(list)) host.select(list, *position);
}

/// The text of the selected entry of `list`, quoted, or "(none)".
std::string selectedText(host::PluginHost& host, const std::string& list) {
  const auto text = host.selectedText(list);
  return text ? "\"" + escapeLine(*text) + "\"" : "(none)";
}

/// The project's outputs and actions with what the options set.
void applyOptions(const LiveOptions& o, host::OutputSettings& out, std::vector<host::BeatAction>& actions) {
  if (o.dmx) out.dmx = *o.dmx;
  if (o.universes) out.universes = *o.universes;
  if (o.sacnTo) out.sacn.unicastTargets = *o.sacnTo;
  if (o.sacnUniverse) out.sacn.firstUniverse = *o.sacnUniverse;
  if (o.sacnPriority) out.sacn.priority = *o.sacnPriority;
  if (o.sacnName) out.sacn.sourceName = *o.sacnName;
  if (o.olaUniverse) out.ola.firstUniverse = *o.olaUniverse;
  if (o.oscTo) out.osc.sendTo = *o.oscTo;
  if (o.oscPort) out.osc.listenPort = *o.oscPort;
  if (o.link) out.link = true;
  if (o.flash) actions = {*o.flash};
}

/// The plug-in's settings that the options set: these keys get back their
/// project values at the save, unless the options are to be kept.
struct SetKeys {
  std::vector<std::string> general;
  std::vector<std::string> device;
};
SetKeys keysSetBy(const LiveOptions& o) {
  SetKeys keys;
  const std::string main = kMain;
  if (o.device) {
    for (const char* suffix : {"_DeviceIndex", "_DeviceName"}) keys.device.push_back(main + suffix);
  }
  if (o.device || o.input) {
    for (const char* suffix : {"_InputIndex", "_InputName"}) keys.device.push_back(main + suffix);
  }
  if (o.method) keys.general.push_back(main + "_AlgorithmIndex");
  if (o.gain) keys.general.push_back(main + "_GainValue");
  return keys;
}

void restoreKeys(const std::vector<std::string>& keys, const std::map<std::string, std::string>& opened,
                 std::map<std::string, std::string>& now) {
  for (const std::string& key : keys) {
    const auto was = opened.find(key);
    if (was == opened.end()) {
      now.erase(key);
    } else {
      now[key] = was->second;
    }
  }
}

}  // namespace

LiveCommand::LiveCommand(CLI::App& app)
    : command_(app.add_subcommand(
          "live",
          "Listen to a source of the sound server with a project's settings; print each beat, drive DMX "
          "(sACN or OLA), OSC and Link, until the duration has passed or SIGINT, SIGTERM or SIGHUP")) {
  command_->add_option("--project", options_.project,
                       "Project file (JSON); default: $XDG_DATA_HOME/tactolo/default.json");
  command_->add_option("--device", options_.device,
                       "Recording device: its position in the list (0 is the first) or its name");
  command_->add_option("--input", options_.input, "Input of the device: its position or its name");
  command_->add_option("--method", method_, "Method list position 0..2");
  command_->add_option("--gain", gain_, "Gain slider position 0..100");
  command_->add_option("--input-gain", inputGain_,
                       "Input gain in dB, 0..30, applied to the captured samples");
  command_->add_option("--duration", duration_, "Seconds to listen, 1..86400 (default: until a signal)");
  command_->add_flag("--list-devices", options_.listDevices, "Print the recording devices and end");
  command_->add_option("--dmx", dmx_, "DMX output: sacn, ola or none");
  command_->add_option("--universes", universes_, "DMX universes of the output, 1..64");
  command_->add_option("--sacn-to", sacnTo_, "sACN receivers HOST[,HOST...] (default: multicast)");
  command_->add_option("--sacn-universe", sacnUniverse_, "sACN universe of the first universe, 1..63999");
  command_->add_option("--sacn-priority", sacnPriority_, "sACN priority, 0..200");
  command_->add_option("--sacn-name", sacnName_, "sACN source name, at most 63 bytes");
  command_->add_option("--ola-universe", olaUniverse_, "OLA universe of the first universe, 0..2147483647");
  command_->add_flag("--dmx-monitor", options_.dmxMonitor, "Print each DMX channel that changes");
  command_->add_option("--flash", flash_,
                       "Flash CH[,CH...][=VALUE][/HOLD_MS] on every beat (instead of the project's actions)");
  command_->add_option("--osc-to", oscTo_, "Send /tactolo/beat and /tactolo/bpm to HOST:PORT");
  command_->add_option("--osc-port", oscPort_,
                       "Receive /tactolo/command and /tactolo/options on this UDP port");
  command_->add_flag("--link", options_.link, "Publish tempo and beats to the Ableton Link session");
  command_->add_flag("--save-options", options_.saveOptions,
                     "Keep these options in the project when it is saved");
}

bool LiveCommand::chosen() const { return static_cast<bool>(*command_); }

void LiveCommand::takeValues() {
  const auto given = [this](const char* option) { return command_->count(option) > 0; };
  const auto number = [&](const char* option, const std::string& text, long long min, long long max) {
    return static_cast<int>(*parseOptionValue(option, text, min, max));
  };
  if (given("--method")) options_.method = number("--method", method_, 0, 2);
  if (given("--gain")) options_.gain = number("--gain", gain_, 0, 100);
  if (given("--input-gain")) options_.inputGainDb = number("--input-gain", inputGain_, 0, 30);
  if (given("--duration")) options_.durationS = number("--duration", duration_, 1, 86400);
  if (given("--dmx")) {
    options_.dmx =
        static_cast<host::DmxOutputKind>(parseOptionChoice("--dmx", dmx_, {"sacn", "ola", "none"}));
  }
  if (given("--universes")) options_.universes = number("--universes", universes_, 1, host::kMaxUniverses);
  if (given("--sacn-to")) {
    std::vector<std::string> targets;
    std::size_t begin = 0;
    for (;;) {
      const std::size_t comma = std::min(sacnTo_.find(',', begin), sacnTo_.size());
      targets.push_back(sacnTo_.substr(begin, comma - begin));
      if (targets.back().empty() || targets.back().find_first_of(" \t") != std::string::npos) {
        throw OptionValueError("--sacn-to: must be HOST[,HOST...], not '" + sacnTo_ + "'");
      }
      if (comma == sacnTo_.size()) break;
      begin = comma + 1;
    }
    options_.sacnTo = std::move(targets);
  }
  if (given("--sacn-universe")) options_.sacnUniverse = number("--sacn-universe", sacnUniverse_, 1, 63999);
  if (given("--sacn-priority")) options_.sacnPriority = number("--sacn-priority", sacnPriority_, 0, 200);
  if (given("--sacn-name")) {
    if (sacnName_.size() > 63) {
      throw OptionValueError("--sacn-name: at most 63 bytes, not " + std::to_string(sacnName_.size()));
    }
    options_.sacnName = sacnName_;
  }
  if (given("--ola-universe")) options_.olaUniverse = number("--ola-universe", olaUniverse_, 0, 2147483647);
  if (given("--flash")) {
    try {
      options_.flash = host::parseFlashOption(flash_);
    } catch (const std::invalid_argument& e) {
      throw OptionValueError(e.what());
    }
  }
  if (given("--osc-to")) {
    if (!host::SplitHostPort(oscTo_))
      throw OptionValueError("--osc-to: must be HOST:PORT (port 1..65535), not '" + oscTo_ + "'");
    options_.oscTo = oscTo_;
  }
  if (given("--osc-port")) options_.oscPort = number("--osc-port", oscPort_, 0, 65535);
}

int LiveCommand::run(std::ostream& out, std::ostream& err) { return runLive(options_, out, err); }

int runLive(const LiveOptions& options, std::ostream& out, std::ostream& err) {
  LiveStatus status(out, ::isatty(STDOUT_FILENO) == 1);
  // Every message is one line of standard error, below the status line.
  const auto say = [&](const std::string& line) {
    status.clear();
    err << "tactolo: " << escapeLine(line) << std::endl;
  };

  std::optional<EndSignals> signals;
  std::optional<PulseCaptureLibrary> capture;
  try {
    signals.emplace();
    capture.emplace();
    capture->setInputGainDb(options.inputGainDb);
  } catch (const std::exception& e) {
    say(e.what());
    return kLiveCaptureFailed;
  }

  // The project, read whole before anything runs; a listing of the devices
  // needs none and changes none.
  std::optional<host::OpenProject> project;
  MemorySettings listingSettings;
  FixedProject listingProject;
  // No folder: the plug-in lists no layouts anywhere.
  listingProject.baseFilename = "";
  host::Project opened;
  std::map<std::string, std::string> openedDevices;
  host::ShowSetup setup;
  setup.pluginPath = host::defaultPluginPath();
  setup.title = "tactolo live";
  try {
    if (!options.listDevices) {
      project.emplace(
          options.project ? host::ProjectPaths::forFile(*options.project) : host::ProjectPaths::userDefault(),
          host::DeviceStore(host::DefaultDevicesPath()));
      opened = project->project();
      openedDevices = project->deviceValues();
      setup.outputs = opened.outputs;
      setup.actions = opened.actions;
      applyOptions(options, setup.outputs, setup.actions);
      // What the options made of the project must read back as a project.
      host::Project effective = opened;
      effective.outputs = setup.outputs;
      effective.actions = setup.actions;
      try {
        static_cast<void>(host::FormatProject(effective));
      } catch (const host::FieldError& e) {
        throw OptionValueError(std::string("the options do not fit the project: ") + e.what());
      }
    } else {
      setup.outputs.dmx = host::DmxOutputKind::None;
    }
  } catch (const std::exception& e) {
    say(e.what());
    return kBadOption;
  }

  StderrDialogs dialogs(say);
  RealClock clock;
  if (options.listDevices) {
    std::optional<host::Show> listing;
    try {
      listing.emplace(setup, listingSettings, listingProject, clock, *capture, dialogs, say);
      listing->host().loadWindow();
    } catch (const std::exception& e) {
      say(e.what());
      return kBadOption;
    }
    int listed = 0;
    try {
      const auto devices = listing->host().entries("devicesBox");
      for (std::size_t i = 0; i < devices.size(); ++i) out << i << '\t' << escapeLine(devices[i]) << '\n';
      if (devices.empty()) say("no recording device (is the sound server running?)");
    } catch (const std::exception& e) {
      say(e.what());
      listed = kLiveCaptureFailed;
    }
    if (const std::string ended = listing->host().shutdown(); !ended.empty()) say(ended);
    return listed;
  }

  // The start: the show on the project, its settings loaded into the
  // window, then what the options set, then the capture as "Tactolo On"
  // starts it.
  std::optional<host::ShowSession> session;
  try {
    session.emplace(*project, setup, host::ShowServices{clock, *capture, dialogs}, say);
  } catch (const std::exception& e) {
    say(e.what());
    return kBadOption;
  }
  host::Show* show = &session->show();
  host::PluginHost& host = session->host();

  int result = 0;
  bool outputFailed = false;
  bool save = session->loadError().empty();
  if (!save) {
    say("the project's settings did not all load, so it is not saved at the end: " + session->loadError());
  }

  std::optional<host::DmxMonitor> monitor;
  if (options.dmxMonitor) {
    monitor.emplace(out, clock);
    show->universes().setObserver([&](int32_t channel, uint8_t value) {
      status.clear();
      monitor->changed(channel, value);
      if (!out) outputFailed = true;
    });
  }
  show->setBeatSink([&](const host::BeatEvent& beat) {
    // Each line goes out as it ends; a reader that has gone ends the run.
    status.clear();
    out << seconds(beat.clockMs - host.startedMs()) << ' ' << beat.bpm << '\n';
    if (!out) outputFailed = true;
  });
  const auto sayEventErrors = [&] {
    for (const auto& e : host.takeEventErrors()) {
      if (!host::repeatsDmxWarning(e)) say(e);
    }
  };

  try {
    if (options.device) choose(host, "devicesBox", "--device", "recording device", *options.device);
    if (options.input) choose(host, "inputBox", "--input", "input", *options.input);
    if (options.method && *options.method != host.selected("methodBox"))
      host.select("methodBox", *options.method);
    if (options.gain) host.slide("gainSlider", *options.gain);

    if (!host.start()) {
      // The plug-in has shown its message box ("Can't start recording").
      say("the capture did not start: " + captureErrorMeaning(capture->ErrorGetCode()));
      result = kLiveCaptureFailed;
    } else {
      if (monitor) monitor->setOriginMs(host.startedMs());
      say("listening to " + selectedText(host, "devicesBox") + ", input " + selectedText(host, "inputBox") +
          ", until " +
          (options.durationS ? std::to_string(*options.durationS) + " s have passed"
                             : "SIGINT, SIGTERM or SIGHUP"));
      if (const int port = show->oscListenPort(); port != 0) {
        say("OSC commands on UDP port " + std::to_string(port));
      }

      host::PollLoop loop(clock);
      int signal = 0;
      // A capture that a command stopped (OSC "Tactolo Off") is no failure;
      // one that stops by itself is.
      bool expectCapture = true;
      bool captureLost = false;
      loop.watch(signals->fd(), [&] { signal = signals->take(); });
      loop.watch(show->oscFd(), [&] {
        show->receiveOsc();
        expectCapture = host.capturing();
      });
      loop.watch(show->noticeFd(), [&] { show->takeNotices(); });
      loop.setAfterRound([&] { show->afterRound(); });
      PeriodicTimer statusTimer(clock, kStatusPeriodMs);
      statusTimer.onTimer = [&](int32_t) {
        sayEventErrors();
        status.update(show->status(), static_cast<double>(clock.nowMs() - host.startedMs()) / 1000.0);
        if (!out) outputFailed = true;
      };
      statusTimer.setEnabled(true);
      std::optional<TimeMs> deadline;
      if (options.durationS) deadline = host.startedMs() + TimeMs{*options.durationS} * 1000;
      loop.run(deadline, [&] {
        if (expectCapture && !host.capturing()) captureLost = true;
        return signal != 0 || outputFailed || captureLost;
      });
      statusTimer.setEnabled(false);
      status.clear();
      if (captureLost) {
        say("the capture stopped: the sound server or the recording device went away");
        result = kLiveCaptureFailed;
      }
    }
    sayEventErrors();
  } catch (const OptionValueError& e) {
    say(e.what());
    result = kBadOption;
    save = false;
  } catch (const std::exception& e) {
    say(e.what());
    result = kLiveCaptureFailed;
  }

  // The exit: from here on a second signal ends the process at once.
  signals->endAtOnce();
  for (const std::string& failure : session->endPlugin(save)) {
    say(failure);
    if (result == 0) result = kLiveCaptureFailed;
  }
  if (session->settingsSaved()) {
    // What the options set was for this run only.
    if (!options.saveOptions) {
      const SetKeys keys = keysSetBy(options);
      restoreKeys(keys.general, opened.settings, project->project().settings);
      restoreKeys(keys.device, openedDevices, project->deviceValues());
      project->project().outputs = opened.outputs;
      project->project().actions = opened.actions;
    } else {
      project->project().outputs = setup.outputs;
      project->project().actions = setup.actions;
    }
    try {
      const auto held = signals->hold();
      project->save();
    } catch (const std::exception& e) {
      say(std::string("the project was not saved: ") + e.what());
      if (result == 0) result = kOutputFailed;
    }
  }
  session->closeOutputs();
  if (outputFailed && result == 0) result = kOutputFailed;
  return result;
}

}  // namespace tactolo::app
