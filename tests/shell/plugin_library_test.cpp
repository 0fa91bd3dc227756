// The plug-in as a host sees it: loaded with dlopen, created through the C
// entry, driven through its interfaces.
#include <gtest/gtest.h>

#include "support/library_fixture.h"

namespace tactolo::testing {
namespace {

class PluginLibraryTest : public LibraryFixture {};

TEST_F(PluginLibraryTest, TellsItsFactsAndCreatesOnlyItsClass) {
  EXPECT_EQ(info()->interfaceVersion, kInterfaceVersion);
  EXPECT_STREQ(info()->typeLibraryName, "Tactolo");
  EXPECT_STREQ(info()->typeLibraryDescription, "Lumacue Tactolo");
  EXPECT_STREQ(info()->progId, "Tactolo.clsLMQPlugIn");
  PlatformServices platform = services();
  std::shared_ptr<IclsLMQPlugIn> object;
  char error[200] = "";
  EXPECT_EQ(create("Tactolo.Other", &platform, &object, error, sizeof error), 0);
  EXPECT_STRNE(error, "");
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(create(kProgId, nullptr, &object, error, sizeof error), 0);  // no platform yet
  EXPECT_EQ(create(kProgId, &platform, nullptr, error, sizeof error), 0);
  EXPECT_STREQ(error, "no place for the object");
  ASSERT_EQ(create(kProgId, &platform, &object, error, sizeof error), 1) << error;
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->PluginName().value, "Tactolo");
}

TEST_F(PluginLibraryTest, AHostDrivesTheWindowAndFailuresComeBackAsResults) {
  auto plugin = createPlugin(services());
  auto info = plugin->ModuleInfo();
  ASSERT_TRUE(info.ok) << info.error;
  auto window = info.value->toolWindow;
  ASSERT_NE(window, nullptr);

  // Before Init the window cannot load (it needs the host's settings): the
  // call fails with a message and the plug-in goes on.
  auto early = window->loadWindow();
  EXPECT_FALSE(early.ok);
  EXPECT_NE(early.error.find("not initialised"), std::string::npos) << early.error;
  EXPECT_FALSE(window->isOpen().value);

  init(*plugin);
  auto loaded = window->loadWindow();
  EXPECT_TRUE(loaded.ok) << loaded.error;
  EXPECT_FALSE(loaded.value);
  EXPECT_TRUE(window->isOpen().value);

  int32_t state = 9;
  auto refused = window->SetWindowState(state);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(window->WindowState().value, 0);
  EXPECT_EQ(dialogs.records().back().text, "let WindowState =9");

  EXPECT_TRUE(plugin->Term().value);
  EXPECT_TRUE(window->isOpen().value);  // Term leaves the window alone
  EXPECT_FALSE(window->unloadWindow().value);
  EXPECT_FALSE(window->isOpen().value);
}

TEST_F(PluginLibraryTest, UserActionsRunTheLibrarysHandlersAndTheirErrorsComeBackAsResults) {
  auto plugin = createPlugin(services());
  auto user = takeAutomation();
  init(*plugin);
  auto window = plugin->ModuleInfo().value->toolWindow;
  ASSERT_TRUE(window->loadWindow().ok);

  // A hidden window is out of the user's reach.
  auto hidden = user->click("TactoloMain", {"startButton"});
  EXPECT_FALSE(hidden.ok);
  EXPECT_EQ(hidden.error, "TactoloMain is hidden");
  ASSERT_TRUE(window->showWindow().ok);

  capture.raiseOnNextCall("RecordStart", "the sound server went away");
  auto raised = user->click("TactoloMain", {"startButton"});
  EXPECT_FALSE(raised.ok);
  EXPECT_EQ(raised.error, "the sound server went away");
  EXPECT_EQ(user->state("recording").value.value.integer, 0);

  // The plug-in goes on: the next click starts the capture.
  ASSERT_TRUE(user->click("tactolomain", {"STARTBUTTON"}).ok);
  auto recording = user->state("recording");
  ASSERT_TRUE(recording.ok) << recording.error;
  EXPECT_EQ(recording.value.name, "Recording");
  EXPECT_EQ(recording.value.value.kind, AutomationValue::Kind::Boolean);
  EXPECT_EQ(recording.value.value.integer, 1);
  auto caption = user->controlProperty("TactoloMain", {"startButton"}, "Caption", std::nullopt);
  EXPECT_EQ(caption.value.text, "Stop");
  auto timer = user->timer("BEATTIMER");
  EXPECT_EQ(timer.value.name, "beatTimer");
  EXPECT_TRUE(timer.value.enabled);
  EXPECT_EQ(timer.value.durationMs, 20);

  // A tick whose spectrum read raises is an event error, kept until taken.
  capture.raiseOnNextCall("ChannelGetData", "no data");
  clock.advance(20);
  auto errors = user->takeEventErrors();
  ASSERT_TRUE(errors.ok);
  EXPECT_EQ(errors.value, std::vector<std::string>{"no data"});
  EXPECT_TRUE(user->takeEventErrors().value.empty());
}

}  // namespace
}  // namespace tactolo::testing
