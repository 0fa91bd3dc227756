// `tactolo live`: the show host. The plug-in listens to a source of the sound
// server on the real clock with a project's settings; each beat is printed
// and drives the beat actions, DMX goes out by sACN or OLA, beats and tempo by
// OSC and Link.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "host/show_settings.h"

namespace CLI {
class App;
}

namespace tactolo::app {

/// What the command line asked for; every value is checked. An option not
/// given leaves the project's value.
struct LiveOptions {
  std::optional<std::string> project;  // the project file; the user's default when not given
  std::optional<std::string> device;   // list position (digits) or name
  std::optional<std::string> input;    // likewise, of the device's inputs
  std::optional<int> method;           // position in the method list
  std::optional<int> gain;             // gain slider 0..100
  int inputGainDb = 0;                 // the back-end's input gain, 0..30 dB
  std::optional<int> durationS;        // until SIGINT, SIGTERM or SIGHUP when not given
  bool listDevices = false;

  std::optional<host::DmxOutputKind> dmx;
  std::optional<int> universes;
  std::optional<std::vector<std::string>> sacnTo;
  std::optional<int> sacnUniverse;
  std::optional<int> sacnPriority;
  std::optional<std::string> sacnName;
  std::optional<int> olaUniverse;
  bool dmxMonitor = false;
  std::optional<host::BeatAction> flash;
  std::optional<std::string> oscTo;
  std::optional<int> oscPort;
  bool link = false;
  /// Keeps what the options set in the project when it is saved.
  bool saveOptions = false;
};

/// Exit statuses of `tactolo live` beside 0 (ended as asked), 1 (standard
/// output or the project could not be written) and 2 (bad option, a project
/// that cannot be read, plug-in library not usable).
constexpr int kLiveCaptureFailed = 3;  // the capture did not start, or stopped on its own

/// The `live` subcommand of the command line.
class LiveCommand {
 public:
  /// Adds the subcommand and its options to `app`.
  explicit LiveCommand(CLI::App& app);
  LiveCommand(const LiveCommand&) = delete;
  LiveCommand& operator=(const LiveCommand&) = delete;

  /// Whether the command line chose `live`.
  bool chosen() const;
  /// After parsing: takes the option values as documented; OptionValueError
  /// for one that is not.
  void takeValues();
  /// Runs it: beat lines to `out`, messages to `err`; the exit status.
  int run(std::ostream& out, std::ostream& err);

 private:
  CLI::App* command_;
  std::string method_, gain_, inputGain_, duration_;
  std::string dmx_, universes_, sacnTo_, sacnUniverse_, sacnPriority_, sacnName_, olaUniverse_, flash_,
      oscTo_, oscPort_;
  LiveOptions options_;
};

/// Runs the live host with `options` (see README, "tactolo live").
int runLive(const LiveOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tactolo::app
