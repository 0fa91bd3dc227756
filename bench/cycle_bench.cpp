// Cost of the detection cycle and of a whole offline analysis.
//
// BM_DetectionCycleSimple: one 20 ms tick of the plug-in with the simple
// sound-energy method on file playback: spectrum of the newest 2048 frames,
// the method, the gates and the level read, driven through the virtual clock.
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

void BM_DetectionCycleSimple(benchmark::State& state) {
  VirtualClock clock;
  FilePlaybackLibrary capture(clock, {PlaybackDevice::fromAudio("synth", makeDrumPattern(120, 600))});
  HeadlessDialogs dialogs;
  auto helper = std::make_shared<HeadlessHelper>(clock);
  LiveModule live(PluginEnvironment{clock, capture, dialogs});
  live.module().PluginHelper().attach(helper);
  TactoloMain& main = live.windows().mainWindow();
  main.form().methodBox.setListIndex(1);
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
}
BENCHMARK(BM_DetectionCycleSimple);

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
