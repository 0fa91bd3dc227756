// The plug-in library opened as a host opens it (dlopen), with its C entry
// looked up, a fake capture back-end behind a raising one, and headless
// dialogs. The module is ended and the library closed after each test.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "audio/fake_capture.h"
#include "audio/raising_capture.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "platform/library_entry.h"

namespace tactolo::testing {

class LibraryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    handle = ::dlopen(TACTOLO_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
    info = entry<decltype(&tactolo_library_info)>("tactolo_library_info");
    create = entry<decltype(&tactolo_create_object)>("tactolo_create_object");
    automation = entry<decltype(&tactolo_automation)>("tactolo_automation");
    shutdown = entry<decltype(&tactolo_shutdown)>("tactolo_shutdown");
    fake.addDevice({"Line In", true, {{"Line", true}}});
  }
  void TearDown() override {
    if (shutdown) shutdown(nullptr, 0);
    if (handle) ::dlclose(handle);
  }

  template <class Function>
  Function entry(const char* name) {
    auto function = reinterpret_cast<Function>(::dlsym(handle, name));
    EXPECT_NE(function, nullptr) << name;
    return function;
  }

  PlatformServices services() { return PlatformServices{&clock, &capture, &dialogs}; }

  /// The plug-in object on `platform`; fails the test when it is refused.
  std::shared_ptr<IclsLMQPlugIn> createPlugin(const PlatformServices& platform) {
    std::shared_ptr<IclsLMQPlugIn> object;
    char error[256] = "";
    EXPECT_EQ(create(kProgId, &platform, &object, error, sizeof error), 1) << error;
    return object;
  }
  std::shared_ptr<IPluginAutomation> takeAutomation() {
    std::shared_ptr<IPluginAutomation> taken;
    char error[256] = "";
    EXPECT_EQ(automation(&taken, error, sizeof error), 1) << error;
    return taken;
  }
  /// Runs tactolo_shutdown; the message when it answers 0, empty otherwise.
  std::string endModule() {
    char error[256] = "";
    return shutdown(error, sizeof error) == 1 ? std::string() : std::string(error);
  }
  void init(IclsLMQPlugIn& plugin) {
    std::string title = "Lumacue", file = "tactolo";
    ASSERT_TRUE(plugin.Init(title, file, helper).ok);
  }

  void* handle = nullptr;
  decltype(&tactolo_library_info) info = nullptr;
  decltype(&tactolo_create_object) create = nullptr;
  decltype(&tactolo_automation) automation = nullptr;
  decltype(&tactolo_shutdown) shutdown = nullptr;

  VirtualClock clock;
  FakeCaptureLibrary fake;
  RaisingCaptureLibrary capture{fake};
  HeadlessDialogs dialogs;
  std::shared_ptr<HeadlessHelper> helper = std::make_shared<HeadlessHelper>(clock);
};

}  // namespace tactolo::testing
