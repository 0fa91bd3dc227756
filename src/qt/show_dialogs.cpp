#include "qt/show_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <climits>
#include <stdexcept>

#include "host/beat_actions.h"
#include "host/json_fields.h"
#include "host/project_file.h"

namespace tactolo::qt {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

QSpinBox* spinBox(int min, int max, int value) {
  auto* box = new QSpinBox;
  box->setRange(min, max);
  box->setValue(value);
  return box;
}

/// The red line under a dialog's fields that says what keeps OK from
/// closing it.
QLabel* errorLabel() {
  auto* label = new QLabel;
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(190, 0, 0));
  label->setPalette(palette);
  label->hide();
  return label;
}

void showProblem(QLabel* label, const std::string& problem) {
  label->setText(text(problem));
  label->setVisible(!problem.empty());
}

QDialogButtonBox* okCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

// The columns of the actions' table.
enum Column { kKind, kEvery, kHold, kChannels };

}  // namespace

// --- Outputs ---------------------------------------------------------------

OutputSettingsDialog::OutputSettingsDialog(const host::OutputSettings& current, QWidget* parent)
    : QDialog(parent), current_(current) {
  setWindowTitle(QStringLiteral("Output settings"));
  auto* layout = new QVBoxLayout(this);

  auto* dmx = new QGroupBox(QStringLiteral("DMX output"));
  auto* dmxLayout = new QFormLayout(dmx);
  kind_ = new QButtonGroup(this);
  auto* kinds = new QHBoxLayout;
  const char* names[] = {"sACN (E1.31)", "OLA", "None"};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QRadioButton(QString::fromLatin1(names[i]));
    kind_->addButton(button, i);
    kinds->addWidget(button);
  }
  kind_->button(static_cast<int>(current.dmx))->setChecked(true);
  dmxLayout->addRow(QStringLiteral("Send by"), kinds);
  universes_ = spinBox(1, host::kMaxUniverses, current.universes);
  dmxLayout->addRow(QStringLiteral("Universes"), universes_);
  std::string targets;
  for (const std::string& target : current.sacn.unicastTargets)
    targets += (targets.empty() ? "" : ", ") + target;
  sacnTargets_ = new QLineEdit(text(targets));
  sacnTargets_->setPlaceholderText(QStringLiteral("empty: multicast to each universe's group"));
  dmxLayout->addRow(QStringLiteral("sACN receivers"), sacnTargets_);
  sacnUniverse_ = spinBox(1, 63999, current.sacn.firstUniverse);
  dmxLayout->addRow(QStringLiteral("sACN first universe"), sacnUniverse_);
  sacnPriority_ = spinBox(0, 200, current.sacn.priority);
  dmxLayout->addRow(QStringLiteral("sACN priority"), sacnPriority_);
  sacnName_ = new QLineEdit(text(current.sacn.sourceName));
  dmxLayout->addRow(QStringLiteral("sACN source name"), sacnName_);
  olaUniverse_ = spinBox(0, INT_MAX, current.ola.firstUniverse);
  dmxLayout->addRow(QStringLiteral("OLA first universe"), olaUniverse_);
  layout->addWidget(dmx);

  auto* sync = new QGroupBox(QStringLiteral("Beats to other machines"));
  auto* syncLayout = new QFormLayout(sync);
  oscTo_ = new QLineEdit(text(current.osc.sendTo));
  oscTo_->setPlaceholderText(QStringLiteral("HOST:PORT, empty: none"));
  syncLayout->addRow(QStringLiteral("OSC beats to"), oscTo_);
  oscPort_ = spinBox(0, 65535, current.osc.listenPort);
  oscPort_->setSpecialValueText(QStringLiteral("off"));
  syncLayout->addRow(QStringLiteral("OSC commands on port"), oscPort_);
  link_ = new QCheckBox(QStringLiteral("Publish tempo and beats to the Ableton Link session"));
  link_->setChecked(current.link);
  syncLayout->addRow(QStringLiteral("Link"), link_);
  layout->addWidget(sync);

  error_ = errorLabel();
  layout->addWidget(error_);
  layout->addWidget(okCancel(this));
  QObject::connect(kind_, &QButtonGroup::idClicked, this, [this] { enableChosen(); });
  enableChosen();
}

void OutputSettingsDialog::enableChosen() {
  const int chosen = kind_->checkedId();
  for (QWidget* sacn : {static_cast<QWidget*>(sacnTargets_), static_cast<QWidget*>(sacnUniverse_),
                        static_cast<QWidget*>(sacnPriority_), static_cast<QWidget*>(sacnName_)}) {
    sacn->setEnabled(chosen == static_cast<int>(host::DmxOutputKind::Sacn));
  }
  olaUniverse_->setEnabled(chosen == static_cast<int>(host::DmxOutputKind::Ola));
}

host::OutputSettings OutputSettingsDialog::settings() const {
  host::OutputSettings out = current_;
  out.dmx = static_cast<host::DmxOutputKind>(kind_->checkedId());
  out.universes = universes_->value();
  out.sacn.unicastTargets.clear();
  for (const QString& target :
       sacnTargets_->text().split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts)) {
    out.sacn.unicastTargets.push_back(target.toStdString());
  }
  out.sacn.firstUniverse = sacnUniverse_->value();
  out.sacn.priority = sacnPriority_->value();
  out.sacn.sourceName = sacnName_->text().toStdString();
  out.ola.firstUniverse = olaUniverse_->value();
  out.osc.sendTo = oscTo_->text().trimmed().toStdString();
  out.osc.listenPort = oscPort_->value();
  out.link = link_->isChecked();
  return out;
}

std::string OutputSettingsDialog::problem() const {
  // A project must be able to hold them: the project's own checks say what
  // does not fit.
  host::Project project;
  project.outputs = settings();
  try {
    static_cast<void>(host::FormatProject(project));
  } catch (const host::FieldError& error) {
    return error.what();
  }
  return {};
}

void OutputSettingsDialog::done(int result) {
  if (result == QDialog::Accepted) {
    const std::string wrong = problem();
    showProblem(error_, wrong);
    if (!wrong.empty()) return;
  }
  QDialog::done(result);
}

// --- Beat actions ----------------------------------------------------------

BeatActionsDialog::BeatActionsDialog(const std::vector<host::BeatAction>& actions, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Beat actions"));
  resize(640, 300);
  auto* layout = new QVBoxLayout(this);
  auto* explained = new QLabel(QStringLiteral(
      "A flash sets its channels on every Nth beat for the hold time, then back to 0; a chase moves "
      "to its next step on every Nth beat. Channels: \"1-4=255, 9=128\" (\"5\" alone is 255); a "
      "chase's steps are separated by \";\"."));
  explained->setWordWrap(true);
  layout->addWidget(explained);
  table_ = new QTableWidget(0, 4);
  table_->setHorizontalHeaderLabels({QStringLiteral("Kind"), QStringLiteral("Every Nth beat"),
                                     QStringLiteral("Hold (ms)"), QStringLiteral("Channels (chase: steps)")});
  table_->horizontalHeader()->setSectionResizeMode(kChannels, QHeaderView::Stretch);
  table_->verticalHeader()->setVisible(true);
  layout->addWidget(table_);
  auto* rowButtons = new QHBoxLayout;
  auto* add = new QPushButton(QStringLiteral("Add"));
  auto* remove = new QPushButton(QStringLiteral("Remove"));
  rowButtons->addWidget(add);
  rowButtons->addWidget(remove);
  rowButtons->addStretch();
  layout->addLayout(rowButtons);
  QObject::connect(add, &QPushButton::clicked, this, [this] {
    host::BeatAction flash;
    flash.channels = {{1, 255}};
    addRow(flash);
  });
  QObject::connect(remove, &QPushButton::clicked, this, [this] {
    if (table_->currentRow() >= 0) table_->removeRow(table_->currentRow());
  });
  error_ = errorLabel();
  layout->addWidget(error_);
  layout->addWidget(okCancel(this));
  for (const host::BeatAction& action : actions) addRow(action);
}

void BeatActionsDialog::addRow(const host::BeatAction& action) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  const bool flash = action.kind == host::BeatAction::Kind::Flash;
  auto* kind = new QComboBox;
  kind->addItems({QStringLiteral("Flash"), QStringLiteral("Chase")});
  kind->setCurrentIndex(flash ? 0 : 1);
  table_->setCellWidget(row, kKind, kind);
  table_->setCellWidget(row, kEvery, spinBox(1, host::kMaxEveryNth, action.everyNth));
  auto* hold = spinBox(1, host::kMaxHoldMs, action.holdMs);
  hold->setEnabled(flash);
  table_->setCellWidget(row, kHold, hold);
  table_->setItem(row, kChannels,
                  new QTableWidgetItem(text(flash ? host::channelValuesText(action.channels)
                                                  : host::chaseStepsText(action.steps))));
  QObject::connect(kind, &QComboBox::currentIndexChanged, hold,
                   [hold](int chosen) { hold->setEnabled(chosen == 0); });
}

std::vector<host::BeatAction> BeatActionsDialog::actions() const {
  std::vector<host::BeatAction> actions;
  for (int row = 0; row < table_->rowCount(); ++row) {
    host::BeatAction action;
    const bool flash = static_cast<QComboBox*>(table_->cellWidget(row, kKind))->currentIndex() == 0;
    action.kind = flash ? host::BeatAction::Kind::Flash : host::BeatAction::Kind::Chase;
    action.everyNth = static_cast<QSpinBox*>(table_->cellWidget(row, kEvery))->value();
    action.holdMs = static_cast<QSpinBox*>(table_->cellWidget(row, kHold))->value();
    const QTableWidgetItem* item = table_->item(row, kChannels);
    const std::string channels = item != nullptr ? item->text().toStdString() : std::string();
    try {
      if (flash) {
        action.channels = host::parseChannelValues(channels);
      } else {
        action.steps = host::parseChaseSteps(channels);
      }
      host::checkBeatAction(action);
    } catch (const std::invalid_argument& e) {
      throw std::invalid_argument("row " + std::to_string(row + 1) + ": " + e.what());
    }
    actions.push_back(std::move(action));
  }
  return actions;
}

void BeatActionsDialog::done(int result) {
  if (result == QDialog::Accepted) {
    try {
      static_cast<void>(actions());
      showProblem(error_, {});
    } catch (const std::invalid_argument& e) {
      showProblem(error_, e.what());
      return;
    }
  }
  QDialog::done(result);
}

// --- Commands --------------------------------------------------------------

CommandDialog::CommandDialog(host::PluginHost& host, std::function<void()> afterCommand, QWidget* parent)
    : QDialog(parent), host_(host), afterCommand_(std::move(afterCommand)) {
  setWindowTitle(QStringLiteral("Commands"));
  auto* layout = new QFormLayout(this);
  first_ = new QComboBox;
  second_ = new QComboBox;
  value_ = spinBox(INT_MIN, INT_MAX, 0);
  value_->setToolTip(
      QStringLiteral("Select VU-Config: 1000 for the first configuration, 2000 for the second..."));
  layout->addRow(QStringLiteral("Command"), first_);
  layout->addRow(QStringLiteral("Option"), second_);
  layout->addRow(QStringLiteral("Value"), value_);
  auto* execute = new QPushButton(QStringLiteral("Execute"));
  execute->setDefault(true);
  auto* close = new QPushButton(QStringLiteral("Close"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(execute);
  buttons->addWidget(close);
  layout->addRow(buttons);
  result_ = new QLabel;
  result_->setTextFormat(Qt::PlainText);
  result_->setWordWrap(true);
  layout->addRow(result_);
  QObject::connect(execute, &QPushButton::clicked, this, [this] { this->execute(); });
  QObject::connect(close, &QPushButton::clicked, this, &QDialog::reject);
  QObject::connect(first_, &QComboBox::currentIndexChanged, this, [this] { listSecondOptions(); });
  try {
    for (const host::CommandOption& option : host_.firstOptions()) {
      first_->addItem(text(option.text), text(option.key));
    }
  } catch (const std::exception& e) {
    result_->setText(text(e.what()));
  }
}

void CommandDialog::listSecondOptions() {
  second_->clear();
  if (first_->currentIndex() < 0) return;
  try {
    for (const host::CommandOption& option :
         host_.secondOptions(first_->currentData().toString().toStdString())) {
      second_->addItem(text(option.text), text(option.key));
    }
  } catch (const std::exception& e) {
    result_->setText(text(e.what()));
  }
}

void CommandDialog::execute() {
  if (first_->currentIndex() < 0) return;
  const std::string first = first_->currentData().toString().toStdString();
  const std::string second =
      second_->currentIndex() >= 0 ? second_->currentData().toString().toStdString() : "";
  const HostStatus done = host_.executeCommand(first, second, value_->value());
  result_->setText(done.ok ? QStringLiteral("%1: done").arg(first_->currentText())
                           : QStringLiteral("%1: %2").arg(first_->currentText(), text(done.error)));
  if (afterCommand_) afterCommand_();
}

}  // namespace tactolo::qt
