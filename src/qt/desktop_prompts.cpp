#include "qt/desktop_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tactolo::qt {

DesktopPrompts::SaveAnswer QtDesktopPrompts::askToSave(const std::string& project) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Tactolo"),
                  QStringLiteral("The project \"%1\" has changed.").arg(QString::fromStdString(project)),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent_);
  box.setInformativeText(QStringLiteral("Save the changes?"));
  box.setDefaultButton(QMessageBox::Save);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveAnswer::Save;
    case QMessageBox::Discard:
      return SaveAnswer::Discard;
    default:
      return SaveAnswer::Cancel;
  }
}

std::optional<std::string> QtDesktopPrompts::chooseProjectFile(FileUse use, const std::string& folder) {
  const QString filter = QStringLiteral("Tactolo projects (*.json);;All files (*)");
  const QString start = QString::fromStdString(folder);
  QString chosen;
  switch (use) {
    case FileUse::Open:
      chosen = QFileDialog::getOpenFileName(parent_, QStringLiteral("Open project"), start, filter);
      break;
    case FileUse::New:
    case FileUse::SaveAs: {
      QFileDialog dialog(
          parent_, use == FileUse::New ? QStringLiteral("New project") : QStringLiteral("Save project as"),
          start, filter);
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setDefaultSuffix(QStringLiteral("json"));
      if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen = dialog.selectedFiles().constFirst();
      }
      break;
    }
  }
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

void QtDesktopPrompts::showError(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Tactolo"), QString::fromStdString(text),
                  QMessageBox::Ok, parent_);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace tactolo::qt
