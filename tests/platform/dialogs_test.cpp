// Headless dialogs answer from their queues and record what was shown.
#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/control_model.h"

namespace tactolo {
namespace {

TEST(HeadlessDialogs, AnswersFromQueuesThenDefaults) {
  HeadlessDialogs dialogs;
  dialogs.queueMessageAnswer(DialogAnswer::No);
  dialogs.queueFileSaveAnswer("/tmp/show.vuconf");
  dialogs.queueColorAnswer(Rgb(1, 2, 3));
  const auto ask = [&](MessageButtons buttons) {
    return dialogs.messageBox("Save?", "Tactolo", MessageIcon::Question, buttons);
  };
  EXPECT_EQ(ask(MessageButtons::YesNoCancel), DialogAnswer::No);
  EXPECT_EQ(ask(MessageButtons::YesNo), DialogAnswer::Yes);
  EXPECT_EQ(ask(MessageButtons::OkCancel), DialogAnswer::Ok);
  const FileSaveRequest request{"Save configuration", "/tmp", "show.vuconf", "*.vuconf", "vuconf"};
  EXPECT_EQ(dialogs.fileSave(request), "/tmp/show.vuconf");
  EXPECT_EQ(dialogs.fileSave(request), std::nullopt);
  EXPECT_EQ(dialogs.chooseColor(0), Rgb(1, 2, 3));
  EXPECT_EQ(dialogs.chooseColor(0), std::nullopt);

  std::vector<std::string> answers;
  for (const auto& record : dialogs.records()) answers.push_back(record.answer);
  EXPECT_EQ(answers,
            (std::vector<std::string>{"no", "yes", "ok", "/tmp/show.vuconf", "cancel", "1,2,3", "cancel"}));
  EXPECT_EQ(dialogs.records()[3].text, "show.vuconf");
  EXPECT_EQ(dialogs.records()[3].filter, "*.vuconf");
  EXPECT_EQ(dialogs.records()[3].filterIndex, 1);
  EXPECT_EQ(dialogs.records()[3].initialFolder, "/tmp");
}

TEST(HeadlessDialogs, AModalWaitRunsTheNextQueuedActionWhileTheFormIsShown) {
  HeadlessDialogs dialogs;
  bool shown = true;
  std::vector<std::string> done;
  dialogs.queueModalAction([&] { done.push_back("first"); });
  dialogs.queueModalAction([&] {
    done.push_back("second");
    shown = false;
  });
  const auto isShown = [&] { return shown; };
  dialogs.modalWait(isShown);
  dialogs.modalWait(isShown);
  EXPECT_EQ(done, (std::vector<std::string>{"first", "second"}));
  // A form already hidden takes no action; with none queued the wait returns.
  dialogs.queueModalAction([&] { done.push_back("third"); });
  dialogs.modalWait(isShown);
  shown = true;
  dialogs.modalWait(isShown);
  dialogs.modalWait(isShown);
  EXPECT_EQ(done, (std::vector<std::string>{"first", "second", "third"}));
}

}  // namespace
}  // namespace tactolo
