// Cost of the per-cycle audio analysis: the spectrum of 2048 frames, and the
// whole ChannelGetData path of a live capture (ring copy + spectrum).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/capture_analysis.h"
#include "audio/frame_ring.h"
#include "audio/spectrum.h"

namespace tactolo {
namespace {

std::vector<float> testFrames() {
  std::vector<float> frames(2 * kFftSize);
  for (int i = 0; i < kFftSize; ++i) {
    frames[2 * i] = static_cast<float>(0.5 * std::sin(0.05 * i) + 0.2 * std::sin(1.3 * i));
    frames[2 * i + 1] = static_cast<float>(0.4 * std::sin(0.07 * i));
  }
  return frames;
}

void BM_Spectrum2048(benchmark::State& state) {
  SpectrumAnalyzer analyzer;
  const std::vector<float> frames = testFrames();
  std::vector<float> bins(kSpectrumBins);
  for (auto _ : state) {
    analyzer.analyze(frames.data(), bins.data());
    benchmark::DoNotOptimize(bins.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Spectrum2048);

void BM_RingSpectrumAndLevel(benchmark::State& state) {
  FrameRing ring;
  const std::vector<float> frames = testFrames();
  ring.write(frames.data(), kFftSize);
  CaptureAnalysis analysis;
  std::vector<float> bins(kSpectrumBins);
  int32_t error = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(analysis.data(ring, bins.data(), kDataFft2048, error));
    benchmark::DoNotOptimize(analysis.level(ring));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_RingSpectrumAndLevel);

}  // namespace
}  // namespace tactolo
