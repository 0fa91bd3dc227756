// tactolo-desktop's host window against the plug-in library on the offscreen
// platform, on a virtual clock: the command dialog runs the command server's
// commands, the DMX monitor shows what a VU pass sent, and a project with
// unsaved changes is not closed without asking. The user's questions are
// answered by the test, the plug-in's dialogs by headless ones.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTest>
#include <deque>
#include <filesystem>

#include "audio/fake_capture.h"
#include "host/project_file.h"
#include "platform/headless_host.h"
#include "qt/desktop_window.h"
#include "qt/dmx_monitor_view.h"
#include "qt/qt_colors.h"
#include "qt/show_dialogs.h"
#include "support/test_folder.h"

namespace tactolo::testing {
namespace {

using SaveAnswer = qt::DesktopPrompts::SaveAnswer;

/// Answers as the test queued; records what was asked and told.
class ScriptedPrompts final : public qt::DesktopPrompts {
 public:
  SaveAnswer askToSave(const std::string& project) override {
    asked.push_back(project);
    const SaveAnswer answer = answers.empty() ? SaveAnswer::Cancel : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::optional<std::string> chooseProjectFile(FileUse /*use*/, const std::string& /*folder*/) override {
    return std::nullopt;
  }
  void showError(const std::string& text) override { errors.push_back(text); }

  std::deque<SaveAnswer> answers;
  std::vector<std::string> asked;
  std::vector<std::string> errors;
};

/// A mono VU layout of four points, dimmer channels 1..4 at 200.
std::string fourDimmers() {
  std::string text = "Front\nFalse\n4\n";
  for (int row = 0; row < 2; ++row) {
    for (int point = 0; point < 16; ++point) {
      const int channel = row == 0 && point < 4 ? point + 1 : 0;
      text += "True\nTrue\n200\n0\n0\n0\n" + std::to_string(channel) + "\n0\n0\n0\n";
    }
  }
  return text;
}

class DesktopTest : public ::testing::Test, protected TestFolder {
 protected:
  void SetUp() override {
    fake.addDevice({"Line In", true, {{"Line", true}}});
    qtDialogs.setAnswerer(&dialogs);
    window = std::make_unique<qt::DesktopWindow>(
        qt::DesktopServices{TACTOLO_PLUGIN_LIBRARY, clock, fake, qtDialogs, colors, translator, prompts,
                            path("desktop.conf"), path("devices.json")});
  }
  void TearDown() override {
    window.reset();
    EXPECT_EQ(prompts.errors, std::vector<std::string>{});
  }
  bool open(const std::string& name) { return window->openProject(host::ProjectPaths::forFile(path(name))); }
  host::PluginHost& host() { return window->session()->host(); }

  VirtualClock clock;
  FakeCaptureLibrary fake;
  HeadlessDialogs dialogs;
  qt::QtSystemColors colors;
  qt::QtDialogService qtDialogs{colors};
  HeadlessTranslator translator;
  ScriptedPrompts prompts;
  std::unique_ptr<qt::DesktopWindow> window;
};

TEST_F(DesktopTest, TheCommandDialogListsTheCommandsInTheUsersLanguageAndRunsTactoloOn) {
  translator.language = HeadlessTranslator::Language::German;
  ASSERT_TRUE(open("show.json"));
  ASSERT_FALSE(host().capturing()) << "the capture waits for the user's Start";
  qt::CommandDialog* commands = window->showCommands();
  QComboBox* first = commands->firstBox();
  ASSERT_EQ(first->count(), 9);
  first->setCurrentIndex(first->findData(QStringLiteral("Tactolo On")));
  EXPECT_EQ(first->currentText(), "Tactolo Ein");
  EXPECT_EQ(commands->secondBox()->currentText(), "Ausführen");

  commands->execute();
  EXPECT_EQ(commands->resultLabel()->text(), "Tactolo Ein: done");
  EXPECT_TRUE(host().capturing());
}

TEST_F(DesktopTest, TheDmxMonitorShowsAVuOutputPass) {
  put("front.vuconf", fourDimmers());
  ASSERT_TRUE(open("show.json"));    // lists the layout and loads it; VU output on by default
  fake.setSteadyLevel(0x40004000u);  // half of full scale on both sides
  ASSERT_TRUE(host().start());
  clock.advance(80);  // four ticks: one VU pass
  window->afterRound();

  qt::DmxMonitorView* monitor = window->dmxMonitor();
  EXPECT_EQ(monitor->value(1), 200);
  EXPECT_TRUE(monitor->highlighted(1));
  EXPECT_EQ(monitor->value(4), 0) << "the top point lights only above full scale";
  EXPECT_FALSE(monitor->highlighted(4));
  const QImage shown = monitor->grab().toImage();
  EXPECT_NE(shown.pixelColor(monitor->cellRect(1).center()), shown.pixelColor(monitor->cellRect(4).center()));
  EXPECT_EQ(shown.pixelColor(monitor->cellRect(1).topRight() + QPoint(-2, 2)), QColor(255, 200, 60));
}

TEST_F(DesktopTest, QuittingWithUnsavedChangesAsksAndCancelKeepsTheWindow) {
  ASSERT_TRUE(open("show.json"));
  window->show();
  window->checkChanges();
  EXPECT_FALSE(window->unsaved()) << "nothing changed yet";
  EXPECT_EQ(window->windowTitle(), "show[*] - Tactolo");

  auto* gain = qobject_cast<QSlider*>(window->views()->view("TactoloMain")->controlWidget({"gainSlider"}));
  QTest::keyClick(gain, Qt::Key_PageUp);
  prompts.answers = {SaveAnswer::Cancel};
  EXPECT_FALSE(window->close());
  EXPECT_EQ(prompts.asked, std::vector<std::string>{"show"});
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->unsaved());
  ASSERT_NE(window->session(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(path("show.json")));

  prompts.answers = {SaveAnswer::Save};
  EXPECT_TRUE(window->close());
  EXPECT_EQ(window->session(), nullptr);
  EXPECT_EQ(host::ReadProjectFile(path("show.json"))->settings.at("TactoloMain_GainValue"), "70");

  // The library starts a fresh module for the next project, with views of
  // its own.
  ASSERT_TRUE(open("other.json"));
  EXPECT_NE(window->views()->view("TactoloMain"), nullptr);
  EXPECT_EQ(host().property("gainSlider", "value").integer, 50);
  EXPECT_EQ(window->recentProjects(), (std::vector<std::string>{path("other.json"), path("show.json")}));
}

// The beat actions' table: the rows read back as the actions they show, Add
// gives a flash row for the user to fill, and a row that does not read keeps
// the dialog open.
TEST(BeatActionsDialogTest, RowsReadBackAndABadRowKeepsTheDialogOpen) {
  host::BeatAction chase;
  chase.kind = host::BeatAction::Kind::Chase;
  chase.everyNth = 2;
  chase.steps = {{{9, 255}}, {{10, 255}, {11, 128}}};
  qt::BeatActionsDialog dialog({chase});
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (button->text() == "Add") button->click();
  }
  QTableWidget* table = dialog.table();
  ASSERT_EQ(table->rowCount(), 2);
  table->item(1, 3)->setText("1-2=200");
  host::BeatAction flash;
  flash.channels = {{1, 200}, {2, 200}};
  EXPECT_EQ(dialog.actions(), (std::vector<host::BeatAction>{chase, flash}));

  table->item(1, 3)->setText("1=300");
  dialog.show();
  dialog.accept();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace tactolo::testing
