// Cost of playing an audio file at 44.1 kHz and at 48 kHz (resampled to
// 44.1 kHz as it is read), for 60 s of audio:
//
// BM_DecodeSixtySeconds: decoding alone (and resampling, at 48 kHz).
// BM_CaptureSixtySeconds: what file playback does for an analysis, one
// ChannelGetData (spectrum) and one ChannelGetLevel per 20 ms tick, decoding
// as the clock plays the file.
//
// The difference between the two rates is the cost of resampling; the
// counter x_realtime is how many times faster than real time the work ran.
#include <benchmark/benchmark.h>

#include <vector>

#include "audio/file_playback.h"
#include "audio/file_stream.h"
#include "platform/clock.h"
#include "sixty_second_file.h"

namespace tactolo {
namespace {

void realtimeCounter(benchmark::State& state) {
  state.counters["x_realtime"] = benchmark::Counter(
      kBenchFileSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_DecodeSixtySeconds(benchmark::State& state) {
  const SixtySecondFile file(static_cast<int>(state.range(0)));
  std::vector<float> piece(2 * FileStream::kDecodeFrames);
  for (auto _ : state) {
    AudioFileDecoder decoder(file.path());
    int64_t frames = 0;
    while (!decoder.finished()) {
      frames += static_cast<int64_t>(decoder.read(piece.data(), FileStream::kDecodeFrames));
    }
    benchmark::DoNotOptimize(frames);
  }
  realtimeCounter(state);
}
BENCHMARK(BM_DecodeSixtySeconds)->Arg(44100)->Arg(48000)->Unit(benchmark::kMillisecond);

void BM_CaptureSixtySeconds(benchmark::State& state) {
  const SixtySecondFile file(static_cast<int>(state.range(0)));
  std::vector<float> bins(kSpectrumBins);
  for (auto _ : state) {
    VirtualClock clock;
    FilePlaybackLibrary capture(clock, {PlaybackDevice::fromSource("file", file.path(), 0.0)});
    capture.RecordInit(0);
    const ChannelHandle handle = capture.RecordStart(kCaptureRate, 2, kSampleFloat, nullptr, nullptr);
    while (capture.playing()) {
      clock.advance(20);
      capture.ChannelGetData(handle, bins.data(), kDataFft2048);
      benchmark::DoNotOptimize(capture.ChannelGetLevel(handle));
    }
  }
  realtimeCounter(state);
}
BENCHMARK(BM_CaptureSixtySeconds)->Arg(44100)->Arg(48000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tactolo
