// Cost of the detection cycle and of a whole offline analysis.
//
// BM_DetectionCycleSimple: one 20 ms tick of the plug-in with the simple
// sound-energy method on file playback: spectrum of the newest 2048 frames,
// the method, the gates and the level read, driven through the virtual clock.
// BM_AnalyzeSixtySeconds: `tactolo analyze` of a 60 s drum-pattern WAV as a
// whole process; the counter x_realtime is how many times faster than real
// time the analysis ran.
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

std::filesystem::path writeSixtySecondFile() {
  const auto path =
      std::filesystem::temp_directory_path() / ("tactolo-bench-" + std::to_string(::getpid()) + ".wav");
  const DecodedAudio audio = makeDrumPattern(128, 60);
  SF_INFO info{};
  info.samplerate = kCaptureRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return {};
  sf_writef_float(file, audio.samples.data(), static_cast<sf_count_t>(audio.frameCount()));
  sf_close(file);
  return path;
}

void BM_AnalyzeSixtySeconds(benchmark::State& state) {
  const auto path = writeSixtySecondFile();
  const std::string command = std::string(TACTOLO_BINARY) + " analyze " + path.string() + " > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("analyze failed");
  }
  state.counters["x_realtime"] =
      benchmark::Counter(60.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  std::filesystem::remove(path);
}
BENCHMARK(BM_AnalyzeSixtySeconds)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace tactolo
