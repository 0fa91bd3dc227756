// Cost of handing a frame to the sACN output on the plug-in's thread: a
// publish() of one of four universes, each call a changed frame, while the
// output's own thread sends them (unicast to a port of this computer where
// nothing listens). What a VU pass or a beat action pays per universe it
// changed, whatever the network does.
#include <benchmark/benchmark.h>

#include <chrono>

#include "host/sacn_output.h"
#include "host/sacn_packet.h"

namespace tactolo::host {
namespace {

void BM_SacnPublishFourUniverses(benchmark::State& state) {
  SacnSettings settings;
  settings.unicastTargets = {"127.0.0.1"};
  settings.cid = makeCid();
  // Port 9 (discard): the packets are dropped at once.
  SacnOutput output(settings, 4, {9, std::chrono::milliseconds(1000)});
  DmxFrame frame{};
  int index = 0;
  for (auto _ : state) {
    ++frame[static_cast<std::size_t>(index)];
    output.publish(index, frame);
    index = (index + 1) % 4;
  }
  output.close();
}
BENCHMARK(BM_SacnPublishFourUniverses)->UseRealTime();

}  // namespace
}  // namespace tactolo::host
