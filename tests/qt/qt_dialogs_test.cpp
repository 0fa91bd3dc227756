// The plug-in's dialogs as Qt builds them, looked at without showing them:
// a message box's icon, buttons and answers; the save dialog's title,
// filters (the host's "Name|*.a;*.b" pairs), first filter and folder.
#include "qt/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>

namespace tactolo::testing {
namespace {

struct BoxCase {
  MessageIcon icon;
  MessageButtons buttons;
  QMessageBox::Icon qtIcon;
  QMessageBox::StandardButtons qtButtons;
  DialogAnswer closed;  // the answer when the box is closed without a button
};

TEST(QtDialogsTest, AMessageBoxHasTheAskedIconAndButtonsAndAnswersThePressedOne) {
  const BoxCase cases[] = {
      {MessageIcon::None, MessageButtons::Ok, QMessageBox::NoIcon, QMessageBox::Ok, DialogAnswer::Ok},
      {MessageIcon::Critical, MessageButtons::OkCancel, QMessageBox::Critical,
       QMessageBox::Ok | QMessageBox::Cancel, DialogAnswer::Cancel},
      {MessageIcon::Question, MessageButtons::YesNo, QMessageBox::Question,
       QMessageBox::Yes | QMessageBox::No, DialogAnswer::No},
      {MessageIcon::Exclamation, MessageButtons::YesNoCancel, QMessageBox::Warning,
       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, DialogAnswer::Cancel},
      {MessageIcon::Information, MessageButtons::Ok, QMessageBox::Information, QMessageBox::Ok,
       DialogAnswer::Ok},
  };
  const std::pair<QMessageBox::StandardButton, DialogAnswer> answers[] = {
      {QMessageBox::Ok, DialogAnswer::Ok},
      {QMessageBox::Cancel, DialogAnswer::Cancel},
      {QMessageBox::Yes, DialogAnswer::Yes},
      {QMessageBox::No, DialogAnswer::No}};
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.qtIcon));
    const auto box = qt::makeMessageBox("Configuration saved !", "", c.icon, c.buttons, nullptr);
    EXPECT_EQ(box->windowTitle(), "Tactolo");
    EXPECT_EQ(box->text(), "Configuration saved !");
    EXPECT_EQ(box->icon(), c.qtIcon);
    EXPECT_EQ(box->standardButtons(), c.qtButtons);
    for (const auto& [button, answer] : answers) {
      if (QAbstractButton* pressed = box->button(button)) {
        EXPECT_EQ(qt::answerOf(*box, pressed), answer);
      }
    }
    EXPECT_EQ(qt::answerOf(*box, nullptr), c.closed);
  }
  EXPECT_EQ(qt::makeMessageBox("x", "Error", MessageIcon::None, MessageButtons::Ok, nullptr)->windowTitle(),
            "Error");
}

TEST(QtDialogsTest, TheSaveDialogStartsWhereTheRequestSays) {
  FileSaveRequest request;
  request.title = "Save Configuration ...";
  request.filter = "Text|*.txt;*.log|VU-Meter (*.vuconf)|*.vuconf";
  request.filterIndex = 2;
  request.initialFolder = QDir::tempPath().toStdString();
  const auto dialog = qt::makeSaveDialog(request, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Save Configuration ...");
  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dialog->nameFilters(), QStringList({"Text (*.txt *.log)", "VU-Meter (*.vuconf)"}));
  EXPECT_EQ(dialog->selectedNameFilter(), "VU-Meter (*.vuconf)");
  EXPECT_EQ(dialog->directory().absolutePath(), QDir(QDir::tempPath()).absolutePath());
}

}  // namespace
}  // namespace tactolo::testing
