// `tactolo analyze`: runs the plug-in headless on the virtual clock over an
// audio file or a generated source and reports every beat message.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tactolo::app {

struct AnalyzeOptions {
  std::string source;
  int method = 1;
  std::optional<int> gain;    // 0..100; untouched when not given
  std::optional<int> maxBpm;  // 30..300
  bool maxBpmOff = false;
  bool json = false;
  double generatedSeconds = 30.0;
  std::optional<std::string> vuFile;  // a VU layout to load and send
  std::optional<int> vuGain;          // VU gain slider 0..100; untouched when not given
  bool dmx = false;                   // report the DMX writes
};

struct AnalyzedBeat {
  double timeSeconds;
  std::string bpm;  // the tempo the window showed with the beat
};

/// One DMX channel write of the VU output (MyStream.SetChannel).
struct DmxWrite {
  double timeSeconds;
  int32_t channel;
  int32_t value;
};

struct AnalyzeResult {
  std::vector<AnalyzedBeat> beats;
  std::vector<DmxWrite> dmx;  // in call order
  double durationSeconds = 0.0;
  std::vector<std::string> errors;  // errors the plug-in reported while running
};

/// Runs the analysis. Throws std::runtime_error with a one-line message when
/// the source or the VU layout cannot be read or the capture cannot start.
AnalyzeResult analyze(const AnalyzeOptions& options);

/// One line per beat ("TIME BPM") and, with `options.dmx`, per DMX write
/// ("TIME dmx CHANNEL VALUE"), in the order they happened.
void printText(const AnalyzeOptions& options, const AnalyzeResult& result, std::ostream& out);
void printJson(const AnalyzeOptions& options, const AnalyzeResult& result, std::ostream& out);

}  // namespace tactolo::app
