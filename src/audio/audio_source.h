// Decoded audio for playback and tests: audio files and generated signals,
// always as interleaved stereo float frames at 44100 Hz.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tactolo {

/// Interleaved stereo float samples (left, right, left, ...) at kCaptureRate
/// (44100 Hz), full scale = 1.0.
struct DecodedAudio {
  std::vector<float> samples;

  /// Number of stereo frames.
  std::size_t frameCount() const { return samples.size() / 2; }
  /// Length in milliseconds, rounded up to a whole millisecond.
  int64_t durationMs() const;
};

/// Decodes an audio file (any format libsndfile reads: WAV, FLAC, Ogg, ...).
/// Other sample rates are resampled to 44100 Hz, mono is copied to both
/// channels, and of more than two channels the first two are kept.
/// Throws std::runtime_error naming the file when it is missing, not a
/// regular file, unreadable or not audio, or breaks off part-way (see
/// AudioFileDecoder). Memory grows with the audio: for playback, stream a
/// file with FileStream instead.
DecodedAudio loadAudioFile(const std::string& path);

/// A drum pattern at `bpm` beats per minute, `seconds` long: a strong kick on
/// every beat (a decaying sine falling from about 110 Hz to 50 Hz), a snare on
/// beats 2 and 4 (noise burst and a 180 Hz body) and a quiet hi-hat on every
/// eighth note (short high-passed noise). The first beat is at time 0. The
/// noise has a fixed seed: the same arguments give the same samples.
DecodedAudio makeDrumPattern(double bpm, double seconds);

/// When a tempo step comes unless its source names the time: half of the
/// 30 s that `tactolo analyze` generates.
constexpr double kDefaultTempoStepSeconds = 15.0;

/// The drum pattern with one change of tempo, `seconds` long: at `firstBpm`
/// (A) up to the first beat at or after `stepSeconds` (S), and at
/// `secondBpm` (B) from that beat on, the count of beats (and with it the
/// snare on 2 and 4) going on across the change. The beats fall at
/// k x 60 / A seconds for k < K and at K x 60 / A + j x 60 / B from there,
/// with K = ceil(S x A / 60) = tempoStepBeat(A, S), each rounded to the
/// nearest frame as the pattern's are. The beats before the step do not
/// depend on `seconds`.
DecodedAudio makeTempoStep(double firstBpm, double secondBpm, double stepSeconds, double seconds);

/// K of makeTempoStep: the number of the first beat at the second tempo.
long tempoStepBeat(double firstBpm, double stepSeconds);

/// A full-scale sine of `hz` Hz, `seconds` long, identical on both channels.
DecodedAudio makeTone(double hz, double seconds);

/// A 5 ms full-scale click (a burst of random-sign full-scale samples) every
/// `intervalMs` milliseconds, the first at time 0, `seconds` long.
DecodedAudio makeClicks(double intervalMs, double seconds);

/// Silence, `seconds` long.
DecodedAudio makeSilence(double seconds);

/// Longest generated signal, in seconds (10 minutes, about 212 MB of samples).
constexpr double kMaxGeneratedSeconds = 600.0;

/// Turns a source description into decoded audio:
///   "silence", "synth:BPM", "synth:BPM/BPM[@SECONDS]" (a tempo step at
///   SECONDS, 15 when not given: makeTempoStep),
///   "tone:HZ", "clicks:MS" give generated signals of `seconds` seconds (0 to
///   kMaxGeneratedSeconds); anything else is taken as the path of an audio
///   file, decoded whole (`seconds` does not apply to files).
/// Throws std::runtime_error with a one-line message for a malformed or
/// out-of-range number (e.g. "synth:abc", "synth:0", "synth:120/") and for
/// unreadable files.
DecodedAudio parseSource(const std::string& text, double seconds);

/// True when parseSource() generates `text` (it names no file), whether or
/// not its number is valid.
bool isGeneratedSource(const std::string& text);

}  // namespace tactolo
