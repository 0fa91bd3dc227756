#include "qt/desktop_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QSocketNotifier>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTime>
#include <QVBoxLayout>
#include <filesystem>
#include <iostream>

#include "host/dmx_universes.h"
#include "qt/dmx_monitor_view.h"
#include "qt/qt_dialogs.h"
#include "qt/show_dialogs.h"

namespace tactolo::qt {

namespace {

constexpr const char* kMain = "TactoloMain";
/// The beat log keeps the newest beats; older ones leave it.
constexpr int kLoggedBeats = 500;
constexpr const char* kRecentKey = "recent";
constexpr const char* kToolWindowKey = "toolWindow/shown";

QString text(const std::string& s) { return QString::fromStdString(s); }

const char* kindText(host::BeatKind kind) {
  switch (kind) {
    case host::BeatKind::Generated:
      return "generated";
    case host::BeatKind::Manual:
      return "manual";
    case host::BeatKind::Detected:
      break;
  }
  return "detected";
}

}  // namespace

/// The window's watch on the plug-in's forms: a change may have changed the
/// project and may have sent beats or DMX (a user's action in a view); the
/// tool window's visibility shows in the menu. Told synchronously inside
/// the plug-in's calls, ticks included, so it only starts timers.
class DesktopWindow::Observer final : public IFormObserver {
 public:
  explicit Observer(DesktopWindow& window) : window_(window) {}
  void formChanged(const std::string& /*form*/, const ControlId& /*control*/) override {
    window_.requestRound();
    if (!window_.checkTimer_.isActive()) window_.checkTimer_.start();
  }
  void formEvent(const std::string& form, FormEvent event) override {
    if (form != kMain || (event != FormEvent::Shown && event != FormEvent::Hidden)) return;
    window_.toolWindowAction_->setChecked(event == FormEvent::Shown);
  }

 private:
  DesktopWindow& window_;
};

DesktopWindow::DesktopWindow(DesktopServices services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      config_(text(services_.configPath), QSettings::IniFormat),
      observer_(std::make_unique<Observer>(*this)) {
  services_.dialogs.setParent(this);
  buildViews();
  buildMenus();
  updateTitle();
  roundTimer_.setSingleShot(true);
  roundTimer_.setInterval(0);
  QObject::connect(&roundTimer_, &QTimer::timeout, this, [this] { afterRound(); });
  // Checked at most four times a second however often the forms change.
  checkTimer_.setSingleShot(true);
  checkTimer_.setInterval(250);
  QObject::connect(&checkTimer_, &QTimer::timeout, this, [this] { checkChanges(); });
  statusTimer_.setInterval(250);
  QObject::connect(&statusTimer_, &QTimer::timeout, this, [this] { updateStatus(); });
  statusTimer_.start();
  updateStatus();
}

DesktopWindow::~DesktopWindow() {
  endSession();
  services_.dialogs.setParent(nullptr);
}

void DesktopWindow::buildViews() {
  auto* split = new QSplitter(Qt::Vertical);

  auto* log = new QGroupBox(QStringLiteral("Beat log"));
  auto* logLayout = new QVBoxLayout(log);
  beatLog_ = new QTableWidget(0, 3);
  beatLog_->setHorizontalHeaderLabels(
      {QStringLiteral("Time"), QStringLiteral("Tempo (BPM)"), QStringLiteral("Beat")});
  beatLog_->horizontalHeader()->setStretchLastSection(true);
  beatLog_->verticalHeader()->setVisible(false);
  beatLog_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  beatLog_->setSelectionMode(QAbstractItemView::NoSelection);
  beatLog_->verticalHeader()->setDefaultSectionSize(beatLog_->fontMetrics().height() + 6);
  beatLog_->setColumnWidth(0, 120);
  beatLog_->setColumnWidth(1, 110);
  logLayout->addWidget(beatLog_);
  split->addWidget(log);

  auto* dmx = new QGroupBox(QStringLiteral("DMX monitor"));
  auto* dmxLayout = new QVBoxLayout(dmx);
  universeBox_ = new QComboBox;
  universeBox_->hide();
  QObject::connect(universeBox_, &QComboBox::currentIndexChanged, this,
                   [this](int index) { monitor_->showUniverse(index); });
  dmxLayout->addWidget(universeBox_, 0, Qt::AlignLeft);
  monitor_ = new DmxMonitorView;
  auto* scroll = new QScrollArea;
  scroll->setWidget(monitor_);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setMinimumSize(monitor_->sizeHint() + QSize(4, 4));
  dmxLayout->addWidget(scroll);
  split->addWidget(dmx);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 0);
  setCentralWidget(split);

  captureStatus_ = new QLabel;
  dmxStatus_ = new QLabel;
  linkStatus_ = new QLabel;
  statusBar()->addPermanentWidget(captureStatus_);
  statusBar()->addPermanentWidget(dmxStatus_);
  statusBar()->addPermanentWidget(linkStatus_);
}

void DesktopWindow::buildMenus() {
  const auto add = [this](QMenu* menu, const QString& name, auto slot, bool needsShow = true) {
    QAction* action = menu->addAction(name);
    QObject::connect(action, &QAction::triggered, this, slot);
    if (needsShow) sessionActions_.push_back(action);
    return action;
  };
  QMenu* project = menuBar()->addMenu(QStringLiteral("&Project"));
  add(
      project, QStringLiteral("&New..."), [this] { newProject(); }, false)
      ->setShortcut(QKeySequence::New);
  add(
      project, QStringLiteral("&Open..."), [this] { openProjectFile(); }, false)
      ->setShortcut(QKeySequence::Open);
  recentMenu_ = project->addMenu(QStringLiteral("Open &recent"));
  project->addSeparator();
  add(project, QStringLiteral("&Save"), [this] { save(); })->setShortcut(QKeySequence::Save);
  add(project, QStringLiteral("Save &as..."), [this] { saveAs(); })->setShortcut(QKeySequence::SaveAs);
  project->addSeparator();
  add(
      project, QStringLiteral("&Quit"), [this] { close(); }, false)
      ->setShortcut(QKeySequence::Quit);

  QMenu* tactolo = menuBar()->addMenu(QStringLiteral("&Tactolo"));
  toolWindowAction_ =
      add(tactolo, QStringLiteral("&Tool window"), [this](bool shown) { setToolWindowShown(shown); });
  toolWindowAction_->setCheckable(true);
  toolWindowAction_->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
  add(tactolo, QStringLiteral("&Configure VU meter..."), [this] { configure(); });
  add(tactolo, QStringLiteral("C&ommands..."), [this] {
    showCommands();
  })->setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));

  QMenu* show = menuBar()->addMenu(QStringLiteral("&Show"));
  add(show, QStringLiteral("&Outputs..."), [this] { editOutputs(); });
  add(show, QStringLiteral("&Beat actions..."), [this] { editActions(); });
  fillRecentMenu();
  for (QAction* action : sessionActions_) action->setEnabled(false);
}

// --- Projects --------------------------------------------------------------

bool DesktopWindow::openProject(const host::ProjectPaths& paths, bool fresh,
                                DesktopPrompts::SaveAnswer answer) {
  std::unique_ptr<host::OpenProject> next;
  try {
    next = std::make_unique<host::OpenProject>(paths, host::DeviceStore(services_.devicesPath), fresh);
  } catch (const std::exception& e) {
    services_.prompts.showError(e.what());
    return false;
  }
  if (answer == DesktopPrompts::SaveAnswer::Save && session_ && !save()) return false;
  endSession();
  return startSession(std::move(next));
}

bool DesktopWindow::startSession(std::unique_ptr<host::OpenProject> project) {
  host::ShowSetup setup;
  setup.pluginPath = services_.pluginPath;
  setup.title = "tactolo-desktop";
  setup.outputs = project->project().outputs;
  setup.actions = project->project().actions;
  setup.sacn = services_.sacn;
  setup.colors = &services_.colors;
  setup.translator = &services_.translator;
  const bool shown = config_.value(kToolWindowKey, true).toBool();
  const host::ShowServices run{services_.clock, services_.capture, services_.dialogs};
  const auto warnLine = [this](const std::string& line) { warn(line); };
  try {
    session_ = std::make_unique<host::ShowSession>(*project, setup, run, warnLine, shown);
  } catch (const std::exception& e) {
    // What failed may be the outputs (a receiver that has no address, an
    // OSC port in use): the show runs without them, and the project keeps
    // them, to be set again.
    setup.outputs = host::OutputSettings{};
    setup.outputs.dmx = host::DmxOutputKind::None;
    setup.outputs.universes = project->project().outputs.universes;
    try {
      session_ = std::make_unique<host::ShowSession>(*project, setup, run, warnLine, shown);
      services_.prompts.showError(std::string("The outputs did not start: ") + e.what() +
                                  "\nThey stay off until they are set again (Show > Outputs).");
    } catch (const std::exception& again) {
      services_.prompts.showError(std::string("The show cannot start: ") + again.what());
      return false;
    }
  }
  project_ = std::move(project);
  host::Show& show = session_->show();
  views_ = std::make_unique<FormViews>(session_->host().sharedAutomation(), services_.colors,
                                       [this](FormView& view) {
                                         if (view.formName() == kMain) view.installEventFilter(this);
                                       });
  static_cast<void>(session_->host().automation().addFormObserver(observer_.get()));
  show.setBeatSink([this](const host::BeatEvent& beat) { this->beat(beat); });
  monitor_->setUniverses(show.outputs().universes);
  show.universes().setObserver([this](int32_t channel, uint8_t value) { monitor_->changed(channel, value); });
  universeBox_->clear();
  for (int i = 0; i < show.outputs().universes; ++i) {
    universeBox_->addItem(
        QStringLiteral("Universe %1: channels %2-%3").arg(i + 1).arg(i * 512 + 1).arg(i * 512 + 512));
  }
  universeBox_->setVisible(show.outputs().universes > 1);
  watchShowDescriptors();
  placeToolWindow();
  FormView* tool = views_->view(kMain);
  toolWindowAction_->setChecked(tool != nullptr && tool->isVisible());
  for (QAction* action : sessionActions_) action->setEnabled(true);
  if (!session_->loadError().empty()) {
    services_.prompts.showError("The project's settings did not all load: " + session_->loadError() +
                                "\nThe project file keeps them until the project is saved.");
  }
  rebaseline();
  settleUntil_ = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  remember(project_->paths().file);
  updateTitle();
  updateStatus();
  return true;
}

void DesktopWindow::endSession() {
  if (!session_) return;
  delete commands_.data();
  oscNotifier_.reset();
  noticeNotifier_.reset();
  roundTimer_.stop();
  checkTimer_.stop();
  if (FormView* tool = views_ ? views_->view(kMain) : nullptr) {
    config_.setValue(kToolWindowKey, tool->isVisible());
    config_.sync();
  }
  static_cast<void>(session_->host().automation().removeFormObserver(observer_.get()));
  views_.reset();
  session_->show().setBeatSink({});
  session_->show().universes().setObserver({});
  for (const std::string& failure : session_->endPlugin(false)) warn(failure);
  session_->closeOutputs();
  session_.reset();
  project_.reset();
  for (QAction* action : sessionActions_) action->setEnabled(false);
  setWindowModified(false);
  updateTitle();
  updateStatus();
}

std::optional<DesktopPrompts::SaveAnswer> DesktopWindow::askBeforeEnding() {
  if (!session_) return DesktopPrompts::SaveAnswer::Discard;
  checkChanges();
  if (!unsaved()) return DesktopPrompts::SaveAnswer::Discard;
  const DesktopPrompts::SaveAnswer answer = services_.prompts.askToSave(project_->paths().name);
  if (answer == DesktopPrompts::SaveAnswer::Cancel) return std::nullopt;
  return answer;
}

void DesktopWindow::newProject() {
  const auto answer = askBeforeEnding();
  if (!answer) return;
  const auto file = services_.prompts.chooseProjectFile(DesktopPrompts::FileUse::New,
                                                        project_ ? project_->paths().folder : std::string());
  if (!file) return;
  try {
    if (openProject(host::ProjectPaths::forFile(*file), true, *answer)) save();
  } catch (const std::exception& e) {
    services_.prompts.showError(e.what());
  }
}

void DesktopWindow::openProjectFile() {
  const auto answer = askBeforeEnding();
  if (!answer) return;
  const auto file = services_.prompts.chooseProjectFile(DesktopPrompts::FileUse::Open,
                                                        project_ ? project_->paths().folder : std::string());
  if (!file) return;
  try {
    openProject(host::ProjectPaths::forFile(*file), false, *answer);
  } catch (const std::exception& e) {
    services_.prompts.showError(e.what());
  }
}

void DesktopWindow::openRecent(const std::string& file) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    services_.prompts.showError("The project " + file + " is no longer there.");
    QStringList recent = config_.value(kRecentKey).toStringList();
    recent.removeAll(text(file));
    config_.setValue(kRecentKey, recent);
    config_.sync();
    fillRecentMenu();
    return;
  }
  const auto answer = askBeforeEnding();
  if (!answer) return;
  try {
    openProject(host::ProjectPaths::forFile(file), false, *answer);
  } catch (const std::exception& e) {
    services_.prompts.showError(e.what());
  }
}

bool DesktopWindow::save() {
  if (!session_) return false;
  try {
    session_->save();
  } catch (const std::exception& e) {
    services_.prompts.showError(std::string("The project was not saved: ") + e.what());
    return false;
  }
  rebaseline();
  return true;
}

bool DesktopWindow::saveAs() {
  if (!session_) return false;
  const auto file =
      services_.prompts.chooseProjectFile(DesktopPrompts::FileUse::SaveAs, project_->paths().folder);
  if (!file) return false;
  try {
    const host::ProjectPaths paths = host::ProjectPaths::forFile(*file);
    if (paths.file == project_->paths().file) return save();
    if (const std::string failed = session_->host().saveProjectData(); !failed.empty()) {
      throw std::runtime_error("SaveProjectData: " + failed);
    }
    project_->saveAs(paths);
  } catch (const std::exception& e) {
    services_.prompts.showError(std::string("The project was not saved: ") + e.what());
    return false;
  }
  rebaseline();
  remember(project_->paths().file);
  updateTitle();
  return true;
}

DesktopWindow::ProjectState DesktopWindow::currentState() {
  // What a save would write: the plug-in's settings as SaveProjectData
  // leaves them in the project, which is only memory until it is written.
  static_cast<void>(session_->host().saveProjectData());
  host::Project& project = project_->project();
  return {project.settings, project_->deviceValues(), project.outputs, project.actions};
}

void DesktopWindow::rebaseline() {
  if (!session_) return;
  baseline_ = currentState();
  setWindowModified(false);
}

void DesktopWindow::checkChanges() {
  if (!session_) return;
  ProjectState now = currentState();
  if (std::chrono::steady_clock::now() < settleUntil_) {
    // Where the window system put the tool window as it opened.
    for (const char* edge : {"TactoloMain_L", "TactoloMain_T"}) {
      if (const auto at = now.settings.find(edge); at != now.settings.end())
        baseline_.settings[edge] = at->second;
    }
  }
  setWindowModified(!(now == baseline_));
}

void DesktopWindow::closeWithoutSaving() {
  endSession();
  close();
}

void DesktopWindow::closeEvent(QCloseEvent* event) {
  const auto answer = askBeforeEnding();
  if (!answer || (*answer == DesktopPrompts::SaveAnswer::Save && !save())) {
    event->ignore();
    return;
  }
  endSession();
  event->accept();
}

std::vector<std::string> DesktopWindow::recentProjects() const {
  std::vector<std::string> files;
  for (const QString& file : config_.value(kRecentKey).toStringList()) files.push_back(file.toStdString());
  return files;
}

void DesktopWindow::remember(const std::string& file) {
  QStringList recent = config_.value(kRecentKey).toStringList();
  recent.removeAll(text(file));
  recent.prepend(text(file));
  while (recent.size() > kMaxRecent) recent.removeLast();
  config_.setValue(kRecentKey, recent);
  config_.sync();
  fillRecentMenu();
}

void DesktopWindow::fillRecentMenu() {
  recentMenu_->clear();
  for (const std::string& file : recentProjects()) {
    QObject::connect(recentMenu_->addAction(text(file)), &QAction::triggered, this,
                     [this, file] { openRecent(file); });
  }
  recentMenu_->setEnabled(!recentMenu_->isEmpty());
}

void DesktopWindow::updateTitle() {
  setWindowTitle(project_ ? text(project_->paths().name) + QStringLiteral("[*] - Tactolo")
                          : QStringLiteral("Tactolo"));
}

// --- The plug-in's windows and commands ------------------------------------

void DesktopWindow::placeToolWindow() {
  // A project that keeps the tool window's place opens it there; otherwise
  // it opens beside this window, where both can be seen.
  if (project_->project().settings.count("TactoloMain_L") != 0 || !isVisible()) return;
  const TwipScale scale = TwipScale::ofScreen();
  const QRect frame = frameGeometry();
  int left = frame.right() + 12;
  if (const QScreen* screen = this->screen(); screen != nullptr && views_->view(kMain) != nullptr) {
    left = std::min(left, screen->availableGeometry().right() - views_->view(kMain)->frameGeometry().width());
  }
  static_cast<void>(
      session_->host().automation().moveWindow(kMain, scale.twips(left), scale.twips(frame.top())));
}

void DesktopWindow::configure() {
  if (!session_) return;
  try {
    session_->host().configure();
  } catch (const std::exception& e) {
    services_.prompts.showError(e.what());
  }
  requestRound();
}

void DesktopWindow::setToolWindowShown(bool shown) {
  if (!session_) return;
  try {
    session_->host().showWindow(shown);
  } catch (const std::exception& e) {
    services_.prompts.showError(e.what());
  }
}

bool DesktopWindow::eventFilter(QObject* watched, QEvent* event) {
  // The tool window's close box hides it, as a lighting host's tool
  // windows do: the show goes on, and the menu shows it again.
  if (event->type() == QEvent::Close && session_ && views_ && watched == views_->view(kMain)) {
    event->ignore();
    setToolWindowShown(false);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

CommandDialog* DesktopWindow::showCommands() {
  if (!session_) return nullptr;
  if (!commands_) {
    commands_ = new CommandDialog(
        session_->host(), [this] { afterRound(); }, this);
  }
  commands_->show();
  commands_->raise();
  return commands_;
}

void DesktopWindow::editOutputs() {
  if (!session_) return;
  auto* dialog = new OutputSettingsDialog(project_->project().outputs, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(dialog, &QDialog::accepted, this, [this, dialog] { applyOutputs(dialog->settings()); });
  dialog->open();
}

void DesktopWindow::editActions() {
  if (!session_) return;
  auto* dialog = new BeatActionsDialog(project_->project().actions, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(dialog, &QDialog::accepted, this, [this, dialog] { applyActions(dialog->actions()); });
  dialog->open();
}

bool DesktopWindow::applyOutputs(const host::OutputSettings& outputs) {
  if (!session_) return false;
  try {
    session_->show().setOutputs(outputs);
  } catch (const std::exception& e) {
    services_.prompts.showError(std::string("The outputs were not changed: ") + e.what());
    return false;
  }
  project_->project().outputs = outputs;
  watchShowDescriptors();
  if (monitor_->universes() != outputs.universes) {
    monitor_->setUniverses(outputs.universes);
    const QSignalBlocker quiet(universeBox_);
    universeBox_->clear();
    for (int i = 0; i < outputs.universes; ++i) {
      universeBox_->addItem(
          QStringLiteral("Universe %1: channels %2-%3").arg(i + 1).arg(i * 512 + 1).arg(i * 512 + 512));
    }
    universeBox_->setCurrentIndex(monitor_->shownUniverse());
    universeBox_->setVisible(outputs.universes > 1);
  }
  checkChanges();
  updateStatus();
  return true;
}

bool DesktopWindow::applyActions(const std::vector<host::BeatAction>& actions) {
  if (!session_) return false;
  try {
    session_->show().setActions(actions);
  } catch (const std::exception& e) {
    services_.prompts.showError(std::string("The beat actions were not changed: ") + e.what());
    return false;
  }
  project_->project().actions = actions;
  checkChanges();
  return true;
}

// --- The show's events -----------------------------------------------------

void DesktopWindow::afterRound() {
  if (session_) session_->show().afterRound();
}

void DesktopWindow::requestRound() {
  if (!roundTimer_.isActive()) roundTimer_.start();
}

void DesktopWindow::watchShowDescriptors() {
  oscNotifier_.reset();
  noticeNotifier_.reset();
  host::Show& show = session_->show();
  if (show.oscFd() >= 0) {
    oscNotifier_ = std::make_unique<QSocketNotifier>(show.oscFd(), QSocketNotifier::Read);
    QObject::connect(oscNotifier_.get(), &QSocketNotifier::activated, this, [this] {
      session_->show().receiveOsc();
      afterRound();
    });
  }
  if (show.noticeFd() >= 0) {
    noticeNotifier_ = std::make_unique<QSocketNotifier>(show.noticeFd(), QSocketNotifier::Read);
    QObject::connect(noticeNotifier_.get(), &QSocketNotifier::activated, this, [this] {
      session_->show().takeNotices();
      afterRound();
    });
  }
}

void DesktopWindow::beat(const host::BeatEvent& beat) {
  const auto age =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - beat.sentAt);
  const QTime at = QTime::currentTime().addMSecs(-static_cast<int>(age.count()));
  beatLog_->insertRow(0);
  beatLog_->setItem(0, 0, new QTableWidgetItem(at.toString(QStringLiteral("HH:mm:ss.zzz"))));
  beatLog_->setItem(0, 1, new QTableWidgetItem(text(beat.bpm)));
  beatLog_->setItem(0, 2, new QTableWidgetItem(QString::fromLatin1(kindText(beat.kind))));
  if (beatLog_->rowCount() > kLoggedBeats) beatLog_->removeRow(kLoggedBeats);
  if (onBeat_) onBeat_(beat);
}

void DesktopWindow::warn(const std::string& line) {
  std::cerr << "tactolo-desktop: " << line << std::endl;
  statusBar()->showMessage(text(line), 10000);
}

void DesktopWindow::updateStatus() {
  if (!session_) {
    captureStatus_->setText(QStringLiteral("No project"));
    dmxStatus_->clear();
    linkStatus_->clear();
    return;
  }
  try {
    for (const std::string& error : session_->host().takeEventErrors()) {
      if (!host::repeatsDmxWarning(error)) warn(error);
    }
    const host::ShowStatus status = session_->show().status();
    captureStatus_->setText(
        status.capturing ? QStringLiteral("Capturing: %1 BPM%2")
                               .arg(text(status.tempo), status.keeping ? QStringLiteral(", kept") : QString())
                         : QStringLiteral("Stopped"));
    dmxStatus_->setText(QStringLiteral("DMX: %1 %2")
                            .arg(text(status.dmx.name),
                                 status.dmx.lastError.empty()
                                     ? QStringLiteral("%1 fps").arg(status.dmx.framesPerSecond, 0, 'f', 0)
                                     : QStringLiteral("error: %1").arg(text(status.dmx.lastError))));
    linkStatus_->setText(status.linkPeers ? QStringLiteral("Link: %1 peer(s)").arg(*status.linkPeers)
                                          : QStringLiteral("Link off"));
  } catch (const std::exception& e) {
    captureStatus_->setText(text(e.what()));
  }
}

}  // namespace tactolo::qt
