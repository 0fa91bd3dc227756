#include <gtest/gtest.h>

#include <regex>

#include "mainwindow/tactolo_main.h"
#include "shell/cls_lmq_plugin.h"
#include "shell/main_window_host.h"
#include "support/plugin_fixture.h"
#include "vu/vu_config_form.h"

namespace tactolo::testing {
namespace {

class PluginObjectTest : public PluginFixture {
 protected:
  PluginObjectTest() {
    module = std::make_unique<PluginModule>(PluginEnvironment{clock, capture, dialogs});
    plugin = std::make_unique<clsLMQPlugIn>(*module);
  }
  bool init() {
    std::string title = "Lumacue", file = "x";
    return plugin->Init(title, file, helper).value;
  }
  std::unique_ptr<clsLMQPlugIn> plugin;
};

TEST_F(PluginObjectTest, LifeCycleAnswers) {
  EXPECT_EQ(plugin->PluginName().value, "Tactolo");
  EXPECT_FALSE(plugin->Disable().value);
  EXPECT_TRUE(plugin->Enable().value);
  EXPECT_TRUE(init());
  EXPECT_TRUE(plugin->Configure().value);
  int32_t msg = 1, a = 2, b = 3;
  EXPECT_EQ(plugin->MessageHandle(msg, a, b).value, 0);
  EXPECT_TRUE(plugin->Term().value);
  EXPECT_FALSE(module->PluginHelper().attached());
  EXPECT_TRUE(init());  // Init after Term works again
  EXPECT_TRUE(module->PluginHelper().attached());
}

TEST_F(PluginObjectTest, ModuleInfoIsNewEachTimeAndNamesTheSameUnloadedWindow) {
  auto first = plugin->ModuleInfo();  // works before Init
  auto second = plugin->ModuleInfo();
  ASSERT_TRUE(first.ok && second.ok);
  EXPECT_NE(first.value, second.value);
  EXPECT_NE(first.value->commandServer, second.value->commandServer);
  EXPECT_EQ(first.value->toolWindow, second.value->toolWindow);
  EXPECT_TRUE(module->hasMainWindow());
  EXPECT_FALSE(module->mainWindow().isLoaded());

  const ModuleInformation& info = *first.value;
  EXPECT_TRUE(std::regex_match(
      info.moduleId, std::regex(R"(\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\})")))
      << info.moduleId;
  EXPECT_EQ(info.moduleId, second.value->moduleId);
  EXPECT_EQ(info.name, "Tactolo");
  EXPECT_EQ(info.description, "Tactolo for Lumacue");
  EXPECT_EQ(info.displayName, "Tactolo");
  EXPECT_EQ((std::vector<int32_t>{info.number5, info.number6, info.number7, info.number10, info.number12,
                                  info.number13, info.number14}),
            (std::vector<int32_t>{0, -1, 2, -1, 0, -1, -1}));
  EXPECT_EQ(info.commandServer->Name().value, "Tactolo");
}

TEST_F(PluginObjectTest, ConfigureShowsOneEditor) {
  init();
  plugin->Configure();
  VUConfigForm* editor = &module->vuConfigForm();
  EXPECT_TRUE(editor->form().visible());
  editor->hide();
  plugin->Configure();
  EXPECT_EQ(editor, &module->vuConfigForm());
  EXPECT_TRUE(editor->form().visible());
  EXPECT_EQ(module->loadedWindows(), std::vector<std::string>{"VUConfigForm"});
}

TEST_F(PluginObjectTest, TermLeavesWindowAndCaptureRunning) {
  init();
  auto window = plugin->ModuleInfo().value->toolWindow;
  window->loadWindow();
  module->mainWindow().form().startButton.click();
  plugin->Term();
  EXPECT_TRUE(module->vars().Recording);
  EXPECT_TRUE(module->mainWindow().beatTimer->enabled());
  EXPECT_NE(capture.runningChannel(), 0u);
}

class ToolWindowTest : public PluginObjectTest {
 protected:
  ToolWindowTest() {
    init();
    window = plugin->ModuleInfo().value->toolWindow;
  }
  std::shared_ptr<IExternalWindow> window;
};

TEST_F(ToolWindowTest, UnloadDuringCaptureStopsTheCaptureAndItsTimers) {
  window->loadWindow();
  TactoloMain& main = module->mainWindow();
  main.form().startButton.click();
  main.generateTimer->setEnabled(true);
  main.maxBpmTimer->setEnabled(true);
  capture.clearCalls();
  EXPECT_FALSE(window->unloadWindow().value);
  EXPECT_FALSE(module->vars().Recording);
  EXPECT_FALSE(window->isOpen().value);
  EXPECT_EQ(capture.calls(), (std::vector<std::string>{"RecordFree()", "RecordFree()"}));
  // Nothing fires later: the timers went with the window.
  const auto sent = helper->messages.sent.size();
  clock.advance(5000);
  EXPECT_EQ(helper->messages.sent.size(), sent);
  window->loadWindow();
  EXPECT_EQ(main.form().startButton.caption(), "Start");
}

TEST_F(ToolWindowTest, WindowStateIsSetAfterTheMessageAndRefusedOutsideItsRange) {
  window->loadWindow();
  int32_t state = 2;
  EXPECT_TRUE(window->SetWindowState(state).ok);
  EXPECT_EQ(window->WindowState().value, 2);
  EXPECT_TRUE(window->SetWindowState(state).ok);
  for (int32_t bad : {7, 70000, -1}) {
    int32_t value = bad;
    EXPECT_FALSE(window->SetWindowState(value).ok) << bad;
    EXPECT_EQ(window->WindowState().value, 2);
  }
  ASSERT_EQ(dialogs.records().size(), 5u);
  EXPECT_EQ(dialogs.records()[1].text, "let WindowState =2");
  EXPECT_EQ(dialogs.records()[3].text, "let WindowState =70000");
  EXPECT_EQ(dialogs.records()[3].title, "");
  EXPECT_EQ(dialogs.records()[3].buttons, MessageButtons::Ok);
}

TEST_F(ToolWindowTest, ShowHideAndLoadAnswerFalse) {
  EXPECT_FALSE(window->showWindow().value);
  EXPECT_FALSE(module->mainWindow().isLoaded());  // show does not load
  EXPECT_FALSE(window->hideWindow().value);
  EXPECT_TRUE(window->isOpen().value);  // hide loads it, hidden
  EXPECT_FALSE(module->mainWindow().form().visible());
  EXPECT_FALSE(window->showWindow().value);
  EXPECT_TRUE(module->mainWindow().form().visible());
  module->mainWindow().closeByUser();
  EXPECT_FALSE(window->isOpen().value);
}

}  // namespace
}  // namespace tactolo::testing
