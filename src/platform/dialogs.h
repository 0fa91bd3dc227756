// Dialogs the plug-in shows to the user: message boxes, the file-save dialog
// and the colour dialog, and the wait while one of its own forms is shown
// modal. Live hosts show real dialogs; HeadlessDialogs records what was shown
// and answers from a queue, so nothing ever blocks.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tactolo {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class DialogAnswer { Ok, Cancel, Yes, No };

struct FileSaveRequest {
  std::string title;
  std::string initialFolder;
  std::string fileName;
  std::string filter;  // e.g. "VU configuration (*.vuconf)|*.vuconf"
  std::string defaultExtension;
  int32_t filterIndex = 1;  // the filter chosen at first, counted from 1
};

class DialogService {
 public:
  virtual ~DialogService() = default;
  /// Shows a message box and waits until the user closes it.
  virtual DialogAnswer messageBox(const std::string& text, const std::string& title, MessageIcon icon,
                                  MessageButtons buttons) = 0;
  /// Asks for a file to save to; nullopt when the user cancels.
  virtual std::optional<std::string> fileSave(const FileSaveRequest& request) = 0;
  /// Asks for a colour (packed: red low byte, green, blue); nullopt on cancel.
  virtual std::optional<uint32_t> chooseColor(uint32_t initialColor) = 0;
  /// The wait of a form shown modal: returns once `shown()` is false, the
  /// user's actions on that form having run meanwhile. A live host runs its
  /// event loop until then; a headless one hands control to whatever drives
  /// the user's part, and may return while the form is still shown when
  /// nothing is left to drive it.
  virtual void modalWait(const std::function<bool()>& shown) = 0;
};

/// Records every dialog and answers from queues. An empty queue answers the
/// first button of a message box (OK or Yes) and cancels the other dialogs.
class HeadlessDialogs final : public DialogService {
 public:
  enum class Kind { Message, FileSave, Color };
  struct Record {
    Kind kind;
    std::string title;
    std::string text;  // message text, or the file dialog's file name
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    std::string answer;  // "ok", "cancel", "yes", "no", a path, "R,G,B"
    // The file dialog's filter, the filter chosen at first and its first
    // folder; the colour dialog's starting colour.
    std::string filter{};
    int32_t filterIndex = 0;
    std::string initialFolder{};
    uint32_t initialColor = 0;
  };

  DialogAnswer messageBox(const std::string& text, const std::string& title, MessageIcon icon,
                          MessageButtons buttons) override;
  std::optional<std::string> fileSave(const FileSaveRequest& request) override;
  std::optional<uint32_t> chooseColor(uint32_t initialColor) override;
  /// Runs the next queued modal action, if any, and returns.
  void modalWait(const std::function<bool()>& shown) override;

  /// What the user does while the next form is shown modal.
  void queueModalAction(std::function<void()> action) { modalActions_.push_back(std::move(action)); }
  void queueMessageAnswer(DialogAnswer answer) { messageAnswers_.push_back(answer); }
  void queueFileSaveAnswer(std::optional<std::string> path) { fileAnswers_.push_back(std::move(path)); }
  void queueColorAnswer(std::optional<uint32_t> color) { colorAnswers_.push_back(color); }

  const std::vector<Record>& records() const { return records_; }
  void clearRecords() { records_.clear(); }

 private:
  std::vector<Record> records_;
  std::deque<DialogAnswer> messageAnswers_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::deque<std::optional<uint32_t>> colorAnswers_;
  std::deque<std::function<void()>> modalActions_;
};

}  // namespace tactolo
