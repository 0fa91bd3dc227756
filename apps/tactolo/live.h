// `tactolo live`: the plug-in listening to a source of the sound server on
// the real clock, printing each beat message as it comes.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace tactolo::app {

struct LiveOptions {
  std::optional<std::string> device;  // list position (digits) or name
  std::optional<std::string> input;   // likewise, of the device's inputs
  int method = 0;                     // position in the method list, as the window opens
  std::optional<int> gain;            // gain slider 0..100; untouched when not given
  int inputGainDb = 0;                // the back-end's input gain, 0..30 dB
  std::optional<int> durationS;       // until SIGINT or SIGTERM when not given
  bool listDevices = false;
};

/// Exit statuses of `tactolo live` beside 0 (ended as asked), 1 (standard
/// output failed) and 2 (bad option, plug-in library not usable).
constexpr int kLiveCaptureFailed = 3;  // the capture did not start, or stopped on its own

/// The entry of `entries` that `wanted` names: decimal digits are a
/// position; anything else is a name, matched exactly, or else as the one
/// entry that contains it without regard to ASCII case. nullopt when none
/// (or, by containment, more than one) matches.
std::optional<int32_t> findEntry(const std::vector<std::string>& entries, std::string_view wanted);

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
  LiveOptions options_;
};

/// Runs the live host with `options` (see README, "tactolo live").
int runLive(const LiveOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tactolo::app
