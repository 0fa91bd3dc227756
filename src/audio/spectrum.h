// Spectrum and peak level of recent stereo audio, as every capture back-end
// reports them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "audio/capture_library.h"

struct fftwf_plan_s;

namespace tactolo {

/// Frames over which the level word is measured: 20 ms at 44100 Hz.
constexpr std::size_t kLevelFrames = 882;
/// Level value of a full-scale (1.0) sample.
constexpr uint32_t kLevelFullScale = 32768;

/// Magnitude spectrum of 2048 stereo frames.
///
/// The two channels are averaged, a (periodic) Hann window is applied and a
/// real FFT of 2048 points is taken with FFTW in single precision. Bin k
/// covers k * 44100 / 2048 Hz (about 21.5 Hz per bin). Magnitudes are scaled
/// by 2 / sum(window), so a full-scale sine centred on a bin reads 1.0 there.
///
/// The FFT plan and all buffers are made once in the constructor; analyze()
/// does not allocate. One instance must not be used by two threads at once;
/// separate instances may run on separate threads.
class SpectrumAnalyzer {
 public:
  SpectrumAnalyzer();
  ~SpectrumAnalyzer();
  SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
  SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

  /// Reads kFftSize interleaved stereo frames (2 * kFftSize floats, full
  /// scale 1.0) and writes kSpectrumBins magnitudes (bins 0..1023) to
  /// `magnitudes`.
  void analyze(const float* interleaved, float* magnitudes);

 private:
  struct AlignedFree {
    void operator()(float* memory) const;
  };
  using AlignedFloats = std::unique_ptr<float[], AlignedFree>;

  AlignedFloats window_;    // kFftSize window coefficients
  AlignedFloats input_;     // kFftSize windowed mono samples
  AlignedFloats spectrum_;  // kFftSize / 2 + 1 complex values, (re, im) pairs
  fftwf_plan_s* plan_ = nullptr;
  float scale_ = 0.0f;  // 2 / sum(window)
};

/// The lock around FFTW's planner, which is not thread-safe: hold it while
/// making or destroying any FFTW plan in this program.
std::mutex& fftwPlannerMutex();

/// Peak level word of the newest kLevelFrames of `frames` interleaved stereo
/// frames (all of them when fewer): the peak absolute sample of each channel,
/// scaled so that 1.0 reads kLevelFullScale and clipped there; left in the
/// low 16 bits, right in the high 16 bits.
uint32_t levelWord(const float* interleaved, std::size_t frames);

}  // namespace tactolo
