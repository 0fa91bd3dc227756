#include "qt/qt_dialogs.h"

#include <QAbstractEventDispatcher>
#include <QColorDialog>
#include <QEventLoop>
#include <QPushButton>

#include "qt/qt_colors.h"

namespace tactolo::qt {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon iconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

}  // namespace

QtDialogService::QtDialogService(const SystemColors& colors, QWidget* parent)
    : colors_(colors), parent_(parent) {}

DialogAnswer QtDialogService::messageBox(const std::string& message, const std::string& title,
                                         MessageIcon icon, MessageButtons buttons) {
  if (answerer_ != nullptr) return answerer_->messageBox(message, title, icon, buttons);
  const std::unique_ptr<QMessageBox> box = makeMessageBox(message, title, icon, buttons, parent_);
  box->exec();
  return answerOf(*box, box->clickedButton());
}

std::optional<std::string> QtDialogService::fileSave(const FileSaveRequest& request) {
  if (answerer_ != nullptr) return answerer_->fileSave(request);
  const std::unique_ptr<QFileDialog> dialog = makeSaveDialog(request, parent_);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return dialog->selectedFiles().constFirst().toStdString();
}

std::optional<uint32_t> QtDialogService::chooseColor(uint32_t initialColor) {
  if (answerer_ != nullptr) return answerer_->chooseColor(initialColor);
  const QColor chosen = QColorDialog::getColor(toQColor(initialColor, colors_), parent_);
  if (!chosen.isValid()) return std::nullopt;
  return fromQColor(chosen);
}

void QtDialogService::modalWait(const std::function<bool()>& shown) {
  if (!shown()) return;
  QEventLoop loop;
  // Asked whenever the loop has handled what arrived and is about to wait:
  // the form hides itself in one of the user's actions on its view. The
  // loop also ends when the application quits.
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
    if (!shown()) loop.quit();
  });
  loop.exec();
}

std::unique_ptr<QMessageBox> makeMessageBox(const std::string& message, const std::string& title,
                                            MessageIcon icon, MessageButtons buttons, QWidget* parent) {
  auto box =
      std::make_unique<QMessageBox>(iconOf(icon), title.empty() ? QStringLiteral("Tactolo") : text(title),
                                    text(message), buttonsOf(buttons), parent);
  box->setTextFormat(Qt::PlainText);
  return box;
}

DialogAnswer answerOf(const QMessageBox& box, QAbstractButton* pressed) {
  switch (pressed != nullptr ? box.standardButton(pressed) : QMessageBox::NoButton) {
    case QMessageBox::Yes:
      return DialogAnswer::Yes;
    case QMessageBox::No:
      return DialogAnswer::No;
    case QMessageBox::Cancel:
      return DialogAnswer::Cancel;
    case QMessageBox::Ok:
      return DialogAnswer::Ok;
    default:
      break;
  }
  // Closed without a button: as the escape key answers.
  if (box.button(QMessageBox::Cancel) != nullptr) return DialogAnswer::Cancel;
  if (box.button(QMessageBox::No) != nullptr) return DialogAnswer::No;
  return DialogAnswer::Ok;
}

QStringList nameFilters(const std::string& filter) {
  const QStringList parts = text(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
    // Qt reads the patterns from the parentheses: a text that shows them
    // already keeps its own.
    filters << (parts[i].contains(QLatin1Char('(')) ? parts[i] : parts[i] + " (" + patterns + ")");
  }
  return filters;
}

std::unique_ptr<QFileDialog> makeSaveDialog(const FileSaveRequest& request, QWidget* parent) {
  auto dialog = std::make_unique<QFileDialog>(parent, text(request.title), text(request.initialFolder));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  const QStringList filters = nameFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog->setNameFilters(filters);
    const qsizetype chosen =
        request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex - 1 : 0;
    dialog->selectNameFilter(filters[chosen]);
  }
  if (!request.defaultExtension.empty()) dialog->setDefaultSuffix(text(request.defaultExtension));
  if (!request.fileName.empty()) dialog->selectFile(text(request.fileName));
  return dialog;
}

}  // namespace tactolo::qt
