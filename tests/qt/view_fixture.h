// The plug-in library opened as the desktop opens it, with the Qt views of
// its forms: the dialogs go through QtDialogService, answered by the
// fixture's headless dialogs (so no test opens a real one), the system
// colours come from the application's palette, and the clock is virtual.
// The main window is loaded and shown, as the tool window's showWindow does.
#pragma once

#include <QApplication>
#include <QTest>
#include <memory>

#include "qt/form_views.h"
#include "qt/qt_colors.h"
#include "qt/qt_dialogs.h"
#include "support/library_fixture.h"

namespace tactolo::testing {

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
  /// A property of a control as the model holds it, as text.
  std::string property(const char* form, const ControlId& control, const char* name) {
    const HostResult<AutomationValue> read = user->controlProperty(form, control, name, std::nullopt);
    EXPECT_TRUE(read.ok) << read.error;
    return read.value.kind == AutomationValue::Kind::Text ? read.value.text
                                                          : std::to_string(read.value.integer);
  }
  std::string state(const char* name) {
    const HostResult<StateReading> read = user->state(name);
    EXPECT_TRUE(read.ok) << read.error;
    const AutomationValue& v = read.value.value;
    return v.kind == AutomationValue::Kind::Real   ? std::to_string(v.real)
           : v.kind == AutomationValue::Kind::Text ? v.text
                                                   : std::to_string(v.integer);
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
inline QColor pixel(QWidget* widget, int x, int y) { return widget->grab().toImage().pixelColor(x, y); }

}  // namespace tactolo::testing
