// The plug-in's dialogs through Qt: message boxes, the save dialog and the
// colour dialog, each shown modal over the host's window, and the wait while
// one of the plug-in's own forms is shown modal (a nested event loop, in
// which the form's view takes the user's actions).
//
// An answerer (any DialogService, HeadlessDialogs in tests) can take the
// place of the three dialogs, so that a test, or a run without a user,
// never opens one; the modal wait runs Qt's event loop all the same.
#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "platform/control_model.h"
#include "platform/dialogs.h"

namespace tactolo::qt {

class QtDialogService final : public DialogService {
 public:
  /// Dialogs open over `parent` (none: over no window); `colors` resolves a
  /// system colour handed to the colour dialog.
  explicit QtDialogService(const SystemColors& colors, QWidget* parent = nullptr);

  /// Answers the message boxes, save and colour dialogs from `answerer`
  /// instead of showing them; null shows them again.
  void setAnswerer(DialogService* answerer) { answerer_ = answerer; }
  void setParent(QWidget* parent) { parent_ = parent; }

  DialogAnswer messageBox(const std::string& text, const std::string& title, MessageIcon icon,
                          MessageButtons buttons) override;
  std::optional<std::string> fileSave(const FileSaveRequest& request) override;
  /// Cancel answers nothing: the plug-in then keeps the colour it gave.
  std::optional<uint32_t> chooseColor(uint32_t initialColor) override;
  /// Runs a nested Qt event loop until `shown()` is false or the
  /// application quits.
  void modalWait(const std::function<bool()>& shown) override;

 private:
  const SystemColors& colors_;
  QPointer<QWidget> parent_;
  DialogService* answerer_ = nullptr;
};

/// The message box the plug-in asks for, not yet shown. An empty title
/// becomes "Tactolo".
std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, const std::string& title,
                                            MessageIcon icon, MessageButtons buttons, QWidget* parent);
/// The answer of the box's button the user pressed (the escape answer,
/// Cancel, No or OK, when the box was closed otherwise).
DialogAnswer answerOf(const QMessageBox& box, QAbstractButton* pressed);

/// The save dialog the plug-in asks for, not yet shown.
std::unique_ptr<QFileDialog> makeSaveDialog(const FileSaveRequest& request, QWidget* parent);
/// A filter of the form "Text|patterns|Text|patterns" (patterns joined by
/// ";") as Qt's name filters, "Text (patterns)" each.
QStringList nameFilters(const std::string& filter);

}  // namespace tactolo::qt
