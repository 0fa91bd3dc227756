// Cost of one VU output pass in the worst case: stereo, 16 colour points per
// row, every point changing state on every pass (the level swings between
// silence and above full scale), so each pass makes one UserInteraction and
// 96 SetChannel calls. The sink (or the host's stream) does nothing but
// count, so the figure is the plug-in's own share without the host's DMX
// cost: once for the output alone, once for the pass as the detection cycle
// makes it, on the module's state through the host facade.
#include <benchmark/benchmark.h>

#include <memory>

#include "audio/fake_capture.h"
#include "module/plugin_module.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "vu/vu_config.h"
#include "vu/vu_meter.h"
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

/// A host whose DMX stream only counts; it has nothing else.
class CountingHost final : public ILMQPluginHelper, public IMyStream {
 public:
  ISettings* Settings() override { return nullptr; }
  IMessages* Messages() override { return nullptr; }
  IMyStream* MyStream() override { return this; }
  ITranslator* Translator() override { return nullptr; }
  IProject* Project() override { return nullptr; }
  HostStatus UserInteraction() override {
    ++passes;
    return hostOk();
  }
  HostStatus SetChannel(int32_t, int32_t, bool) override {
    ++writes;
    return hostOk();
  }
  int64_t passes = 0;
  int64_t writes = 0;
};

/// Stereo, 16 colour points per row, each on channels of its own.
VuConfiguration allColourPoints() {
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
  config.VuConfigLoaded = true;
  return config;
}

void BM_VuPassAllColourPointsChanging(benchmark::State& state) {
  const VuConfiguration config = allColourPoints();
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

void BM_VuMeterPassThroughTheHostFacade(benchmark::State& state) {
  VirtualClock clock;
  FakeCaptureLibrary capture;
  HeadlessDialogs dialogs;
  PluginModule module{PluginEnvironment{clock, capture, dialogs}};
  auto host = std::make_shared<CountingHost>();
  module.PluginHelper().attach(host);
  module.vu().config = allColourPoints();
  VuMeter meter(module);
  meter.setupThresholds(kVuMaxSize);
  bool loud = false;
  for (auto _ : state) {
    loud = !loud;
    module.vars().VuLevelLeft = module.vars().VuLevelRight = loud ? 1.5 : 0.0;
    meter.SendVuLevels();
    benchmark::DoNotOptimize(host->writes);
  }
  if (host->writes != 96 * host->passes) state.SkipWithError("not every point changed on every pass");
  if (!module.eventErrors().empty()) state.SkipWithError("the host refused a DMX call");
}
BENCHMARK(BM_VuMeterPassThroughTheHostFacade)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tactolo
