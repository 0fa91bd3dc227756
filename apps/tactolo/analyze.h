// `tactolo analyze`: runs the plug-in headless on the virtual clock over an
// audio file or a generated source and reports every beat message.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tactolo::app {

/// The controls an analysis sets, each as a user sets it; a control not
/// given is left as the window opens.
struct AnalyzeOptions {
  std::string source;
  int method = 0;             // methodBox position
  std::optional<int> gain;    // 0..100
  std::optional<int> maxBpm;  // 30..300
  bool maxBpmOff = false;
  std::optional<int> band;         // freqOption: 0 bass, 1 hi-hat, 2 both (method 0)
  std::optional<int> sensitivity;  // senseSlider -100..100 (method 0)
  std::optional<int> correction;   // correctionSlider 200..2000 (method 0)
  std::optional<int> subbands;     // subBandBox position, 0 (8) .. 5 (256) (method 2)
  std::optional<int> ranked;       // subBandCheck on, subBandSlider 1..n (method 2)
  std::optional<int> keepAtMs;     // when "Keep this beat !" is pressed
  bool half = false;               // speed "1/2"
  bool doubleSpeed = false;        // speed "2"
  bool json = false;
  double generatedSeconds = 30.0;
  std::optional<std::string> vuFile;  // a VU layout to load and send
  std::optional<int> vuGain;          // VU gain slider 0..100; untouched when not given
  bool dmx = false;                   // report the DMX writes
};

/// What kind of beat a message was, as the indicator showed it.
enum class BeatKind { Detected, Generated, Manual };
const char* beatKindName(BeatKind kind);

struct AnalyzedBeat {
  double timeSeconds;
  std::string bpm;  // the tempo the window showed with the beat
  BeatKind kind;
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
