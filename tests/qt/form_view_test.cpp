// The views of the plug-in's forms against the plug-in library: what a user
// does in a widget reaches the form's handler, what the model changes shows
// in the widget, the geometry follows the twips, the tool window and its
// form agree, and the point editor runs modal in Qt's event loop. The
// plug-in library is opened as the desktop opens it: the dialogs go through
// QtDialogService, answered by the fixture's headless dialogs (so no test
// opens a real one), the system colours come from the application's palette,
// and the clock is virtual. The main window is loaded and shown, as the tool
// window's showWindow does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "qt/form_views.h"
#include "qt/qt_colors.h"
#include "qt/qt_dialogs.h"
#include "support/library_fixture.h"

namespace tactolo::testing {
namespace {

class ViewTest : public LibraryFixture {
 public:
  // The table-driven tests' rows act on the fixture from outside.
  using LibraryFixture::clock;
  using LibraryFixture::dialogs;
  using LibraryFixture::fake;
  using LibraryFixture::helper;

  void SetUp() override {
    LibraryFixture::SetUp();
    qtDialogs.setAnswerer(&dialogs);
    plugin = createPlugin(PlatformServices{&clock, &capture, &qtDialogs, &colors});
    ASSERT_TRUE(plugin);
    init(*plugin);
    info = plugin->ModuleInfo().value;
    user = takeAutomation();
    views = std::make_unique<qt::FormViews>(user, colors);
    ASSERT_TRUE(info->toolWindow->loadWindow().ok);
    ASSERT_TRUE(info->toolWindow->showWindow().ok);
  }
  void TearDown() override {
    views.reset();
    user.reset();
    info.reset();
    plugin.reset();
    LibraryFixture::TearDown();
  }

  qt::FormView* view(const char* form) { return views->view(form); }
  template <class Widget>
  Widget* widget(const char* form, const ControlId& control) {
    qt::FormView* shown = view(form);
    return shown != nullptr ? dynamic_cast<Widget*>(shown->controlWidget(control)) : nullptr;
  }
  static std::string text(const AutomationValue& v) {
    return v.kind == AutomationValue::Kind::Text ? v.text : std::to_string(v.integer);
  }
  /// A property of a control as the model holds it, as text.
  std::string property(const char* form, const ControlId& control, const char* name) {
    const HostResult<AutomationValue> read = user->controlProperty(form, control, name, std::nullopt);
    EXPECT_TRUE(read.ok) << read.error;
    return text(read.value);
  }
  std::string state(const char* name) {
    const HostResult<StateReading> read = user->state(name);
    EXPECT_TRUE(read.ok) << read.error;
    return text(read.value.value);
  }
  /// Opens the VU configuration editor as the host's Configure does.
  void configure() { ASSERT_TRUE(plugin->Configure().ok); }

  qt::QtSystemColors colors;
  qt::QtDialogService qtDialogs{colors};
  std::shared_ptr<IclsLMQPlugIn> plugin;
  std::shared_ptr<ModuleInformation> info;
  std::shared_ptr<IPluginAutomation> user;
  std::unique_ptr<qt::FormViews> views;
};

/// The colour of a widget's pixel as it paints itself.
QColor pixel(QWidget* widget, int x, int y) { return widget->grab().toImage().pixelColor(x, y); }

constexpr const char* kMain = "TactoloMain";
constexpr const char* kEditor = "VUConfigForm";
constexpr const char* kPoint = "VUPointConfigForm";

/// One row of the tables below: something done, and what must follow.
struct Step {
  const char* name;
  std::function<void(ViewTest&)> act;
  std::function<void(ViewTest&)> expect;
};

std::string stepName(const ::testing::TestParamInfo<Step>& info) { return info.param.name; }
void PrintTo(const Step& step, std::ostream* out) { *out << step.name; }

class ViewStep : public ViewTest, public ::testing::WithParamInterface<Step> {};

TEST_P(ViewStep, Follows) {
  GetParam().act(*this);
  GetParam().expect(*this);
}

// A user's action in each kind of widget reaches the form's handler, and
// the widget shows what the model then holds.
INSTANTIATE_TEST_SUITE_P(
    UserActions, ViewStep,
    ::testing::Values(
        Step{"ButtonClickStartsTheCapture",
             [](ViewTest& t) {
               QTest::mouseClick(t.widget<QPushButton>(kMain, {"startButton"}), Qt::LeftButton);
             },
             [](ViewTest& t) {
               EXPECT_EQ(t.state("Recording"), "1");
               EXPECT_EQ(t.widget<QPushButton>(kMain, {"startButton"})->text(), "Stop");
             }},
        Step{"CheckBoxClickSwitchesBeatOutputOff",
             [](ViewTest& t) {
               QTest::mouseClick(t.widget<QCheckBox>(kMain, {"sendBeatCheck"}), Qt::LeftButton);
             },
             [](ViewTest& t) {
               EXPECT_EQ(t.property(kMain, {"sendBeatCheck"}, "value"), "0");
               EXPECT_EQ(t.widget<QCheckBox>(kMain, {"sendBeatCheck"})->checkState(), Qt::Unchecked);
               // The handler's own change: the caption is bold only while checked.
               EXPECT_FALSE(t.widget<QCheckBox>(kMain, {"sendBeatCheck"})->font().bold());
             }},
        Step{"OptionClickSelectsItAloneInItsGroup",
             [](ViewTest& t) {
               QTest::mouseClick(t.widget<QRadioButton>(kMain, {"freqOption", 0}), Qt::LeftButton);
             },
             [](ViewTest& t) {
               EXPECT_EQ(t.property(kMain, {"freqOption", 0}, "value"), "1");
               EXPECT_TRUE(t.widget<QRadioButton>(kMain, {"freqOption", 0})->isChecked());
               EXPECT_FALSE(t.widget<QRadioButton>(kMain, {"freqOption", 2})->isChecked());
             }},
        Step{"ListChoiceSwitchesTheMethodPanel",
             [](ViewTest& t) { QTest::keyClick(t.widget<QComboBox>(kMain, {"methodBox"}), Qt::Key_Down); },
             [](ViewTest& t) { EXPECT_EQ(t.property(kMain, {"methodBox"}, "listindex"), "1"); }},
        Step{"TypingNamesTheConfiguration",
             [](ViewTest& t) {
               t.configure();
               auto* name = t.widget<QLineEdit>(kEditor, {"VuNameText"});
               name->selectAll();
               QTest::keyClicks(name, "Stage");
             },
             [](ViewTest& t) {
               EXPECT_EQ(t.state("VuName"), "Stage");
               EXPECT_EQ(t.widget<QLineEdit>(kEditor, {"VuNameText"})->text(), "Stage");
             }}),
    stepName);

// What the model changes (through the script host's path, a command or the
// clock) shows in the widgets.
INSTANTIATE_TEST_SUITE_P(
    ModelChanges, ViewStep,
    ::testing::Values(
        Step{"ChosenMethodShowsItsPanelAlone",
             [](ViewTest& t) { ASSERT_TRUE(t.user->select(kMain, {"methodBox"}, 2).ok); },
             [](ViewTest& t) {
               EXPECT_EQ(t.widget<QComboBox>(kMain, {"methodBox"})->currentText(),
                         "Frequency Selected Sound Energy");
               for (int panel = 0; panel < 3; ++panel) {
                 EXPECT_EQ(t.widget<QGroupBox>(kMain, {"methodGroup", panel})->isVisibleTo(t.view(kMain)),
                           panel == 2);
               }
             }},
        Step{"StartedCaptureTurnsTheIndicatorBorderGreen",
             [](ViewTest& t) { ASSERT_TRUE(t.user->click(kMain, {"startButton"}).ok); },
             [](ViewTest& t) {
               QWidget* shape = t.widget<QWidget>(kMain, {"beatShape"});
               EXPECT_EQ(pixel(shape, 0, 0), QColor(0, 255, 0));
               EXPECT_EQ(pixel(shape, shape->width() / 2, shape->height() / 2), QColor(64, 64, 64));
             }},
        Step{"BeatLightsTheIndicatorUntilTheClearTimer",
             [](ViewTest& t) {
               std::string command = "Sync Beat", second;
               int32_t value = 0;
               std::shared_ptr<IHostObject> none;
               ASSERT_TRUE(t.info->commandServer->ExecuteCommand(command, second, value, none, none).ok);
             },
             [](ViewTest& t) {
               QWidget* shape = t.widget<QWidget>(kMain, {"beatShape"});
               const QPoint inside(shape->width() / 2, shape->height() / 2);
               EXPECT_EQ(pixel(shape, inside.x(), inside.y()), QColor(0, 0, 150));
               t.clock.advance(50);
               EXPECT_EQ(pixel(shape, inside.x(), inside.y()), QColor(30, 30, 30));
             }},
        Step{"InputLevelDrawsThePreviewBars",
             [](ViewTest& t) {
               t.fake.setSteadyLevel(0x40004000u);  // half of full scale on both sides
               ASSERT_TRUE(t.user->click(kMain, {"startButton"}).ok);
               t.clock.advance(80);  // four ticks: one preview
             },
             [](ViewTest& t) {
               QWidget* preview = t.widget<QWidget>(kMain, {"VUpicture"});
               const std::string drawn = t.property(kMain, {"VUpicture"}, "picture");
               EXPECT_EQ(pixel(preview, 2, 2), QColor(0, 128, 0)) << drawn;
               EXPECT_EQ(pixel(preview, 2, preview->height() - 2), QColor(0, 128, 0)) << drawn;
               EXPECT_NE(pixel(preview, preview->width() - 2, 2), QColor(0, 128, 0)) << drawn;
             }},
        Step{"UnusedPointsAreDisabledSquares", [](ViewTest& t) { t.configure(); },
             [](ViewTest& t) {
               ASSERT_TRUE(t.view(kEditor)->isVisible());
               // Their caption and grey are in the vu_editor transcript.
               auto* point = t.widget<QPushButton>(kEditor, {"LL", 15});
               EXPECT_FALSE(point->isEnabled());
               EXPECT_EQ(point->width(), point->height());
             }}),
    stepName);

// The main window as a tool window: its place, state and visibility are
// its form's, whichever side changes them.
INSTANTIATE_TEST_SUITE_P(
    ToolWindow, ViewStep,
    ::testing::Values(Step{"UserMovesTheWindowAndTheProjectSavesWhereItStands",
                           [](ViewTest& t) {
                             t.view(kMain)->move(40, 60);
                             QCoreApplication::processEvents();
                             ASSERT_TRUE(t.info->projectTool->SaveProjectData().ok);
                           },
                           [](ViewTest& t) {
                             EXPECT_EQ(t.helper->settings.general["TactoloMain_L"], "600");
                             EXPECT_EQ(t.helper->settings.general["TactoloMain_T"], "900");
                           }},
                      Step{"ProjectPositionMovesTheWindow",
                           [](ViewTest& t) {
                             t.helper->settings.general["TactoloMain_L"] = "1500";
                             t.helper->settings.general["TactoloMain_T"] = "750";
                             ASSERT_TRUE(t.info->projectTool->LoadProjectData().ok);
                           },
                           [](ViewTest& t) { EXPECT_EQ(t.view(kMain)->pos(), QPoint(100, 50)); }},
                      Step{"UserMinimisesTheWindow",
                           [](ViewTest& t) {
                             t.view(kMain)->setWindowState(Qt::WindowMinimized);
                             QCoreApplication::processEvents();
                           },
                           [](ViewTest& t) { EXPECT_EQ(t.info->toolWindow->WindowState().value, 1); }},
                      Step{"HostMaximisesTheWindow",
                           [](ViewTest& t) {
                             int32_t maximised = 2;
                             ASSERT_TRUE(t.info->toolWindow->SetWindowState(maximised).ok);
                           },
                           [](ViewTest& t) {
                             EXPECT_TRUE(t.view(kMain)->windowState() & Qt::WindowMaximized);
                           }},
                      Step{"HostHidesTheWindowWhichStaysLoaded",
                           [](ViewTest& t) { ASSERT_TRUE(t.info->toolWindow->hideWindow().ok); },
                           [](ViewTest& t) {
                             ASSERT_NE(t.view(kMain), nullptr);
                             EXPECT_FALSE(t.view(kMain)->isVisible());
                           }},
                      Step{"CloseBoxUnloadsTheFormAndItsView",
                           [](ViewTest& t) {
                             t.view(kMain)->close();
                             QCoreApplication::processEvents();
                           },
                           [](ViewTest& t) {
                             EXPECT_FALSE(t.info->toolWindow->isOpen().value);
                             EXPECT_EQ(t.view(kMain), nullptr);
                           }}),
    stepName);

using FormViewTest = ViewTest;

TEST_F(FormViewTest, TheMainWindowHasTheSizeOfItsTwipsAt96Dpi) {
  ASSERT_EQ(qt::TwipScale::ofScreen().dpi(), 96.0);
  // 4260 x 8760 twips of client area, 15 twips to the pixel.
  EXPECT_EQ(view(kMain)->grab().size(), QSize(284, 584));
  EXPECT_EQ(widget<QWidget>(kMain, {"beatShape"})->geometry(), QRect(8, 48, 57, 33));
}

TEST_F(FormViewTest, ThePointEditorOpenedFromAPointButtonStoresThePointOnOk) {
  configure();
  ASSERT_TRUE(user->select(kEditor, {"SizeCombo"}, 7).ok);  // eight points a row
  dialogs.queueColorAnswer(Rgb(255, 128, 0));
  bool modal = false;
  Qt::CheckState checkBehindModal = Qt::Unchecked;
  int listBehindModal = -1;
  // The point button's click returns once the editor is hidden; meanwhile
  // the user works in the editor's view.
  QTimer::singleShot(0, [&] {
    qt::FormView* editor = view(kPoint);
    ASSERT_NE(editor, nullptr);
    modal = editor->isVisible() && editor->windowModality() == Qt::ApplicationModal;
    // What gets past Qt's modality to the main window is refused by the
    // model, and the widgets stay as the model has them.
    widget<QCheckBox>(kMain, {"sendBeatCheck"})->click();
    checkBehindModal = widget<QCheckBox>(kMain, {"sendBeatCheck"})->checkState();
    QTest::keyClick(widget<QComboBox>(kMain, {"methodBox"}), Qt::Key_Down);
    listBehindModal = widget<QComboBox>(kMain, {"methodBox"})->currentIndex();
    QTest::mouseClick(widget<QPushButton>(kPoint, {"colorButton"}), Qt::LeftButton);
    QTest::mouseClick(widget<QPushButton>(kPoint, {"OkCommand"}), Qt::LeftButton);
  });
  auto* point = widget<QPushButton>(kEditor, {"LL", 0});
  QTest::mouseClick(point, Qt::LeftButton);

  EXPECT_TRUE(modal);
  EXPECT_EQ(checkBehindModal, Qt::Checked);
  EXPECT_EQ(listBehindModal, 0);
  EXPECT_FALSE(view(kPoint)->isVisible());
  EXPECT_EQ(pixel(point, 3, 3), QColor(255, 128, 0));  // stored in the point: the editor is closed
}

TEST_F(FormViewTest, ThePointEditorsCloseBoxLeavesThePalettesButtonFaceOnThePoint) {
  // After its close box the point editor loads afresh, its colour button in
  // the button face, which the plug-in takes from the widget palette.
  const QPalette before = QApplication::palette();
  QPalette palette = before;
  palette.setColor(QPalette::Button, QColor(10, 20, 30));
  QApplication::setPalette(palette);
  configure();
  ASSERT_TRUE(user->select(kEditor, {"SizeCombo"}, 7).ok);
  QTimer::singleShot(0, [&] { view(kPoint)->close(); });
  QTest::mouseClick(widget<QPushButton>(kEditor, {"LL", 0}), Qt::LeftButton);
  QApplication::setPalette(before);

  EXPECT_EQ(property(kPoint, {"colorButton"}, "caption"), "10,20,30");
  EXPECT_EQ(property(kEditor, {"LL", 0}, "backcolor"), std::to_string(kButtonFace));
}

}  // namespace
}  // namespace tactolo::testing
