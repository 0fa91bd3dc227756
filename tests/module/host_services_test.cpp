#include "module/host_services.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
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

TEST(HostServices, HostFailuresBecomeErrorsWithTheirMessage) {
  VirtualClock clock;
  HostServices host;
  auto helper = std::make_shared<HeadlessHelper>(clock);
  helper->messages.failing = true;
  host.attach(helper);
  try {
    host.SendMessage(9, 1, 0);
    FAIL() << "no error";
  } catch (const HostError& e) {
    EXPECT_NE(std::string(e.what()).find("refused"), std::string::npos);
  }
}

}  // namespace
}  // namespace tactolo
