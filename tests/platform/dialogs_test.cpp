// Headless dialogs: their answers and records are in the host_world,
// vu_files and vu_point_editor transcripts (answer, dump dialogs); the
// queued modal actions are checked here.
#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tactolo {
namespace {

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
