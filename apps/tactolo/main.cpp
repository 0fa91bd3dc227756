// The tactolo command line: headless runs of the plug-in.
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <string>

#include "analyze.h"
#include "plugin_library.h"
#include "script_runner.h"

namespace {

int runAnalyze(const tactolo::app::AnalyzeOptions& options) {
  try {
    const auto result = tactolo::app::analyze(options);
    if (options.json) {
      tactolo::app::printJson(options, result, std::cout);
    } else {
      tactolo::app::printText(result, std::cout);
    }
    for (const auto& e : result.errors) std::cerr << "tactolo: " << e << '\n';
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "tactolo: " << e.what() << '\n';
    return 2;
  }
}

int runScriptFile(const std::string& file) {
  const std::string plugin = tactolo::app::defaultPluginPath();
  if (file == "-") return tactolo::app::runScript(std::cin, "-", plugin, std::cout, std::cerr);
  std::ifstream in(file);
  if (!in) {
    std::cerr << "tactolo: cannot read the script " << file << '\n';
    return 2;
  }
  return tactolo::app::runScript(in, file, plugin, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Tactolo: real-time beat detection for stage lighting, run headless"};
  app.require_subcommand(1);

  tactolo::app::AnalyzeOptions analyze;
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
  analyzeCommand->add_option("--gain", analyze.gain, "Gain slider position 0..100")
      ->check(CLI::Range(0, 100));
  analyzeCommand->add_option("--max-bpm", maxBpm, "Maximum tempo 30..300, or off");
  analyzeCommand->add_flag("--json", analyze.json, "Print one JSON document");

  std::string scriptFile;
  auto* scriptCommand = app.add_subcommand(
      "script", "Drive the plug-in as a host and a user would, line by line, and print what happened");
  scriptCommand
      ->add_option("FILE", scriptFile, "Script file, or - for standard input (see docs/scripting.md)")
      ->required();

  try {
    app.parse(argc, argv);
    if (!maxBpm.empty()) {
      if (maxBpm == "off") {
        analyze.maxBpmOff = true;
      } else {
        std::size_t used = 0;
        int value = -1;
        try {
          value = std::stoi(maxBpm, &used);
        } catch (const std::exception&) {
          used = 0;
        }
        if (used != maxBpm.size() || value < 30 || value > 300) {
          throw CLI::ValidationError("--max-bpm", "must be 30..300 or off, not " + maxBpm);
        }
        analyze.maxBpm = value;
      }
    }
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "tactolo: " << e.what() << '\n';
    return 2;
  }

  if (*analyzeCommand) return runAnalyze(analyze);
  if (*scriptCommand) return runScriptFile(scriptFile);
  return 2;
}
