// The desktop's own questions to the user: whether to save a changed
// project, which project file to open or save, and what went wrong. Behind
// an interface, so that tests answer them instead of a user and no test
// opens a real dialog.
#pragma once

#include <QPointer>
#include <QWidget>
#include <optional>
#include <string>

namespace tactolo::qt {

class DesktopPrompts {
 public:
  enum class SaveAnswer { Save, Discard, Cancel };
  enum class FileUse { Open, New, SaveAs };

  virtual ~DesktopPrompts() = default;
  /// The project `project` has unsaved changes: save them, discard them, or
  /// cancel what was about to end it.
  virtual SaveAnswer askToSave(const std::string& project) = 0;
  /// A project file to open (an existing one), to start a new project in,
  /// or to save the project as, starting in `folder`; nothing when the user
  /// cancels.
  virtual std::optional<std::string> chooseProjectFile(FileUse use, const std::string& folder) = 0;
  /// Tells the user what went wrong (or what did not fully work).
  virtual void showError(const std::string& text) = 0;
};

/// The prompts as Qt's message boxes and file dialogs over `parent`.
class QtDesktopPrompts final : public DesktopPrompts {
 public:
  explicit QtDesktopPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  SaveAnswer askToSave(const std::string& project) override;
  std::optional<std::string> chooseProjectFile(FileUse use, const std::string& folder) override;
  void showError(const std::string& text) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace tactolo::qt
