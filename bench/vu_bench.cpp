// Cost of one VU output pass in the worst case: stereo, 16 colour points per
// row, every point changing state on every pass (the level swings between
// silence and above full scale), so each pass makes one UserInteraction and
// 96 SetChannel calls. The sink does nothing but count, so the figure is the
// plug-in's own share without the host's DMX cost.
#include <benchmark/benchmark.h>

#include "vu/vu_config.h"
#include "vu/vu_output.h"

namespace tactolo {
namespace {

class CountingSink final : public VuDmxSink {
 public:
  void UserInteraction() override { ++passes; }
  void SetChannel(int32_t, int32_t, bool) override { ++writes; }
  int64_t passes = 0;
  int64_t writes = 0;
};

void BM_VuPassAllColourPointsChanging(benchmark::State& state) {
  VuConfiguration config;
  config.VuStereo = true;
  config.VuSize = kVuMaxSize;
  for (int i = 0; i < kVuPointsPerRow; ++i) {
    for (VuRow* row : {&config.LeftPoints, &config.RightPoints}) {
      VuPoint& point = (*row)[static_cast<size_t>(i)];
      point.Red = 255;
      point.Green = static_cast<uint8_t>(16 * i);
      point.Blue = 10;
      point.RedChannel = 3 * i + 1;
      point.GreenChannel = 3 * i + 2;
      point.BlueChannel = 3 * i + 3;
    }
  }
  VuOutputState lit;
  VuOutput output(lit);
  output.setupThresholds(config.VuSize);
  CountingSink sink;
  bool loud = false;
  for (auto _ : state) {
    loud = !loud;
    const double level = loud ? 1.5 : 0.0;
    output.SendVuLevels(config, level, level, sink);
    benchmark::DoNotOptimize(sink.writes);
  }
  if (sink.writes != 96 * sink.passes) state.SkipWithError("not every point changed on every pass");
}
BENCHMARK(BM_VuPassAllColourPointsChanging)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tactolo
