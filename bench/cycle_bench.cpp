// Cost of the detection cycle and of a whole offline analysis.
//
// BM_DetectionCycle/METHOD: one 20 ms tick of the plug-in with the method at
// that methodBox position (0 standard weight, 1 simple sound energy, 2
// frequency-selected with 64 sub-bands) on file playback: spectrum of the
// newest 2048 frames, the method, the gates and the level read, driven
// through the virtual clock.
// BM_DetectionCycleObserved: the same tick of method 0 with a view's form
// observer registered, which is told of every change of the window (the
// indicator and tempo on each beat, the level preview every fourth tick);
// notices_per_tick counts those, and allocs_per_tick the allocations of the
// ticks: none from telling the observer, which gets ids kept from the
// window's load (the few in a run are the recording helper's list of sent
// beat messages growing).
// BM_SpectrumAlone: the spectrum read of the same ticks on the same playback,
// and nothing else: the cycle's cost beyond it is what the plug-in adds.
// BM_AnalyzeSixtySeconds: `tactolo analyze` of a 60 s drum-pattern WAV as a
// whole process, at 44.1 kHz and at 48 kHz (resampled as it is read); the
// counter x_realtime is how many times faster than real time the analysis
// ran.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "audio/audio_source.h"
#include "audio/file_playback.h"
#include "mainwindow/tactolo_main.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "shell/live_module.h"
#include "sixty_second_file.h"

namespace tactolo {
namespace {

constexpr double kPatternSeconds = 600;

/// What a view would be told during the ticks, and the allocations the
/// ticks made.
class Tally final : public IFormObserver {
 public:
  void formChanged(const std::string&, const ControlId&) override { ++notices; }
  void formEvent(const std::string&, FormEvent) override { ++notices; }
  long notices = 0;
  long allocations = 0;
};

std::atomic<long> gAllocations{0};

void runCycle(benchmark::State& state, int method, Tally* tally) {
  VirtualClock clock;
  FilePlaybackLibrary capture(clock,
                              {PlaybackDevice::fromAudio("synth", makeDrumPattern(120, kPatternSeconds))});
  HeadlessDialogs dialogs;
  auto helper = std::make_shared<HeadlessHelper>(clock);
  LiveModule live(PluginEnvironment{clock, capture, dialogs});
  live.module().PluginHelper().attach(helper);
  TactoloMain& main = live.windows().mainWindow();
  main.form().methodBox.setListIndex(method);
  if (tally != nullptr) live.formNotifier().add(tally);
  main.sendBeatCheck_Click();
  main.form().startButton.click();
  TimeMs startedMs = clock.nowMs();
  clock.advance(2000);  // past the start block
  if (tally != nullptr) tally->notices = 0;
  for (auto _ : state) {
    if (tally != nullptr) {
      const long before = gAllocations.load(std::memory_order_relaxed);
      clock.advance(20);
      tally->allocations += gAllocations.load(std::memory_order_relaxed) - before;
    } else {
      clock.advance(20);
    }
    if (clock.nowMs() - startedMs > 590000) {
      // The pattern is 600 s long: start again from its beginning.
      state.PauseTiming();
      helper->messages.sent.clear();
      main.form().startButton.click();
      main.form().startButton.click();
      startedMs = clock.nowMs();
      clock.advance(2000);
      state.ResumeTiming();
    }
  }
  state.SetLabel(main.form().methodBox.text());
}

void BM_DetectionCycle(benchmark::State& state) {
  runCycle(state, static_cast<int>(state.range(0)), nullptr);
}
BENCHMARK(BM_DetectionCycle)->Arg(0)->Arg(1)->Arg(2);

void BM_DetectionCycleObserved(benchmark::State& state) {
  Tally tally;
  runCycle(state, 0, &tally);
  // (The restarts of the pattern are told too: a few in thousands of ticks.)
  state.counters["notices_per_tick"] =
      benchmark::Counter(static_cast<double>(tally.notices), benchmark::Counter::kAvgIterations);
  state.counters["allocs_per_tick"] =
      benchmark::Counter(static_cast<double>(tally.allocations), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DetectionCycleObserved);

void BM_SpectrumAlone(benchmark::State& state) {
  VirtualClock clock;
  FilePlaybackLibrary capture(clock,
                              {PlaybackDevice::fromAudio("synth", makeDrumPattern(120, kPatternSeconds))});
  capture.RecordInit(0);
  auto start = [&capture] { return capture.RecordStart(kCaptureRate, 2, kSampleFloat, nullptr, nullptr); };
  ChannelHandle channel = start();
  std::vector<float> bins(kSpectrumBins);
  TimeMs startedMs = clock.nowMs();
  for (auto _ : state) {
    clock.advance(20);
    benchmark::DoNotOptimize(capture.ChannelGetData(channel, bins.data(), kDataFft2048));
    benchmark::ClobberMemory();
    if (clock.nowMs() - startedMs > 590000) {
      state.PauseTiming();
      capture.ChannelStop(channel);
      channel = start();
      startedMs = clock.nowMs();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_SpectrumAlone);

void BM_AnalyzeSixtySeconds(benchmark::State& state) {
  const SixtySecondFile file(static_cast<int>(state.range(0)));
  const std::string command = std::string(TACTOLO_BINARY) + " analyze " + file.path() + " > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("analyze failed");
  }
  state.counters["x_realtime"] =
      benchmark::Counter(60.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AnalyzeSixtySeconds)
    ->Arg(44100)
    ->Arg(48000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace
}  // namespace tactolo

// Every allocation of the program is counted, for allocs_per_tick. Kept out
// of line, so that no caller sees the malloc and free behind them.
[[gnu::noinline]] void* operator new(std::size_t size) {
  tactolo::gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
