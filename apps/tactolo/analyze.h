// `tactolo analyze`: runs the plug-in headless on the virtual clock over an
// audio file or a generated source and reports every beat message.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tactolo::app {

struct AnalyzeOptions {
  std::string source;
  int method = 1;
  std::optional<int> gain;        // 0..100; untouched when not given
  std::optional<int> maxBpm;      // 30..300
  bool maxBpmOff = false;
  bool json = false;
  double generatedSeconds = 30.0;
};

struct AnalyzedBeat {
  double timeSeconds;
  std::string bpm;  // the tempo the window showed with the beat
};

struct AnalyzeResult {
  std::vector<AnalyzedBeat> beats;
  double durationSeconds = 0.0;
  std::vector<std::string> errors;  // errors the plug-in reported while running
};

/// Runs the analysis. Throws std::runtime_error with a one-line message when
/// the source cannot be read or the capture cannot start.
AnalyzeResult analyze(const AnalyzeOptions& options);

void printText(const AnalyzeResult& result, std::ostream& out);
void printJson(const AnalyzeOptions& options, const AnalyzeResult& result, std::ostream& out);

}  // namespace tactolo::app
