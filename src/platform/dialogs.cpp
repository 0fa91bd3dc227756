// Headless dialogs: every dialog is recorded and answered from its queue.
#include "platform/dialogs.h"

namespace tactolo {

namespace {

DialogAnswer firstButton(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
      return DialogAnswer::Yes;
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
      break;
  }
  return DialogAnswer::Ok;
}

const char* answerText(DialogAnswer answer) {
  switch (answer) {
    case DialogAnswer::Ok:
      return "ok";
    case DialogAnswer::Cancel:
      return "cancel";
    case DialogAnswer::Yes:
      return "yes";
    case DialogAnswer::No:
      return "no";
  }
  return "cancel";
}

template <class T>
std::optional<T> takeFront(std::deque<std::optional<T>>& queue) {
  if (queue.empty()) return std::nullopt;
  std::optional<T> front = std::move(queue.front());
  queue.pop_front();
  return front;
}

}  // namespace

DialogAnswer HeadlessDialogs::messageBox(const std::string& text, const std::string& title, MessageIcon icon,
                                         MessageButtons buttons) {
  DialogAnswer answer = firstButton(buttons);
  if (!messageAnswers_.empty()) {
    answer = messageAnswers_.front();
    messageAnswers_.pop_front();
  }
  records_.push_back(Record{Kind::Message, title, text, icon, buttons, answerText(answer)});
  return answer;
}

std::optional<std::string> HeadlessDialogs::fileSave(const FileSaveRequest& request) {
  std::optional<std::string> path = takeFront(fileAnswers_);
  Record record{Kind::FileSave,    request.title,      request.fileName,
                MessageIcon::None, MessageButtons::Ok, path ? *path : "cancel"};
  record.filter = request.filter;
  record.filterIndex = request.filterIndex;
  record.initialFolder = request.initialFolder;
  records_.push_back(std::move(record));
  return path;
}

std::optional<uint32_t> HeadlessDialogs::chooseColor(uint32_t initialColor) {
  std::optional<uint32_t> color = takeFront(colorAnswers_);
  std::string answer = "cancel";
  if (color) {
    answer = std::to_string(*color & 0xFFu) + "," + std::to_string((*color >> 8) & 0xFFu) + "," +
             std::to_string((*color >> 16) & 0xFFu);
  }
  Record record{Kind::Color, {}, {}, MessageIcon::None, MessageButtons::Ok, answer};
  record.initialColor = initialColor;
  records_.push_back(std::move(record));
  return color;
}

void HeadlessDialogs::modalWait(const std::function<bool()>& shown) {
  if (modalActions_.empty() || !shown()) return;
  std::function<void()> action = std::move(modalActions_.front());
  modalActions_.pop_front();
  action();
}

}  // namespace tactolo
