// The host's side of the library entry (apps/tactolo/plugin_library): it
// opens the library, refuses one that speaks another interface version, and
// ends the module before it closes the library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "audio/fake_capture.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "plugin_library.h"

namespace tactolo::app {
namespace {

using ::testing::HasSubstr;

TEST(PluginLibraryHost, RefusesALibraryOfAnotherInterfaceVersion) {
  try {
    PluginLibrary library(TACTOLO_OTHER_VERSION_LIBRARY);
    FAIL() << "the library was accepted";
  } catch (const std::runtime_error& e) {
    const std::string message = e.what();
    EXPECT_THAT(message, HasSubstr(TACTOLO_OTHER_VERSION_LIBRARY));
    EXPECT_THAT(message, HasSubstr("interface version " + std::to_string(kInterfaceVersion + 1)));
    EXPECT_THAT(message, HasSubstr("this host speaks version " + std::to_string(kInterfaceVersion)));
  }
}

TEST(PluginLibraryHost, RefusesWhatIsNoLibrary) {
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

TEST(PluginLibraryHost, TheCommandLineRefusesALibraryOfAnotherVersionWithOneLine) {
  const std::string err = ::testing::TempDir() + "tactolo-version-err.txt";
  const std::string command = std::string("TACTOLO_PLUGIN=") + TACTOLO_OTHER_VERSION_LIBRARY + " " +
                              TACTOLO_BINARY + " analyze synth:120 >/dev/null 2>" + err;
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  std::ifstream in(err);
  std::string first, second;
  std::getline(in, first);
  EXPECT_THAT(first, HasSubstr("speaks interface version"));
  EXPECT_FALSE(std::getline(in, second)) << second;
  std::remove(err.c_str());
}

}  // namespace
}  // namespace tactolo::app
