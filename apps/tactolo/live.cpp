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
#include "live_host.h"
#include "platform/dialogs.h"
#include "text_escape.h"

namespace tactolo::app {

namespace {

constexpr int kBadOption = 2;

/// Message boxes go to standard error, one line each; every dialog gets the
/// answer a user gives who only wants it gone (the first button, cancel).
class StderrDialogs final : public DialogService {
 public:
  explicit StderrDialogs(std::ostream& err) : err_(err) {}

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
    err_ << "tactolo: " << escapeLine(line) << std::endl;
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? DialogAnswer::Yes
                                                                                      : DialogAnswer::Ok;
  }
  std::optional<std::string> fileSave(const FileSaveRequest& /*request*/) override { return std::nullopt; }
  std::optional<uint32_t> chooseColor(uint32_t /*initialColor*/) override { return std::nullopt; }
  // No user works a form shown modal in a headless run: the wait ends at once.
  void modalWait(const std::function<bool()>& /*shown*/) override {}

 private:
  std::ostream& err_;
};

std::string seconds(TimeMs ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(ms) / 1000.0);
  return text;
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

/// SIGINT, SIGTERM and SIGHUP (the terminal closed), blocked in every
/// thread from now on (libpulse's thread starts later and inherits the
/// mask) and readable from a file descriptor, so that the event loop wakes
/// on them and ends cleanly. SIGHUP stays ignored when it was (nohup).
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

 private:
  sigset_t set_;
  int fd_ = -1;
};

/// Picks the entry of `list` that `wanted` names (see findEntry); a bad
/// option when there is none.
void choose(LiveHost& host, const std::string& list, const std::string& option, const std::string& what,
            const std::string& wanted) {
  const auto position = findEntry(host.entries(list), wanted);
  if (!position) {
    throw OptionValueError(option + ": no " + what + " '" + wanted +
                           "' (tactolo live --list-devices lists the devices)");
  }
  if (*position != host.selected(list)) host.select(list, *position);
}

/// The text of the selected entry of `list`, or "(none)".
std::string selectedText(LiveHost& host, const std::string& list) {
  const int32_t position = host.selected(list);
  const auto names = host.entries(list);
  return position >= 0 && static_cast<std::size_t>(position) < names.size()
             ? "\"" + escapeLine(names[static_cast<std::size_t>(position)]) + "\""
             : "(none)";
}

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

LiveCommand::LiveCommand(CLI::App& app)
    : command_(app.add_subcommand(
          "live",
          "Listen to a source of the sound server and print each beat as it comes, until the "
          "duration has passed or SIGINT, SIGTERM or SIGHUP")) {
  command_->add_option("--device", options_.device,
                       "Recording device: its position in the list (0 is the first) or its name");
  command_->add_option("--input", options_.input, "Input of the device: its position or its name");
  command_->add_option("--method", method_,
                       "Method list position 0..2 (default 0, standard weight, as the window opens)");
  command_->add_option("--gain", gain_, "Gain slider position 0..100");
  command_->add_option("--input-gain", inputGain_,
                       "Input gain in dB, 0..30, applied to the captured samples");
  command_->add_option("--duration", duration_, "Seconds to listen, 1..86400 (default: until a signal)");
  command_->add_flag("--list-devices", options_.listDevices, "Print the recording devices and end");
}

bool LiveCommand::chosen() const { return static_cast<bool>(*command_); }

void LiveCommand::takeValues() {
  if (command_->count("--method") > 0)
    options_.method = static_cast<int>(*parseOptionValue("--method", method_, 0, 2));
  if (command_->count("--gain") > 0)
    options_.gain = static_cast<int>(*parseOptionValue("--gain", gain_, 0, 100));
  if (command_->count("--input-gain") > 0) {
    options_.inputGainDb = static_cast<int>(*parseOptionValue("--input-gain", inputGain_, 0, 30));
  }
  if (command_->count("--duration") > 0) {
    options_.durationS = static_cast<int>(*parseOptionValue("--duration", duration_, 1, 86400));
  }
}

int LiveCommand::run(std::ostream& out, std::ostream& err) { return runLive(options_, out, err); }

int runLive(const LiveOptions& options, std::ostream& out, std::ostream& err) {
  std::optional<EndSignals> signals;
  std::optional<PulseCaptureLibrary> capture;
  try {
    signals.emplace();
    capture.emplace();
    capture->setInputGainDb(options.inputGainDb);
  } catch (const std::exception& e) {
    err << "tactolo: " << escapeLine(e.what()) << std::endl;
    return kLiveCaptureFailed;
  }
  StderrDialogs dialogs(err);

  std::optional<LiveHost> host;
  bool outputFailed = false;
  try {
    host.emplace(defaultPluginPath(), *capture, dialogs, [&](const LiveBeat& beat) {
      // Each line goes out as it ends; a reader that has gone ends the run.
      out << seconds(beat.clockMs - host->startedMs()) << ' ' << beat.bpm << '\n';
      if (!out) outputFailed = true;
    });
  } catch (const std::exception& e) {
    err << "tactolo: " << escapeLine(e.what()) << std::endl;
    return kBadOption;
  }

  int status = 0;
  try {
    if (options.listDevices) {
      const auto devices = host->entries("devicesBox");
      for (std::size_t i = 0; i < devices.size(); ++i) out << i << '\t' << escapeLine(devices[i]) << '\n';
      if (devices.empty()) err << "tactolo: no recording device (is the sound server running?)" << std::endl;
    } else {
      if (options.device) choose(*host, "devicesBox", "--device", "recording device", *options.device);
      if (options.input) choose(*host, "inputBox", "--input", "input", *options.input);
      if (options.method != host->selected("methodBox")) host->select("methodBox", options.method);
      if (options.gain) host->slide("gainSlider", *options.gain);

      if (!host->start()) {
        // The plug-in has shown its message box ("Can't start recording").
        err << "tactolo: the capture did not start: " << captureErrorMeaning(capture->ErrorGetCode())
            << std::endl;
        status = kLiveCaptureFailed;
      } else {
        err << "tactolo: listening to " << selectedText(*host, "devicesBox") << ", input "
            << selectedText(*host, "inputBox") << ", until "
            << (options.durationS ? std::to_string(*options.durationS) + " s have passed"
                                  : "SIGINT, SIGTERM or SIGHUP")
            << std::endl;
        std::optional<TimeMs> deadline;
        if (options.durationS) deadline = host->startedMs() + TimeMs{*options.durationS} * 1000;
        const auto wake = host->run(deadline, signals->fd(), [&] { return outputFailed; });
        if (wake == LiveHost::Wake::CaptureStopped) {
          err << "tactolo: the capture stopped: the sound server or the recording device went away"
              << std::endl;
          status = kLiveCaptureFailed;
        }
        host->stop();
      }
    }
    for (const auto& e : host->takeEventErrors()) err << "tactolo: " << escapeLine(e) << std::endl;
  } catch (const OptionValueError& e) {
    err << "tactolo: " << escapeLine(e.what()) << std::endl;
    status = kBadOption;
  } catch (const std::exception& e) {
    err << "tactolo: " << escapeLine(e.what()) << std::endl;
    status = kLiveCaptureFailed;
  }
  if (const std::string ended = host->shutdown(); !ended.empty()) {
    err << "tactolo: " << escapeLine(ended) << std::endl;
    if (status == 0) status = kLiveCaptureFailed;
  }
  return status;
}

}  // namespace tactolo::app
