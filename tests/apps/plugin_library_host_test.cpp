// The host's side of the library entry (apps/tactolo/plugin_library): it
// opens the library, refuses one that speaks another interface version, and
// ends the module before it closes the library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "audio/fake_capture.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "plugin_library.h"

namespace tactolo::app {
namespace {

using ::testing::HasSubstr;

TEST(PluginLibraryHost, RefusesALibraryOfAnotherInterfaceVersionOrNoLibraryAtAll) {
  EXPECT_THAT([] { PluginLibrary library(TACTOLO_OTHER_VERSION_LIBRARY); },
              ::testing::ThrowsMessage<std::runtime_error>(::testing::AllOf(
                  HasSubstr(TACTOLO_OTHER_VERSION_LIBRARY),
                  HasSubstr("interface version " + std::to_string(kInterfaceVersion + 1)),
                  HasSubstr("this host speaks version " + std::to_string(kInterfaceVersion)))));
  EXPECT_THROW(PluginLibrary("/nonexistent/libtactolo-plugin.so"), std::runtime_error);
}

TEST(PluginLibraryHost, EndsTheModuleWhenItCloses) {
  VirtualClock clock;
  FakeCaptureLibrary capture;
  capture.addDevice({"Line In", true, {{"Line", true}}});
  HeadlessDialogs dialogs;
  auto helper = std::make_shared<HeadlessHelper>(clock);
  {
    PluginLibrary library(TACTOLO_PLUGIN_LIBRARY);
    EXPECT_EQ(library.info().interfaceVersion, kInterfaceVersion);
    auto plugin = library.create(PlatformServices{&clock, &capture, &dialogs});
    std::string title = "host", file = "test";
    ASSERT_TRUE(plugin->Init(title, file, helper).ok);
    ASSERT_TRUE(plugin->ModuleInfo().value->toolWindow->loadWindow().ok);
    EXPECT_EQ(capture.initialisedDevice(), 0);
    plugin.reset();
  }
  // The window's close handlers freed the device before the library closed.
  EXPECT_EQ(capture.initialisedDevice(), std::nullopt);
  EXPECT_EQ(helper.use_count(), 1);
}

}  // namespace
}  // namespace tactolo::app
