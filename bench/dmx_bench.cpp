// Cost on the plug-in's thread of one VU pass through the host's DMX stream:
// UserInteraction, 32 SetChannel calls that all change their channel (the
// level swings, as a loud VU meter makes it), then the flush that hands the
// changed universe to the output. The output only counts, so the figure is
// the stream's own share; sending is the output's thread's.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "host/dmx_universes.h"

namespace tactolo::host {
namespace {

class CountingOutput final : public DmxOutput {
 public:
  void publish(int /*index*/, const DmxFrame& frame) override {
    ++frames;
    benchmark::DoNotOptimize(frame.data());
  }
  DmxOutputState state() const override { return {}; }
  void close() override {}
  int64_t frames = 0;
};

void BM_VuPassAndFlush(benchmark::State& state) {
  const int universes = static_cast<int>(state.range(0));
  CountingOutput output;
  DmxUniverses stream(universes, output, {});
  stream.flush();
  int32_t value = 0;
  for (auto _ : state) {
    value = value == 0 ? 255 : 0;
    stream.UserInteraction();
    // Spread over the universes, as a stereo colour layout may be patched.
    for (int32_t i = 0; i < 32; ++i) {
      stream.SetChannel(1 + (i % universes) * kDmxChannels + i * 3, value, true);
    }
    stream.flush();
  }
  state.counters["frames/pass"] =
      benchmark::Counter(static_cast<double>(output.frames), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_VuPassAndFlush)->Arg(1)->Arg(4);

}  // namespace
}  // namespace tactolo::host
