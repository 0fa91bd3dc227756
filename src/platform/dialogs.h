// Dialogs the plug-in shows to the user: message boxes, the file-save dialog
// and the colour dialog. Live hosts show real dialogs; HeadlessDialogs
// records what was shown and answers from a queue, so nothing ever blocks.
#pragma once

#include <cstdint>
#include <deque>
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
  };

  DialogAnswer messageBox(const std::string& text, const std::string& title, MessageIcon icon,
                          MessageButtons buttons) override;
  std::optional<std::string> fileSave(const FileSaveRequest& request) override;
  std::optional<uint32_t> chooseColor(uint32_t initialColor) override;

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
};

}  // namespace tactolo
