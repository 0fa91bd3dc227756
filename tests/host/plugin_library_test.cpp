// The host's side of the library entry (host/plugin_library): it
// ends the module before it closes the library. A library of another
// interface version, or none, is refused in the sources command transcript.
#include "host/plugin_library.h"

#include <gtest/gtest.h>

#include "audio/fake_capture.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"

namespace tactolo::host {
namespace {

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
}  // namespace tactolo::host
