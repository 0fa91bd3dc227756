// The host's DMX stream: what it refuses, how the plug-in's and the
// actions' layers merge and where channels land, and what the monitor
// prints.
#include "host/dmx_universes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_dmx_output.h"

namespace tactolo::host {
namespace {

using Layer = DmxUniverses::Layer;

TEST(DmxUniversesTest, RefusesWhatItCannotPlaceAndWarnsOncePerChannel) {
  struct Case {
    Layer layer;
    int32_t channel;
    int32_t value;
    std::string message;
  };
  const std::vector<Case> cases = {
      {Layer::Plugin, 0, 10, "refused DMX channel 0: the output has channels 1..512 (1 universe)"},
      {Layer::Actions, 1025, 10, "refused DMX channel 1025: the output has channels 1..512 (1 universe)"},
      {Layer::Plugin, 5, 256, "refused DMX value 256 for channel 5: values are 0..255"},
      {Layer::Actions, 6, -1, "refused DMX value -1 for channel 6: values are 0..255"},
  };
  testing::RecordingDmxOutput output;
  std::vector<std::string> warnings;
  DmxUniverses universes(1, output, [&](const std::string& message) { warnings.push_back(message); });
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) {
      const HostStatus status = c.layer == Layer::Plugin ? universes.SetChannel(c.channel, c.value, true)
                                                         : universes.set(c.layer, c.channel, c.value);
      EXPECT_FALSE(status.ok);
      EXPECT_EQ(status.error, c.message);
    }
  }
  std::vector<std::string> once;
  for (const Case& c : cases) once.push_back(c.message);
  EXPECT_EQ(warnings, once);

  // A plug-in writing ever new wrong channels does not grow the list of
  // warned ones without end: past 256 of them, one last warning says so.
  for (int32_t channel = 2000; channel < 2400; ++channel) (void)universes.SetChannel(channel, 1, true);
  ASSERT_EQ(warnings.size(), 257u);
  EXPECT_EQ(warnings.back(),
            "refused DMX channel 2252: the output has channels 1..512 (1 universe) (further refused channels "
            "are not reported)");

  universes.flush();
  ASSERT_EQ(output.frames.size(), 1u);
  EXPECT_EQ(output.frames[0].values, DmxFrame{}) << "nothing was written";
}

TEST(DmxUniversesTest, HighestLayerWinsAndOnlyChangesAreShownAndSent) {
  struct Write {
    Layer layer;
    int32_t channel;
    int32_t value;
  };
  struct Step {
    TimeMs atMs;
    std::vector<Write> writes;
    std::string lines;  // the monitor's, after the flush
  };
  const std::vector<Step> steps = {
      {0, {{Layer::Plugin, 1, 100}}, "0.000 dmx 1 100\n"},
      {10, {{Layer::Actions, 1, 200}}, "0.010 dmx 1 200\n"},
      {20, {{Layer::Actions, 1, 0}}, "0.020 dmx 1 100\n"},
      {30, {{Layer::Plugin, 1, 100}}, ""},
      {40, {{Layer::Actions, 2, 50}, {Layer::Plugin, 2, 180}, {Layer::Plugin, 700, 1}}, "0.040 dmx 2 180\n"},
      {50, {{Layer::Plugin, 2, 0}}, "0.050 dmx 2 50\n"},
      {60, {{Layer::Plugin, 3, 9}, {Layer::Plugin, 3, 0}}, ""},
      {1234, {{Layer::Plugin, 512, 1}, {Layer::Plugin, 1, 0}}, "1.234 dmx 1 0\n1.234 dmx 512 1\n"},
  };
  testing::MonitoredUniverse dmx;
  dmx.universes.flush();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.atMs);
    dmx.clock.advanceTo(step.atMs);
    dmx.output.frames.clear();
    dmx.out.str("");
    for (const Write& w : step.writes) (void)dmx.universes.set(w.layer, w.channel, w.value);
    dmx.universes.flush();
    EXPECT_EQ(dmx.out.str(), step.lines);
    EXPECT_EQ(dmx.output.frames.size(), step.lines.empty() ? 0u : 1u);
  }
  EXPECT_EQ(dmx.universes.value(1), 0);
  EXPECT_EQ(dmx.universes.value(2), 50);
}

TEST(DmxUniversesTest, ReconfiguredKeepsTheChannelsThatFitAndHandsEveryUniverseToTheNewOutput) {
  testing::RecordingDmxOutput first, second;
  std::vector<std::string> warnings;
  DmxUniverses universes(2, first, [&](const std::string& message) { warnings.push_back(message); });
  (void)universes.SetChannel(3, 30, true);
  (void)universes.SetChannel(600, 60, true);
  (void)universes.SetChannel(1100, 1, true);  // refused: two universes
  universes.flush();
  EXPECT_THROW(universes.reconfigure(0, second), std::invalid_argument);

  universes.reconfigure(1, second);
  (void)universes.SetChannel(1100, 1, true);  // refused again, and told again
  universes.flush();
  EXPECT_EQ(first.frames.size(), 2u) << "the old output gets nothing more";
  ASSERT_EQ(second.frames.size(), 1u);
  EXPECT_EQ(second.frames[0].values[2], 30);
  EXPECT_EQ(universes.value(600), 0);
  EXPECT_EQ(warnings.size(), 2u);

  universes.reconfigure(3, second);
  (void)universes.SetChannel(1100, 1, true);
  universes.flush();
  ASSERT_EQ(second.frames.size(), 4u);
  EXPECT_EQ(second.frames[1].values[2], 30);
  EXPECT_EQ(second.frames[3].values[1100 - 1024 - 1], 1);
}

}  // namespace
}  // namespace tactolo::host
