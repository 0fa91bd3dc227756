// The library's C entry as a host meets it through dlopen: the facts it
// tells, the objects it creates, and the module's lifetime across it
// (objects a host keeps after tactolo_shutdown(), a module started again,
// other platform services, close handlers that raise while the module
// ends, a shutdown asked for while the plug-in runs). Driving the objects is
// in the script transcripts (plugin_object, tool_window, handler_errors,
// names).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/library_fixture.h"

namespace tactolo::testing {
namespace {

using ::testing::HasSubstr;

constexpr const char* kShutDown = "the Tactolo library has been shut down";

/// One member of each object a host holds, each of which must fail with
/// the shutdown's message (every member runs through the same module call).
std::vector<std::string> errorsOfEndedObjects(IclsLMQPlugIn& plugin, const ModuleInformation& info,
                                              IPluginAutomation& user) {
  std::string first = "Tactolo On";
  return {plugin.PluginName().error,
          info.toolWindow->isOpen().error,
          info.projectTool->LoadProjectData().error,
          info.commandServer->GetSecondOptions(first).error,
          user.state("Recording").error,
          user.click("TactoloMain", {"startButton"}).error};
}

class LibraryEntryTest : public LibraryFixture {};

TEST_F(LibraryEntryTest, TellsItsFactsAndCreatesOnlyItsClass) {
  EXPECT_STREQ(info()->progId, "Tactolo.clsLMQPlugIn");
  PlatformServices platform = services();
  std::shared_ptr<IclsLMQPlugIn> object;
  char error[200] = "";
  EXPECT_EQ(create("Tactolo.Other", &platform, &object, error, sizeof error), 0);
  EXPECT_EQ(create(kProgId, nullptr, &object, error, sizeof error), 0);  // no platform yet
  EXPECT_EQ(create(kProgId, &platform, nullptr, error, sizeof error), 0);
  EXPECT_STREQ(error, "no place for the object");
  EXPECT_EQ(object, nullptr);
  ASSERT_EQ(create(kProgId, &platform, &object, error, sizeof error), 1) << error;
}

class LibraryLifetimeTest : public LibraryFixture {};

TEST_F(LibraryLifetimeTest, EveryObjectHandedOutFailsCleanlyAfterShutdown) {
  auto plugin = createPlugin(services());
  auto user = takeAutomation();
  auto info = plugin->ModuleInfo().value;
  init(*plugin);
  ASSERT_TRUE(info->toolWindow->loadWindow().ok);
  ASSERT_TRUE(info->toolWindow->showWindow().ok);
  ASSERT_TRUE(user->click("TactoloMain", {"startButton"}).ok);
  ASSERT_NE(fake.runningChannel(), 0u);

  EXPECT_EQ(endModule(), "");
  // The close handlers ran: the device is free, the capture over.
  EXPECT_EQ(fake.initialisedDevice(), std::nullopt);
  EXPECT_EQ(fake.runningChannel(), 0u);
  // Nothing in the library keeps the host's helper any more.
  EXPECT_EQ(helper.use_count(), 1);

  const auto callsBefore = fake.calls().size();
  EXPECT_EQ(errorsOfEndedObjects(*plugin, *info, *user), std::vector<std::string>(6, kShutDown));
  // They touched nothing: no capture call, no dialog, no clock event.
  EXPECT_EQ(fake.calls().size(), callsBefore);
  EXPECT_TRUE(dialogs.records().empty());
  EXPECT_EQ(clock.nextDueMs(), std::nullopt);

  // A create starts a fresh module: another window, not loaded, no helper
  // until Init.
  auto fresh = createPlugin(services());
  auto window = fresh->ModuleInfo().value->toolWindow;
  EXPECT_NE(window, info->toolWindow);
  EXPECT_FALSE(window->isOpen().value);
  EXPECT_FALSE(window->loadWindow().ok);
  init(*fresh);
  EXPECT_TRUE(window->loadWindow().ok);
  EXPECT_EQ(info->toolWindow->isOpen().error, kShutDown);
}

TEST_F(LibraryLifetimeTest, OtherPlatformServicesAreRefusedWhileAModuleLives) {
  VirtualClock otherClock;
  FakeCaptureLibrary otherCapture;
  otherCapture.addDevice({"USB Audio", true, {{"Mic", true}}});
  HeadlessDialogs otherDialogs;
  const PlatformServices other{&otherClock, &otherCapture, &otherDialogs};

  auto plugin = createPlugin(services());
  std::shared_ptr<IclsLMQPlugIn> refused;
  char error[256] = "";
  EXPECT_EQ(create(kProgId, &other, &refused, error, sizeof error), 0);
  EXPECT_THAT(error, HasSubstr("other platform services"));
  // The same services, or none, give another object of the same module.
  EXPECT_EQ(create(kProgId, nullptr, &refused, error, sizeof error), 1) << error;
  EXPECT_EQ(refused->ModuleInfo().value->toolWindow, plugin->ModuleInfo().value->toolWindow);

  // After shutdown the other services start the next module, and it runs on
  // them: the window lists the other back-end's device.
  EXPECT_EQ(endModule(), "");
  auto next = createPlugin(other);
  auto user = takeAutomation();
  init(*next);
  ASSERT_TRUE(next->ModuleInfo().value->toolWindow->loadWindow().ok);
  EXPECT_EQ(user->controlProperty("TactoloMain", {"devicesBox"}, "text", std::nullopt).value.text,
            "USB Audio");
  EXPECT_EQ(otherCapture.initialisedDevice(), 0);
  EXPECT_EQ(fake.initialisedDevice(), std::nullopt);
  // Ended before the services it runs on go.
  EXPECT_EQ(endModule(), "");
}

TEST_F(LibraryLifetimeTest, ACloseHandlerThatRaisesDuringShutdownIsReportedAndTheModuleEnds) {
  // A capture library that raises its own error, or something that is no
  // standard exception at all.
  const std::pair<std::function<void()>, const char*> raisers[] = {
      {[] { throw CaptureFailure("the device is gone"); }, "the device is gone"},
      {[] { throw 42; }, "unknown error"}};
  for (const auto& [raise, message] : raisers) {
    auto plugin = createPlugin(services());
    init(*plugin);
    auto window = plugin->ModuleInfo().value->toolWindow;
    ASSERT_TRUE(window->loadWindow().ok);
    capture.actOnNextCall("RecordFree", raise);
    EXPECT_THAT(endModule(), HasSubstr(message));
    EXPECT_EQ(window->isOpen().error, kShutDown);
    // Nothing of the ended module is left on the clock.
    EXPECT_EQ(clock.nextDueMs(), std::nullopt);
  }
  auto again = createPlugin(services());
  EXPECT_FALSE(again->ModuleInfo().value->toolWindow->isOpen().value);
}

TEST_F(LibraryLifetimeTest, AShutdownAskedForWhileThePlugInRunsIsRefusedAndEndsNothing) {
  // The host asks for it from inside its own services while the plug-in
  // calls them: its capture library (an operation) or its message service.
  struct Reentry {
    const char* during;
    const char* operation;  // null: the beat message
    std::function<void(IPluginAutomation&)> run;
  };
  const auto start = [](IPluginAutomation& user) {
    ASSERT_TRUE(user.click("TactoloMain", {"startButton"}).ok);
  };
  const Reentry reentries[] = {
      {"a host call", "RecordStart", start},
      {"a tick", "ChannelGetData",
       [&](IPluginAutomation& user) {
         start(user);
         clock.advance(20);
       }},
      {"a beat", nullptr,
       [&](IPluginAutomation& user) {
         start(user);
         std::vector<float> spectrum(kSpectrumBins, 0.0f);
         for (int tick = 1; tick < 55; ++tick) fake.queueSpectrum(spectrum);
         spectrum[10] = 1.0f;  // one loud tick after the first second: a beat
         fake.queueSpectrum(spectrum);
         clock.advance(55 * 20);
         EXPECT_EQ(helper->messages.sent.size(), 1u);
       }},
      {"a shutdown's close handlers", "RecordFree", [&](IPluginAutomation&) { EXPECT_EQ(endModule(), ""); }},
  };
  for (const Reentry& reentry : reentries) {
    SCOPED_TRACE(reentry.during);
    auto plugin = createPlugin(services());
    auto user = takeAutomation();
    init(*plugin);
    auto window = plugin->ModuleInfo().value->toolWindow;
    ASSERT_TRUE(window->loadWindow().ok);
    ASSERT_TRUE(window->showWindow().ok);
    ASSERT_TRUE(user->select("TactoloMain", {"methodBox"}, 1).ok);
    ASSERT_TRUE(user->check("TactoloMain", {"sendBeatCheck"}, 0).ok);
    ASSERT_TRUE(user->check("TactoloMain", {"sendBeatCheck"}, 1).ok);
    helper->messages.sent.clear();
    std::string refusal = "not asked";
    const auto shutDown = [&] { refusal = endModule(); };
    if (reentry.operation) {
      capture.actOnNextCall(reentry.operation, shutDown);
    } else {
      helper->messages.whileSending = shutDown;
    }

    reentry.run(*user);
    helper->messages.whileSending = nullptr;
    EXPECT_THAT(refusal, HasSubstr("still running"));
    // The module ran on to the end of what it was doing; a shutdown from
    // outside ends it, and its close handlers free the device.
    EXPECT_EQ(endModule(), "");
    EXPECT_EQ(fake.initialisedDevice(), std::nullopt);
    EXPECT_EQ(clock.nextDueMs(), std::nullopt);
  }
}

TEST_F(LibraryLifetimeTest, TheAutomationInterfaceNeedsALiveModule) {
  std::shared_ptr<IPluginAutomation> user;
  char error[256] = "";
  EXPECT_EQ(automation(&user, error, sizeof error), 0);
  EXPECT_THAT(error, HasSubstr("create the plug-in object first"));
  createPlugin(services());
  EXPECT_EQ(automation(nullptr, error, sizeof error), 0);
  EXPECT_EQ(automation(&user, error, sizeof error), 1) << error;
  EXPECT_TRUE(user->state("Recording").ok);
  // Ending a module twice, or when none lives, is no failure.
  EXPECT_EQ(endModule(), "");
  EXPECT_EQ(endModule(), "");
  EXPECT_EQ(automation(&user, error, sizeof error), 0);
}

}  // namespace
}  // namespace tactolo::testing
