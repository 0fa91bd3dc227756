// The module's host facade, failing before Init and after Term and turning
// host failures into errors, and the state table's names and values. Reading
// names in any case, the refusals and the methods' state are in the names
// transcript.
#include <gtest/gtest.h>

#include <stdexcept>

#include "audio/fake_capture.h"
#include "module/host_services.h"
#include "module/plugin_module.h"
#include "module/state_table.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"

namespace tactolo {
namespace {

void expectEveryCallFails(HostServices& host) {
  EXPECT_THROW(host.Settings(), HostError);
  EXPECT_THROW(host.SendMessage(9, 1, 0), HostError);
  EXPECT_THROW(host.UserInteraction(), HostError);
  EXPECT_THROW(host.SetChannel(1, 255, true), HostError);
  EXPECT_THROW(host.Translate("x"), HostError);
  EXPECT_THROW(host.ProjectName(), HostError);
  EXPECT_THROW(host.ProjectBaseFilename(), HostError);
}

TEST(HostServices, EveryCallFailsBeforeInitAndAfterTerm) {
  VirtualClock clock;
  HostServices host;
  expectEveryCallFails(host);
  auto helper = std::make_shared<HeadlessHelper>(clock);
  host.attach(helper);
  auto settings = host.Settings();
  host.SendMessage(9, 1, 0);
  EXPECT_EQ(helper->messages.sent.size(), 1u);
  host.release();
  expectEveryCallFails(host);
  // A settings object taken earlier fails too.
  EXPECT_THROW(settings->ReadValue("k", ""), HostError);
  host.attach(helper);
  settings->WriteValue("k", "v");
  EXPECT_EQ(settings->ReadValue("k", "d"), "v");
}

TEST(StateNames, AnIndexOutside0To32767OrNotInOneClosedPairIsNoName) {
  // Names that split, with their index, are read in the names transcript.
  EXPECT_EQ(splitStateName("Buffer(32767)")->index, 32767);

  for (const char* bad : {"Buffer(32768)", "Buffer()", "Buffer(-1)", "Buffer(1", "Buffer1)", "A(1).B(2)",
                          "Buffer(x)", "Buffer(1000000)"}) {
    EXPECT_EQ(splitStateName(bad), std::nullopt) << bad;
  }
}

// Reading names in any case, the refusals and the methods' state are in the
// names transcript; here the values a script cannot produce.
TEST(StateTable, IntegersReadWholeBeyondThe32BitRangeAndBelowZero) {
  VirtualClock clock;
  FakeCaptureLibrary capture;
  HeadlessDialogs dialogs;
  PluginModule module{PluginEnvironment{clock, capture, dialogs}};
  module.vars().MeasuredBPM = -3;
  module.vars().RecordChannel = 4000000000u;
  EXPECT_EQ(readState(module, "MeasuredBPM").value.integer, -3);
  const StateReading channel = readState(module, "recordchannel");
  EXPECT_EQ(channel.name, "RecordChannel");
  EXPECT_EQ(channel.value.kind, AutomationValue::Kind::Integer);
  EXPECT_EQ(channel.value.integer, 4000000000);
}

}  // namespace
}  // namespace tactolo
