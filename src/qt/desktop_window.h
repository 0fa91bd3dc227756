// `tactolo-desktop`'s host window: a show on a project, as a small lighting
// host runs it, with the plug-in's windows as Qt views beside it.
//
// The window keeps one show session (host::ShowSession) on one project at a
// time. Its menus open, create and save projects, open the plug-in's VU
// editor (Configure), show and hide the tool window (the plug-in's main
// window), set the outputs and the beat actions, and run the command
// server's commands. Below them a beat log and a DMX monitor of the output's
// universes; the status bar shows the capture, the DMX output and Link.
//
// Everything runs on Qt's event loop on one thread: the plug-in's clock (a
// QtClock in the program, any EventClock in tests), the show's OSC and notice
// descriptors (QSocketNotifier), the views and the dialogs. After every round
// of the clock's events the program calls afterRound(); after anything else
// that reaches the plug-in (a user's action in a view, an OSC command, a
// command from the dialog) the window runs it itself, once per pass of the
// event loop.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/project_settings.h"
#include "host/show_session.h"
#include "qt/desktop_prompts.h"
#include "qt/form_views.h"
#include "qt/qt_dialogs.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSocketNotifier;
class QTableWidget;

namespace tactolo::qt {

class CommandDialog;
class DmxMonitorView;

/// What the window runs on, each outliving it.
struct DesktopServices {
  std::string pluginPath;
  EventClock& clock;
  CaptureLibrary& capture;
  /// The plug-in's dialogs; the window makes itself their parent.
  QtDialogService& dialogs;
  const SystemColors& colors;
  /// The user's language for the plug-in's texts.
  ITranslator& translator;
  /// The desktop's own questions.
  DesktopPrompts& prompts;
  /// The desktop's settings (recent projects, whether the tool window is
  /// shown), an INI file; and the user's device store.
  std::string configPath;
  std::string devicesPath;
  /// Where sACN goes (tests send to a port of their own).
  host::SacnOutput::Options sacn{};
};

class DesktopWindow final : public QMainWindow {
 public:
  /// Recent projects the Project menu lists, newest first.
  static constexpr int kMaxRecent = 8;

  explicit DesktopWindow(DesktopServices services, QWidget* parent = nullptr);
  ~DesktopWindow() override;

  /// Runs a show on the project file `paths` instead of the running one,
  /// which is saved first when `save` says so and then ended in the exit
  /// order; `fresh` starts a new project there (the caller saves it). A
  /// project that cannot be read, or a save that fails, is told to the user
  /// and the running show goes on. False then.
  bool openProject(const host::ProjectPaths& paths, bool fresh = false,
                   DesktopPrompts::SaveAnswer save = DesktopPrompts::SaveAnswer::Discard);

  /// The show's round end: beats handed on, changed universes sent (and
  /// shown in the monitor).
  void afterRound();

  // The menus' commands.
  void newProject();
  void openProjectFile();
  void openRecent(const std::string& file);
  bool save();
  bool saveAs();
  void configure();
  void setToolWindowShown(bool shown);
  /// Opens the command dialog (modeless) and returns it.
  CommandDialog* showCommands();
  void editOutputs();
  void editActions();
  /// Applies outputs or actions as their dialogs do; false with a message
  /// when the show refuses them (nothing changed then).
  bool applyOutputs(const host::OutputSettings& outputs);
  bool applyActions(const std::vector<host::BeatAction>& actions);

  /// Compares the project as it would be saved now with the one last saved
  /// or opened, and marks the title.
  void checkChanges();
  bool unsaved() const { return isWindowModified(); }
  /// Ends the show without saving and closes: for a run that changes
  /// nothing (the screenshot).
  void closeWithoutSaving();

  host::ShowSession* session() { return session_.get(); }
  FormViews* views() { return views_.get(); }
  DmxMonitorView* dmxMonitor() { return monitor_; }
  QTableWidget* beatLog() { return beatLog_; }
  std::vector<std::string> recentProjects() const;
  /// Gets every beat after the beat log (the screenshot waits for one).
  void setBeatListener(std::function<void(const host::BeatEvent&)> listener) {
    onBeat_ = std::move(listener);
  }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Observer;
  /// What a save writes, to tell whether anything changed.
  struct ProjectState {
    std::map<std::string, std::string> settings;
    std::map<std::string, std::string> devices;
    host::OutputSettings outputs;
    std::vector<host::BeatAction> actions;
    bool operator==(const ProjectState&) const = default;
  };

  void buildMenus();
  void buildViews();
  /// Runs a show on `project` (the running one has ended). False when no
  /// show could start.
  bool startSession(std::unique_ptr<host::OpenProject> project);
  /// Ends the running show in the exit order (capture stopped, window
  /// unloaded, Term, the module ended; the outputs closed last). Saving
  /// comes before, where the user asked for it.
  void endSession();
  /// Asks to save a changed project before it ends; nothing when the user
  /// cancels.
  std::optional<DesktopPrompts::SaveAnswer> askBeforeEnding();
  ProjectState currentState();
  void rebaseline();
  void watchShowDescriptors();
  void placeToolWindow();
  void beat(const host::BeatEvent& beat);
  void warn(const std::string& line);
  void updateStatus();
  void updateTitle();
  void remember(const std::string& file);
  void fillRecentMenu();
  void requestRound();

  DesktopServices services_;
  QSettings config_;
  std::unique_ptr<Observer> observer_;
  std::unique_ptr<host::OpenProject> project_;
  std::unique_ptr<host::ShowSession> session_;
  std::unique_ptr<FormViews> views_;
  std::unique_ptr<QSocketNotifier> oscNotifier_;
  std::unique_ptr<QSocketNotifier> noticeNotifier_;
  QPointer<CommandDialog> commands_;
  ProjectState baseline_;
  /// Until then, a move of the tool window by the window system counts as
  /// where it opened, not as the user's change.
  std::chrono::steady_clock::time_point settleUntil_{};
  std::function<void(const host::BeatEvent&)> onBeat_;

  QTimer roundTimer_;
  QTimer checkTimer_;
  QTimer statusTimer_;
  QTableWidget* beatLog_ = nullptr;
  DmxMonitorView* monitor_ = nullptr;
  QComboBox* universeBox_ = nullptr;
  QLabel* captureStatus_ = nullptr;
  QLabel* dmxStatus_ = nullptr;
  QLabel* linkStatus_ = nullptr;
  QAction* toolWindowAction_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  std::vector<QAction*> sessionActions_;
};

}  // namespace tactolo::qt
