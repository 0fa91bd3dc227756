#include "qt/desktop_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <iostream>

#include "audio/pulse_capture.h"
#include "host/project_paths.h"
#include "host/user_language.h"
#include "qt/desktop_window.h"
#include "qt/qt_clock.h"
#include "qt/qt_colors.h"
#include "qt/qt_dialogs.h"

namespace tactolo::qt {

namespace {

/// The beat at which the screenshot is taken: by then the beat log and the
/// DMX monitor have something to show.
constexpr int kScreenshotBeat = 8;
constexpr int kScreenshotWaitMs = 30000;

/// Saves the part of the screen that the windows cover, each window as it
/// paints itself now (the indicator lit by the beat just handed on), over
/// what the screen shows around them (a window manager's frames).
bool saveScreen(const QString& file) {
  QRect covered;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible()) covered = covered.united(window->frameGeometry());
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr || covered.isEmpty()) return false;
  covered = covered.intersected(screen->geometry());
  QPixmap shot = screen->grabWindow(0, covered.x(), covered.y(), covered.width(), covered.height());
  {
    // The screen may still show a window's last frame but one: each window
    // draws itself into the picture as it is now.
    QPainter painter(&shot);
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible())
        painter.drawPixmap(window->geometry().topLeft() - covered.topLeft(), window->grab());
    }
  }
  QDir().mkpath(QFileInfo(file).absolutePath());
  return shot.save(file, "PNG");
}

}  // namespace

int runDesktop(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tactolo-desktop"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tactolo"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tactolo-desktop")));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Tactolo's desktop host: the beat tracker's windows with a show around them."));
  parser.addHelpOption();
  parser.addPositionalArgument(
      QStringLiteral("project"),
      QStringLiteral("Project file (JSON); default: $XDG_DATA_HOME/tactolo/default.json"),
      QStringLiteral("[PROJECT]"));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Start the capture, save the screen to FILE (PNG) at the eighth beat and end."),
      QStringLiteral("FILE"));
  parser.addOption(screenshot);
  parser.process(app);
  if (parser.positionalArguments().size() > 1) {
    std::cerr << "tactolo-desktop: one project at most" << std::endl;
    return kDesktopNoShow;
  }

  QtSystemColors colors;
  QtClock clock;
  PulseCaptureLibrary capture;
  QtDialogService dialogs(colors);
  HeadlessTranslator translator;
  translator.language = host::messageLanguage();
  QtDesktopPrompts prompts;
  host::ProjectPaths paths;
  std::string configPath, devicesPath;
  try {
    paths = parser.positionalArguments().isEmpty()
                ? host::ProjectPaths::userDefault()
                : host::ProjectPaths::forFile(parser.positionalArguments().constFirst().toStdString());
    configPath = host::UserConfigFile("desktop.conf");
    devicesPath = host::DefaultDevicesPath();
  } catch (const std::exception& e) {
    std::cerr << "tactolo-desktop: " << e.what() << std::endl;
    return kDesktopNoShow;
  }

  DesktopWindow window(DesktopServices{host::defaultPluginPath(), clock, capture, dialogs, colors, translator,
                                       prompts, configPath, devicesPath});
  prompts.setParent(&window);
  clock.setAfterRound([&window] { window.afterRound(); });
  window.resize(window.sizeHint().expandedTo(QSize(900, 620)));
  window.show();
  if (!window.openProject(paths)) return kDesktopNoShow;

  int beats = 0;
  const QString screenshotFile = parser.value(screenshot);
  if (parser.isSet(screenshot)) {
    window.setToolWindowShown(true);
    // As a user starts it: Start in the tool window.
    try {
      window.session()->host().click("startButton");
    } catch (const std::exception& e) {
      std::cerr << "tactolo-desktop: " << e.what() << std::endl;
    }
    window.setBeatListener([&](const host::BeatEvent&) {
      if (++beats != kScreenshotBeat) return;
      // Once the beat's changes are on their way to the screen.
      QTimer::singleShot(0, &window, [&] {
        const bool saved = saveScreen(screenshotFile);
        if (saved) std::cout << screenshotFile.toStdString() << std::endl;
        if (!saved) std::cerr << "tactolo-desktop: cannot save " << screenshotFile.toStdString() << std::endl;
        window.closeWithoutSaving();
        QApplication::exit(saved ? 0 : kDesktopNoShow);
      });
    });
    QTimer::singleShot(kScreenshotWaitMs, &window, [&] {
      std::cerr << "tactolo-desktop: no beat within " << kScreenshotWaitMs / 1000 << " s, no screenshot"
                << std::endl;
      window.closeWithoutSaving();
      QApplication::exit(kDesktopNoBeat);
    });
  }
  const int status = QApplication::exec();
  clock.setAfterRound({});
  return status;
}

}  // namespace tactolo::qt
