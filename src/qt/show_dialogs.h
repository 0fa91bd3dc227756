// The desktop's dialogs for what the host adds to the plug-in: the outputs
// (DMX by sACN or OLA, OSC, Link), the beat actions, and the command server's
// commands. Each checks what the user entered before it closes with OK and
// says in the dialog what is wrong, so that nothing half right is applied.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "host/plugin_host.h"
#include "host/show_settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace tactolo::qt {

/// The outputs in one dialog: the DMX output (sACN with its receivers, first
/// universe, priority and source name; OLA with its first universe; or
/// none), the number of universes, where OSC beats go and the port OSC
/// commands arrive on, and Link.
class OutputSettingsDialog final : public QDialog {
 public:
  OutputSettingsDialog(const host::OutputSettings& current, QWidget* parent = nullptr);
  /// The outputs as the dialog shows them; what it does not show (the sACN
  /// component identifier) as they were.
  host::OutputSettings settings() const;
  /// What is wrong with settings(), empty when a project can hold them.
  std::string problem() const;

  void done(int result) override;

 private:
  void enableChosen();

  host::OutputSettings current_;
  QButtonGroup* kind_;
  QSpinBox* universes_;
  QLineEdit* sacnTargets_;
  QSpinBox* sacnUniverse_;
  QSpinBox* sacnPriority_;
  QLineEdit* sacnName_;
  QSpinBox* olaUniverse_;
  QLineEdit* oscTo_;
  QSpinBox* oscPort_;
  QCheckBox* link_;
  QLabel* error_;
};

/// The beat actions as a table, one action a row: its kind (flash or
/// chase), on every how many beats it acts, the hold of a flash, and its
/// channels as text ("1-4=255, 9=128"; a chase's steps separated by ";").
class BeatActionsDialog final : public QDialog {
 public:
  BeatActionsDialog(const std::vector<host::BeatAction>& actions, QWidget* parent = nullptr);
  /// The actions of the rows; std::invalid_argument naming the row and what
  /// is wrong with it.
  std::vector<host::BeatAction> actions() const;
  QTableWidget* table() const { return table_; }
  /// Adds a row for `action`.
  void addRow(const host::BeatAction& action);

  void done(int result) override;

 private:
  QTableWidget* table_;
  QLabel* error_;
};

/// The command server's commands, as a lighting host's command system offers
/// them: the first options (GetFirstOptions) with their texts in the user's
/// language, the second options of the chosen one (GetSecondOptions), a
/// value, and Execute, which runs ExecuteCommand. It works on `host` until
/// the host ends, so its owner closes it before.
class CommandDialog final : public QDialog {
 public:
  /// `afterCommand` runs after each command (the show's round end).
  CommandDialog(host::PluginHost& host, std::function<void()> afterCommand, QWidget* parent = nullptr);

  QComboBox* firstBox() const { return first_; }
  QComboBox* secondBox() const { return second_; }
  QSpinBox* valueBox() const { return value_; }
  /// Runs the chosen command with the value; the result shows below.
  void execute();
  QLabel* resultLabel() const { return result_; }

 private:
  void listSecondOptions();

  host::PluginHost& host_;
  std::function<void()> afterCommand_;
  QComboBox* first_;
  QComboBox* second_;
  QSpinBox* value_;
  QLabel* result_;
};

}  // namespace tactolo::qt
