// Cost of one tick of each detection method, the spectrum excluded.
//
// The spectra of 12 s of the built-in drum pattern at 120 BPM are made once,
// one per 20 ms tick as the detection cycle takes them (the newest 2048
// frames); each iteration runs the method on the next spectrum, so its
// history sees the pattern's beats as it would live.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

#include "audio/audio_source.h"
#include "audio/capture_library.h"
#include "audio/spectrum.h"
#include "tracking/frequency_selected_sound_energy.h"
#include "tracking/simple_sound_energy.h"
#include "tracking/standard_weight_method.h"

namespace tactolo {
namespace {

constexpr std::size_t kFramesPerTick = kCaptureRate / 50;

class DrumSpectra {
 public:
  DrumSpectra() {
    const DecodedAudio audio = makeDrumPattern(120, 12);
    SpectrumAnalyzer analyzer;
    for (std::size_t end = kFftSize; end <= audio.frameCount(); end += kFramesPerTick) {
      bins_.resize(bins_.size() + kSpectrumBins);
      analyzer.analyze(&audio.samples[2 * (end - kFftSize)], &bins_[bins_.size() - kSpectrumBins]);
    }
  }
  /// The spectrum after the one returned last, from the start after the end.
  const float* next() {
    const float* spectrum = &bins_[next_];
    next_ += kSpectrumBins;
    if (next_ == bins_.size()) next_ = 0;
    return spectrum;
  }

 private:
  std::vector<float> bins_;
  std::size_t next_ = 0;
};

DrumSpectra& spectra() {
  static DrumSpectra spectra;
  return spectra;
}

void BM_SimpleSoundEnergyTick(benchmark::State& state) {
  DrumSpectra& drums = spectra();
  SimpleSoundEnergy method;
  for (auto _ : state) benchmark::DoNotOptimize(method.run(drums.next(), 1.0));
}
BENCHMARK(BM_SimpleSoundEnergyTick);

// Argument: the band option (0 bass, 1 hi-hat, 2 both).
void BM_StandardWeightTick(benchmark::State& state) {
  DrumSpectra& drums = spectra();
  StandardWeightMethod method;
  method.chooseBand(static_cast<int>(state.range(0)));
  method.setCorrection(1100);
  for (auto _ : state) benchmark::DoNotOptimize(method.run(drums.next(), 1.0, 100.0, 1.0));
}
BENCHMARK(BM_StandardWeightTick)->Arg(0)->Arg(1)->Arg(2);

// Arguments: the list position of the sub-band count, and the ranked
// selection (with m = 1, so that every rank is tested).
void BM_FrequencySelectedTick(benchmark::State& state) {
  DrumSpectra& drums = spectra();
  FrequencySelectedSoundEnergy method;
  method.chooseSubbandCount(static_cast<int>(state.range(0)));
  method.chooseRanked(state.range(1) != 0);
  method.moveSlider(1);
  for (auto _ : state) benchmark::DoNotOptimize(method.run(drums.next(), 1.0));
  state.SetLabel(std::to_string(method.FSSESubbandCount()) + (state.range(1) ? " ranked" : ""));
}
BENCHMARK(BM_FrequencySelectedTick)->Args({3, 0})->Args({5, 0})->Args({3, 1})->Args({5, 1});

}  // namespace
}  // namespace tactolo
