// The window registry: instances on first use, the main window as lower
// layers reach it, and unloading every window at the module's end.
#include "shell/window_registry.h"

#include <gtest/gtest.h>

#include "audio/fake_capture.h"
#include "audio/raising_capture.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "shell/live_module.h"

namespace tactolo {
namespace {

class WindowRegistryTest : public ::testing::Test {
 protected:
  WindowRegistryTest() {
    capture.addDevice({"Line In", true, {{"Line", true}}});
    live.module().PluginHelper().attach(helper);
  }
  WindowRegistry& windows() { return live.windows(); }

  VirtualClock clock;
  FakeCaptureLibrary capture;
  RaisingCaptureLibrary raising{capture};
  HeadlessDialogs dialogs;
  std::shared_ptr<HeadlessHelper> helper = std::make_shared<HeadlessHelper>(clock);
  LiveModule live{PluginEnvironment{clock, raising, dialogs}};
};

TEST_F(WindowRegistryTest, LowerLayersReachTheMainWindowsControlsAndLoadItOnFirstUse) {
  EXPECT_FALSE(windows().hasMainWindow());
  MainWindowAccess& access = live.module().mainWindow();
  ComboBox& configurations = access.ConfCombo();
  EXPECT_TRUE(live.module().isWindowLoaded("TactoloMain"));
  EXPECT_EQ(&configurations, &windows().mainWindow().form().ConfCombo);
  EXPECT_EQ(&access.SendVuCheck(), &windows().mainWindow().form().SendVuCheck);
  // Loaded once: the device was opened by the one load sequence.
  EXPECT_EQ(capture.initialisedDevice(), 0);
  EXPECT_FALSE(access.SendVuCheck().enabled());  // no configuration listed yet
}

TEST_F(WindowRegistryTest, LookingUpAFormNeverLoadsIt) {
  EXPECT_EQ(windows().loadedForm("TactoloMain"), nullptr);
  windows().mainWindow();  // the instance exists, its window is not loaded
  EXPECT_EQ(windows().loadedForm("tactolomain"), nullptr);
  EXPECT_FALSE(live.module().isWindowLoaded("TactoloMain"));
  windows().mainWindow().load();
  EXPECT_EQ(windows().loadedForm("TACTOLOMAIN"), &windows().mainWindow().form());
  // The main window's load sequence lists the VU configurations through the
  // VU editor, which loads it hidden; the point editor stays unloaded.
  ASSERT_NE(windows().loadedForm("VUConfigForm"), nullptr);
  EXPECT_FALSE(windows().loadedForm("VUConfigForm")->visible());
  EXPECT_EQ(windows().loadedForm("VUPointConfigForm"), nullptr);
}

TEST_F(WindowRegistryTest, UnloadingEveryWindowGoesOnPastAHandlerThatRaises) {
  windows().mainWindow().load();
  windows().vuConfigForm().show();
  EXPECT_EQ(live.module().loadedWindows().size(), 2u);
  raising.raiseOnNextCall("RecordFree", "the device is busy");

  const auto errors = windows().unloadAll();
  EXPECT_EQ(errors, std::vector<std::string>{"the device is busy"});
  // The editor closed; the main window's close stopped at the error.
  EXPECT_FALSE(live.module().isWindowLoaded("VUConfigForm"));
  EXPECT_TRUE(live.module().isWindowLoaded("TactoloMain"));
  EXPECT_TRUE(windows().unloadAll().empty());
  EXPECT_TRUE(live.module().loadedWindows().empty());
  EXPECT_EQ(capture.initialisedDevice(), std::nullopt);
}

TEST_F(WindowRegistryTest, TheCloseBoxRunsTheWindowsOwnCloseHandlers) {
  windows().mainWindow().load();
  windows().mainWindow().form().startButton.click();
  ASSERT_TRUE(live.module().vars().Recording);
  windows().closeByUser("tactoloMain");
  EXPECT_FALSE(live.module().isWindowLoaded("TactoloMain"));
  EXPECT_FALSE(live.module().vars().Recording);
  EXPECT_EQ(capture.runningChannel(), 0u);
  windows().closeByUser("TactoloMain");  // not loaded: nothing happens
  EXPECT_FALSE(windows().mainWindow().isLoaded());
}

}  // namespace
}  // namespace tactolo
