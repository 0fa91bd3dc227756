// The tactolo command line: headless runs of the plug-in.
#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "analyze.h"
#include "cli_values.h"
#include "host/plugin_library.h"
#include "live.h"
#include "output.h"
#include "script_runner.h"
#include "signal_cleanup.h"
#include "text_escape.h"
#include "vuconf_check.h"

namespace {

/// Exit status when standard output cannot be written.
constexpr int kOutputFailed = 1;
/// Exit status for bad input: a source, a script or an option.
constexpr int kBadInput = 2;
/// Exit status of `vuconf check` when a file does not read.
constexpr int kFilesFailed = 1;

/// One line on standard error, escaped so that it stays one line.
void printError(const std::string& message) {
  std::cerr << "tactolo: " << tactolo::app::escapeLine(message) << '\n';
}

/// The values of analyze's method and keep options as given.
struct MethodOptionTexts {
  const std::string& method;
  const std::string& band;
  const std::string& sensitivity;
  const std::string& correction;
  const std::string& subbands;
  const std::string& ranked;
  const std::string& keepAt;
};

/// Checks and takes the method and keep options. An option of a method's
/// panel needs that method; a speed needs keep mode.
void readMethodOptions(const CLI::App& command, const MethodOptionTexts& texts,
                       tactolo::app::AnalyzeOptions& options) {
  using tactolo::app::OptionValueError;
  using tactolo::app::parseOptionChoice;
  using tactolo::app::parseOptionValue;
  const auto given = [&command](const char* option) { return command.count(option) > 0; };
  const auto needsMethod = [&](const char* option, int method, const char* name) {
    if (given(option) && options.method != method) {
      throw OptionValueError(std::string(option) + " needs --method " + std::to_string(method) + " (" + name +
                             ")");
    }
  };
  if (given("--method")) options.method = static_cast<int>(*parseOptionValue("--method", texts.method, 0, 2));
  for (const char* option : {"--band", "--sensitivity", "--correction"}) {
    needsMethod(option, 0, "standard weight");
  }
  for (const char* option : {"--subbands", "--ranked"})
    needsMethod(option, 2, "frequency-selected sound energy");
  if (given("--band")) {
    options.band = static_cast<int>(parseOptionChoice("--band", texts.band, {"bass", "hihat", "both"}));
  }
  if (given("--sensitivity")) {
    options.sensitivity = static_cast<int>(*parseOptionValue("--sensitivity", texts.sensitivity, -100, 100));
  }
  if (given("--correction")) {
    options.correction = static_cast<int>(*parseOptionValue("--correction", texts.correction, 200, 2000));
  }
  int subbands = 64;
  if (given("--subbands")) {
    const std::size_t position =
        parseOptionChoice("--subbands", texts.subbands, {"8", "16", "32", "64", "128", "256"});
    options.subbands = static_cast<int>(position);
    subbands = 8 << position;
  }
  if (given("--ranked"))
    options.ranked = static_cast<int>(*parseOptionValue("--ranked", texts.ranked, 1, subbands));
  if (given("--keep-at")) {
    options.keepAtMs =
        static_cast<int>(tactolo::app::parseOptionMilliseconds("--keep-at", texts.keepAt, 86400));
  }
  for (const char* option : {"--half", "--double"}) {
    if (given(option) && !options.keepAtMs) throw OptionValueError(std::string(option) + " needs --keep-at");
  }
}

int runAnalyze(const tactolo::app::AnalyzeOptions& options, std::ostream& out) {
  try {
    // The first SIGINT, SIGTERM or SIGHUP ends the analysis where it is:
    // what it found has been printed, and the document is closed.
    tactolo::app::stopOnSignal();
    // So does standard output that can no longer be written.
    const auto stopRequested = [&out] { return tactolo::app::stopSignal() != 0 || !out; };
    std::optional<tactolo::app::JsonPrinter> json;
    std::optional<tactolo::app::TextPrinter> text;
    tactolo::app::AnalysisSink* sink = nullptr;
    if (options.json) {
      sink = &json.emplace(options, out);
    } else {
      sink = &text.emplace(out);
    }
    const auto summary = tactolo::app::analyze(options, *sink, stopRequested);
    for (const auto& e : summary.errors) printError(e);
    return 0;
  } catch (const std::exception& e) {
    printError(e.what());
    return kBadInput;
  }
}

int runVuconfCheck(const std::vector<std::string>& files, std::ostream& out) {
  try {
    tactolo::host::PluginLibrary library(tactolo::host::defaultPluginPath());
    return tactolo::app::checkVuconfFiles(library, files, out) ? 0 : kFilesFailed;
  } catch (const std::exception& e) {
    printError(e.what());
    return kBadInput;
  }
}

int runScriptFile(const std::string& file, std::ostream& out) {
  const std::string plugin = tactolo::host::defaultPluginPath();
  const std::string name = tactolo::app::escapeLine(file);
  const std::string script = file == "-" ? std::string("the script on standard input") : "the script " + file;
  std::error_code error;
  if (file != "-" && std::filesystem::is_directory(file, error)) {
    printError("cannot read " + script + ": it is a folder");
    return kBadInput;
  }
  const int fd = file == "-" ? STDIN_FILENO : ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    printError("cannot read " + script + ": " + std::strerror(errno));
    return kBadInput;
  }
  // Read whole before it runs: a script that cannot be read runs no line.
  tactolo::app::ScriptLines lines;
  try {
    lines = tactolo::app::readScript(fd);
  } catch (const std::runtime_error& e) {
    printError("cannot read " + script + ": " + e.what());
    if (fd != STDIN_FILENO) ::close(fd);
    return kBadInput;
  }
  if (fd != STDIN_FILENO) ::close(fd);
  return tactolo::app::runScript(std::move(lines), name, plugin, out, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Tactolo: real-time beat detection for stage lighting, run headless"};
  app.require_subcommand(1);

  tactolo::app::AnalyzeOptions analyze;
  std::string method;
  std::string gain;
  std::string maxBpm;
  std::string band;
  std::string sensitivity;
  std::string correction;
  std::string subbands;
  std::string ranked;
  std::string keepAt;
  auto* analyzeCommand = app.add_subcommand(
      "analyze", "Find the beats of an audio file or of a generated source (synth:BPM, synth:BPM/BPM)");
  analyzeCommand
      ->add_option(
          "SOURCE", analyze.source,
          "Audio file (WAV, FLAC, Ogg), - for standard input, synth:BPM, or synth:A/B (a tempo step at 15 s)")
      ->required();
  analyzeCommand->add_option("--method", method,
                             "Detection method: 0 standard weight (the default, as the window opens), "
                             "1 simple sound energy, 2 frequency-selected sound energy");
  analyzeCommand->add_option(
      "--gain", gain,
      "Gain slider position 0..100. Moving it from 50 sets the energy factor to (v-50)*0.019+1.5 "
      "(0.55 at 0, 1.519 at 51, 2.45 at 100), the threshold scale to v+50 and the beat floor to "
      "101-2v up to 50, 1-(v-50)/100 above (101 at 0, 0.5 at 100): a higher gain finds quieter beats. "
      "At 50 (or not given) the slider does not move, so its handler does not run and the plug-in "
      "keeps its start values: factor 1.0, scale 100, floor 1.0");
  analyzeCommand->add_option("--max-bpm", maxBpm, "Maximum tempo 30..300, or off");
  analyzeCommand->add_option(
      "--band", band,
      "Method 0: the band option, bass (bins near 86-151 Hz), hihat (5-8 kHz) or both. "
      "Not given: as the window opens, the bass band, although \"Bass and HiHat\" "
      "shows selected");
  analyzeCommand->add_option("--sensitivity", sensitivity,
                             "Method 0: sensitivity slider -100..100 (exponent 3 - v/50; at 0, as it "
                             "opens, the exponent stays 3)");
  analyzeCommand->add_option("--correction", correction,
                             "Method 0: hi-hat correction slider 200..2000 (factor v/100, halves to even). "
                             "The slider opens at 1100 with the factor at 4: 1100 does not move it");
  analyzeCommand->add_option("--subbands", subbands,
                             "Method 2: number of sub-bands, 8, 16, 32, 64 "
                             "(the default), 128 or 256");
  analyzeCommand->add_option("--ranked", ranked,
                             "Method 2: ranked selection on, testing all but the M-1 sub-bands of "
                             "largest variance; M is 1..the number of sub-bands");
  analyzeCommand->add_option("--keep-at", keepAt,
                             "Press \"Keep this beat !\" at this time, in seconds from the start (8, 8.25): "
                             "from then on the plug-in generates beats at the tempo it measured last");
  auto* halfFlag = analyzeCommand->add_flag("--half", analyze.half,
                                            "With --keep-at: speed 1/2, every second generated beat is sent");
  analyzeCommand
      ->add_flag("--double", analyze.doubleSpeed,
                 "With --keep-at: speed 2, generated beats at twice the tempo")
      ->excludes(halfFlag);
  analyzeCommand->add_flag("--json", analyze.json, "Print one JSON document");
  std::string vuFile;
  std::string vuGain;
  analyzeCommand->add_option("--vu", vuFile, "VU layout (.vuconf) to load and send to DMX");
  analyzeCommand->add_option("--vu-gain", vuGain, "VU gain slider position 0..100");
  analyzeCommand->add_flag("--dmx", analyze.dmx, "Print every DMX write: time, channel, value");

  std::vector<std::string> vuconfFiles;
  auto* vuconfCommand = app.add_subcommand("vuconf", "VU layout files (.vuconf)");
  vuconfCommand->require_subcommand(1);
  auto* vuconfCheck = vuconfCommand->add_subcommand(
      "check", "Read VU layout files as the plug-in does and say whether they load");
  vuconfCheck->add_option("FILE", vuconfFiles, "VU layout files")->required();

  std::string scriptFile;
  auto* scriptCommand = app.add_subcommand(
      "script", "Drive the plug-in as a host and a user would, line by line, and print what happened");
  scriptCommand
      ->add_option("FILE", scriptFile, "Script file, or - for standard input (see docs/scripting.md)")
      ->required();

  tactolo::app::LiveCommand live(app);

  try {
    // A first word that is no command is named as such, not reported as a
    // missing command.
    if (argc > 1 && argv[1][0] != '-') {
      const auto commands = app.get_subcommands([](const CLI::App*) { return true; });
      const bool known = std::any_of(commands.begin(), commands.end(),
                                     [&](const CLI::App* command) { return command->check_name(argv[1]); });
      if (!known) {
        printError(std::string("no command '") + argv[1] + "' (commands: analyze, script, live, vuconf)");
        return kBadInput;
      }
    }
    app.parse(argc, argv);
    using tactolo::app::parseOptionValue;
    if (analyzeCommand->count("--gain") > 0)
      analyze.gain = static_cast<int>(*parseOptionValue("--gain", gain, 0, 100));
    if (analyzeCommand->count("--max-bpm") > 0) {
      const auto value = parseOptionValue("--max-bpm", maxBpm, 30, 300, "off");
      analyze.maxBpmOff = !value;
      if (value) analyze.maxBpm = static_cast<int>(*value);
    }
    if (analyzeCommand->count("--vu") > 0) analyze.vuFile = vuFile;
    if (analyzeCommand->count("--vu-gain") > 0)
      analyze.vuGain = static_cast<int>(*parseOptionValue("--vu-gain", vuGain, 0, 100));
    readMethodOptions(*analyzeCommand, {method, band, sensitivity, correction, subbands, ranked, keepAt},
                      analyze);
    if (live.chosen()) live.takeValues();
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    printError(e.what());
    return kBadInput;
  } catch (const tactolo::app::OptionValueError& e) {
    printError(e.what());
    return kBadInput;
  }

  // A closed pipe or a full disk on standard output is reported, not passed
  // over; a script's transcript and live beats go out line by line.
  tactolo::app::ignoreBrokenPipes();
  tactolo::app::CheckedOutput output(/*lineBuffered=*/static_cast<bool>(*scriptCommand) ||
                                     static_cast<bool>(*vuconfCheck) || live.chosen());
  std::ostream out(&output);
  int status = kBadInput;
  if (*analyzeCommand) status = runAnalyze(analyze, out);
  if (*scriptCommand) status = runScriptFile(scriptFile, out);
  if (*vuconfCheck) status = runVuconfCheck(vuconfFiles, out);
  if (live.chosen()) status = live.run(out, std::cerr);
  if (!output.finish()) {
    printError(output.errorMessage());
    status = kOutputFailed;
  }
  // An analysis that a signal stopped has printed all it found; the
  // process then ends by that signal, as a pipeline expects of it.
  if (const int signal = tactolo::app::stopSignal()) tactolo::app::endBySignal(signal);
  return status;
}
