// Cost of the detection cycle and of a whole offline analysis.
//
// BM_DetectionCycle/METHOD: one 20 ms tick of the plug-in with the method at
// that methodBox position (0 standard weight, 1 simple sound energy, 2
// frequency-selected with 64 sub-bands) on file playback: spectrum of the
// newest 2048 frames, the method, the gates and the level read, driven
// through the virtual clock.
// BM_SpectrumAlone: the spectrum read of the same ticks on the same playback,
// and nothing else: the cycle's cost beyond it is what the plug-in adds.
// BM_AnalyzeSixtySeconds: `tactolo analyze` of a 60 s drum-pattern WAV as a
// whole process, at 44.1 kHz and at 48 kHz (resampled as it is read); the
// counter x_realtime is how many times faster than real time the analysis
// ran.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
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

void BM_DetectionCycle(benchmark::State& state) {
  VirtualClock clock;
  FilePlaybackLibrary capture(clock,
                              {PlaybackDevice::fromAudio("synth", makeDrumPattern(120, kPatternSeconds))});
  HeadlessDialogs dialogs;
  auto helper = std::make_shared<HeadlessHelper>(clock);
  LiveModule live(PluginEnvironment{clock, capture, dialogs});
  live.module().PluginHelper().attach(helper);
  TactoloMain& main = live.windows().mainWindow();
  main.form().methodBox.setListIndex(static_cast<int>(state.range(0)));
  main.sendBeatCheck_Click();
  main.form().startButton.click();
  TimeMs startedMs = clock.nowMs();
  clock.advance(2000);  // past the start block
  for (auto _ : state) {
    clock.advance(20);
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
BENCHMARK(BM_DetectionCycle)->Arg(0)->Arg(1)->Arg(2);

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
