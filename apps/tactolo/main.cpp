// The tactolo command line: headless runs of the plug-in.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>

#include "analyze.h"
#include "cli_values.h"
#include "live.h"
#include "output.h"
#include "plugin_library.h"
#include "script_runner.h"
#include "text_escape.h"

namespace {

/// Exit status when standard output cannot be written.
constexpr int kOutputFailed = 1;
/// Exit status for bad input: a source, a script or an option.
constexpr int kBadInput = 2;

/// One line on standard error, escaped so that it stays one line.
void printError(const std::string& message) {
  std::cerr << "tactolo: " << tactolo::app::escapeLine(message) << '\n';
}

int runAnalyze(const tactolo::app::AnalyzeOptions& options, std::ostream& out) {
  try {
    const auto result = tactolo::app::analyze(options);
    if (options.json) {
      tactolo::app::printJson(options, result, out);
    } else {
      tactolo::app::printText(result, out);
    }
    for (const auto& e : result.errors) printError(e);
    return 0;
  } catch (const std::exception& e) {
    printError(e.what());
    return kBadInput;
  }
}

int runScriptFile(const std::string& file, std::ostream& out) {
  const std::string plugin = tactolo::app::defaultPluginPath();
  const std::string name = tactolo::app::escapeLine(file);
  if (file == "-") return tactolo::app::runScript(std::cin, name, plugin, out, std::cerr);
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    printError("cannot read the script " + file + ": it is a folder");
    return kBadInput;
  }
  std::ifstream in(file);
  if (!in) {
    printError("cannot read the script " + file);
    return kBadInput;
  }
  return tactolo::app::runScript(in, name, plugin, out, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Tactolo: real-time beat detection for stage lighting, run headless"};
  app.require_subcommand(1);

  tactolo::app::AnalyzeOptions analyze;
  std::string gain;
  std::string maxBpm;
  auto* analyzeCommand =
      app.add_subcommand("analyze", "Find the beats of an audio file or of a generated source (synth:BPM)");
  analyzeCommand->add_option("SOURCE", analyze.source, "Audio file (WAV, FLAC, Ogg) or synth:BPM")
      ->required();
  analyzeCommand->add_option("--method", analyze.method, "Detection method: 1 simple sound energy")
      ->check(CLI::Validator(
          [](std::string& value) -> std::string {
            return value == "1" ? ""
                                : "only method 1 (simple sound energy) is available so far, not " + value;
          },
          "1", "METHOD"));
  analyzeCommand->add_option("--gain", gain, "Gain slider position 0..100");
  analyzeCommand->add_option("--max-bpm", maxBpm, "Maximum tempo 30..300, or off");
  analyzeCommand->add_flag("--json", analyze.json, "Print one JSON document");

  std::string scriptFile;
  auto* scriptCommand = app.add_subcommand(
      "script", "Drive the plug-in as a host and a user would, line by line, and print what happened");
  scriptCommand
      ->add_option("FILE", scriptFile, "Script file, or - for standard input (see docs/scripting.md)")
      ->required();

  tactolo::app::LiveCommand live(app);

  try {
    app.parse(argc, argv);
    using tactolo::app::parseOptionValue;
    if (analyzeCommand->count("--gain") > 0)
      analyze.gain = static_cast<int>(*parseOptionValue("--gain", gain, 0, 100));
    if (analyzeCommand->count("--max-bpm") > 0) {
      const auto value = parseOptionValue("--max-bpm", maxBpm, 30, 300, "off");
      analyze.maxBpmOff = !value;
      if (value) analyze.maxBpm = static_cast<int>(*value);
    }
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
  tactolo::app::CheckedOutput output(/*lineBuffered=*/static_cast<bool>(*scriptCommand) || live.chosen());
  std::ostream out(&output);
  int status = kBadInput;
  if (*analyzeCommand) status = runAnalyze(analyze, out);
  if (*scriptCommand) status = runScriptFile(scriptFile, out);
  if (live.chosen()) status = live.run(out, std::cerr);
  if (!output.finish()) {
    printError(output.errorMessage());
    return kOutputFailed;
  }
  return status;
}
