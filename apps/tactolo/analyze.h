// `tactolo analyze`: runs the plug-in headless on the virtual clock over an
// audio file or a generated source and reports every beat message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "host/beat_event.h"

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
using host::BeatKind;
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

/// What an analysis finds, handed over as soon as it is decided, so that
/// nothing piles up with the length of the input. Beats and DMX writes come
/// in time order, a beat before the writes of its own time (within a tick
/// the beat comes before the level pass).
class AnalysisSink {
 public:
  virtual ~AnalysisSink() = default;
  virtual void beat(const AnalyzedBeat& beat) = 0;
  /// Only with AnalyzeOptions::dmx.
  virtual void dmx(const DmxWrite& write) = 0;
  /// The analysis ended (also when it was stopped) after this much audio.
  virtual void end(double durationSeconds) = 0;
};

/// How an analysis ended.
struct AnalyzeSummary {
  double durationSeconds = 0.0;     // the audio analysed
  std::vector<std::string> errors;  // warnings and errors the plug-in reported while running
};

/// Runs the analysis, handing `sink` each beat and DMX write as it is
/// decided, until the audio ends or `stopRequested` holds (asked once per
/// step of the clock). Throws std::runtime_error with a one-line message
/// when the source or the VU layout cannot be read or the capture cannot
/// start, before anything reaches the sink.
AnalyzeSummary analyze(const AnalyzeOptions& options, AnalysisSink& sink,
                       const std::function<bool()>& stopRequested);

/// One line per beat ("TIME BPM KIND") and, with `options.dmx`, per DMX write
/// ("TIME dmx CHANNEL VALUE"). Each beat goes out at once, with the writes
/// before it.
class TextPrinter final : public AnalysisSink {
 public:
  explicit TextPrinter(std::ostream& out) : out_(out) {}
  void beat(const AnalyzedBeat& beat) override;
  void dmx(const DmxWrite& write) override;
  void end(double) override {}

 private:
  std::ostream& out_;
};

/// One JSON document, written as it goes: its head with the first beat (or
/// at the end), each beat as it comes, and the DMX writes and the duration
/// at the end. The writes wait in an unnamed temporary file (in TMPDIR)
/// meanwhile, so that memory does not grow with them. Each beat goes out at
/// once.
class JsonPrinter final : public AnalysisSink {
 public:
  /// Throws std::runtime_error when the writes need a temporary file and
  /// none can be made.
  JsonPrinter(const AnalyzeOptions& options, std::ostream& out);
  ~JsonPrinter() override;
  JsonPrinter(const JsonPrinter&) = delete;
  JsonPrinter& operator=(const JsonPrinter&) = delete;

  void beat(const AnalyzedBeat& beat) override;
  void dmx(const DmxWrite& write) override;
  void end(double durationSeconds) override;

 private:
  /// Writes the head, once.
  void begin();

  std::ostream& out_;
  bool dmx_;
  std::string head_;
  bool begun_ = false;
  std::size_t beats_ = 0;
  std::size_t writes_ = 0;
  std::FILE* spool_ = nullptr;  // the DMX elements, until the end
};

}  // namespace tactolo::app
