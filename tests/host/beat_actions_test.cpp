// Beat actions on a virtual clock, seen through the DMX monitor, and the
// command line's --flash.
#include "host/beat_actions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "recording_dmx_output.h"

namespace tactolo::host {
namespace {

using ::testing::ThrowsMessage;

BeatAction flash(std::vector<ChannelValue> channels, int holdMs, int everyNth = 1) {
  BeatAction action;
  action.channels = std::move(channels);
  action.holdMs = holdMs;
  action.everyNth = everyNth;
  return action;
}

BeatAction chase(std::vector<std::vector<ChannelValue>> steps, int everyNth = 1) {
  BeatAction action;
  action.kind = BeatAction::Kind::Chase;
  action.steps = std::move(steps);
  action.everyNth = everyNth;
  return action;
}

TEST(BeatActionsTest, FlashesAndChasesFollowTheBeats) {
  struct Case {
    std::string name;
    std::vector<BeatAction> actions;
    std::vector<TimeMs> beats;
    std::string lines;
  };
  const std::vector<Case> cases = {
      {"a beat in the hold starts it again",
       {flash({{1, 255}, {2, 128}}, 100)},
       {0, 60, 300},
       "0.000 dmx 1 255\n0.000 dmx 2 128\n0.160 dmx 1 0\n0.160 dmx 2 0\n"
       "0.300 dmx 1 255\n0.300 dmx 2 128\n0.400 dmx 1 0\n0.400 dmx 2 0\n"},
      {"every third beat, whatever its kind",
       {flash({{7, 200}}, 50, 3)},
       {0, 100, 200, 300, 400, 500, 600},
       "0.000 dmx 7 200\n0.050 dmx 7 0\n0.300 dmx 7 200\n0.350 dmx 7 0\n0.600 dmx 7 200\n0.650 dmx 7 0\n"},
      {"a chase steps and wraps",
       {chase({{{1, 255}}, {{2, 255}}, {{1, 128}, {3, 255}}})},
       {0, 100, 200, 300},
       "0.000 dmx 1 255\n0.100 dmx 1 0\n0.100 dmx 2 255\n0.200 dmx 1 128\n0.200 dmx 2 0\n0.200 dmx 3 255\n"
       "0.300 dmx 1 255\n0.300 dmx 3 0\n"},
      {"every second beat, the chase's steps",
       {chase({{{1, 10}}, {{1, 20}}}, 2)},
       {0, 100, 200, 300, 400},
       "0.000 dmx 1 10\n0.200 dmx 1 20\n0.400 dmx 1 10\n"},
      {"actions on one channel: the highest wins",
       {flash({{1, 100}}, 50), chase({{{1, 255}}, {{2, 255}}})},
       {0, 100},
       "0.000 dmx 1 255\n0.100 dmx 1 100\n0.100 dmx 2 255\n0.150 dmx 1 0\n"},
  };
  const BeatKind kinds[] = {BeatKind::Detected, BeatKind::Generated, BeatKind::Manual};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::MonitoredUniverse dmx;
    BeatActions actions(dmx.clock, dmx.universes, c.actions);
    for (std::size_t i = 0; i < c.beats.size(); ++i) {
      dmx.clock.advanceTo(c.beats[i]);
      BeatEvent beat;
      beat.clockMs = c.beats[i];
      beat.kind = kinds[i % 3];
      actions.onBeat(beat);
    }
    dmx.clock.advance(1000);
    EXPECT_EQ(dmx.out.str(), c.lines) << "each change leaves at once, without the host's flush";
  }
}

TEST(BeatActionsTest, RefusesActionsOutOfRange) {
  const std::vector<std::pair<BeatAction, std::string>> cases = {
      {flash({{1, 255}}, 100, 0), "flash: every 0th beat is not in 1..64"},
      {flash({{1, 255}}, 0), "flash: hold of 0 ms is not in 1..60000"},
      {flash({}, 100), "flash: no channel to flash"},
      {chase({}), "chase: no step to show"},
      {chase({{{32769, 1}}}), "chase: channel 32769 is not in 1..32768"},
      {chase({{{2, 256}}}), "chase: value 256 of channel 2 is not in 0..255"},
  };
  for (const auto& [action, message] : cases) {
    EXPECT_THAT([&] { checkBeatAction(action); }, ThrowsMessage<std::invalid_argument>(message));
  }
}

TEST(FlashOptionTest, AcceptsTheDocumentedForms) {
  struct Case {
    std::string text;
    std::vector<ChannelValue> channels;
    int holdMs;
  };
  const std::vector<Case> cases = {
      {"1", {{1, 255}}, 100},     {"3,513=128", {{3, 128}, {513, 128}}, 100},
      {"2/250", {{2, 255}}, 250}, {"32768=0/60000", {{32768, 0}}, 60000},
      {"007=9/1", {{7, 9}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const BeatAction action = parseFlashOption(c.text);
    EXPECT_EQ(action.channels, c.channels);
    EXPECT_EQ(action.holdMs, c.holdMs);
  }
}

TEST(FlashOptionTest, RefusesAnythingElseNamingTheOption) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"=255", "--flash: must be CH[,CH...][=VALUE][/HOLD_MS], not '=255'"},
      {"0", "--flash: channel must be 1..32768, not '0' in '0'"},
      {"32769", "--flash: channel must be 1..32768, not '32769' in '32769'"},
      {"1,,2", "--flash: channel must be 1..32768, not '' in '1,,2'"},
      {"+1", "--flash: channel must be 1..32768, not '+1' in '+1'"},
      {"1=256", "--flash: value must be 0..255, not '256' in '1=256'"},
      {"1=99999999999", "--flash: value must be 0..255, not '99999999999' in '1=99999999999'"},
      {"1/0", "--flash: hold (ms) must be 1..60000, not '0' in '1/0'"},
      {"1/60001", "--flash: hold (ms) must be 1..60000, not '60001' in '1/60001'"},
      {"1/100=5", "--flash: hold (ms) must be 1..60000, not '100=5' in '1/100=5'"},
  };
  for (const auto& [text, message] : cases) {
    EXPECT_THAT([&] { parseFlashOption(text); }, ThrowsMessage<std::invalid_argument>(message)) << text;
  }
}

TEST(ChannelValuesTextTest, ReadsTheTypedFormsWritesThemBackAndRefusesTheRest) {
  struct Case {
    std::string typed;
    std::vector<std::vector<ChannelValue>> steps;
    std::string written;
  };
  for (const Case& c : std::vector<Case>{
           {"1-3=200, 5 9=0", {{{1, 200}, {2, 200}, {3, 200}, {5, 255}, {9, 0}}}, "1-3=200, 5=255, 9=0"},
           {"4=1;;6", {{{4, 1}}, {}, {{6, 255}}}, "4=1; ; 6=255"},
           {" ", {}, ""},
           {"32768=7", {{{32768, 7}}}, "32768=7"}}) {
    SCOPED_TRACE(c.typed);
    const auto steps = parseChaseSteps(c.typed);
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(chaseStepsText(steps), c.written);
    EXPECT_EQ(parseChaseSteps(c.written), steps);
  }
  // {typed, the message's step and entry}
  for (const auto& [typed, wrong] :
       std::vector<std::pair<std::string, std::string>>{{"1;0=5", "step 2: '0=5'"},
                                                        {"3-2", "step 1: '3-2'"},
                                                        {"1=256", "step 1: '1=256'"},
                                                        {"1=x", "step 1: '1=x'"}}) {
    EXPECT_THAT([&] { parseChaseSteps(typed); },
                ThrowsMessage<std::invalid_argument>(
                    wrong + " is not CH=VALUE or FIRST-LAST=VALUE (channels 1..32768, values 0..255)"));
  }
}

}  // namespace
}  // namespace tactolo::host
