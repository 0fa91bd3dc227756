// The plug-in as a host sees it: loaded with dlopen, created through the C
// entry, driven through its interfaces.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "audio/fake_capture.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "shell/plugin_entry.h"

namespace tactolo {
namespace {

class PluginLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handle = ::dlopen(TACTOLO_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
    info = reinterpret_cast<decltype(info)>(::dlsym(handle, "tactolo_library_info"));
    create = reinterpret_cast<decltype(create)>(::dlsym(handle, "tactolo_create_object"));
    shutdown = reinterpret_cast<decltype(shutdown)>(::dlsym(handle, "tactolo_shutdown"));
    ASSERT_NE(info, nullptr);
    ASSERT_NE(create, nullptr);
    ASSERT_NE(shutdown, nullptr);
    capture.addDevice({"Line In", true, {{"Line", true}}});
  }
  void TearDown() override {
    if (shutdown) shutdown();
    if (handle) ::dlclose(handle);
  }

  void* handle = nullptr;
  const TactoloLibraryInfo* (*info)() = nullptr;
  int (*create)(const char*, const PlatformServices*, std::shared_ptr<IclsLMQPlugIn>*, char*,
                std::size_t) = nullptr;
  void (*shutdown)() = nullptr;
  VirtualClock clock;
  FakeCaptureLibrary capture;
  HeadlessDialogs dialogs;
};

TEST_F(PluginLibraryTest, TellsItsFactsAndCreatesOnlyItsClass) {
  EXPECT_STREQ(info()->typeLibraryName, "Tactolo");
  EXPECT_STREQ(info()->typeLibraryDescription, "Lumacue Tactolo");
  EXPECT_STREQ(info()->progId, "Tactolo.clsLMQPlugIn");
  PlatformServices platform{&clock, &capture, &dialogs};
  std::shared_ptr<IclsLMQPlugIn> object;
  char error[200] = "";
  EXPECT_EQ(create("Tactolo.Other", &platform, &object, error, sizeof error), 0);
  EXPECT_STRNE(error, "");
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(create("Tactolo.clsLMQPlugIn", nullptr, &object, error, sizeof error), 0);  // no platform yet
  ASSERT_EQ(create("Tactolo.clsLMQPlugIn", &platform, &object, error, sizeof error), 1) << error;
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->PluginName().value, "Tactolo");
}

TEST_F(PluginLibraryTest, AHostDrivesTheWindowAndFailuresComeBackAsResults) {
  PlatformServices platform{&clock, &capture, &dialogs};
  std::shared_ptr<IclsLMQPlugIn> plugin;
  char error[200] = "";
  ASSERT_EQ(create("Tactolo.clsLMQPlugIn", &platform, &plugin, error, sizeof error), 1) << error;

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

  std::string title = "Lumacue", file = "tactolo";
  auto helper = std::make_shared<HeadlessHelper>(clock);
  EXPECT_TRUE(plugin->Init(title, file, helper).value);
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

}  // namespace
}  // namespace tactolo
