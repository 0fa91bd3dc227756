// A show as the desktop changes it while it runs: new beat actions and
// outputs take over, refused ones change nothing; and the language of the
// plug-in's texts by the locale.
#include "host/show.h"

#include <gtest/gtest.h>

#include "audio/fake_capture.h"
#include "host/project_file.h"
#include "host/user_language.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"

namespace tactolo::host {
namespace {

class ShowTest : public ::testing::Test {
 protected:
  ShowTest() {
    capture.addDevice({"Line In", true, {{"Line", true}}});
    setup.pluginPath = TACTOLO_PLUGIN_LIBRARY;
    setup.outputs.dmx = DmxOutputKind::None;
  }
  /// A beat as the sync button gives one, handed on to the actions.
  void beat(Show& show) {
    ASSERT_TRUE(show.host().executeCommand("Sync Beat", "do", 0).ok);
    show.afterRound();
  }

  VirtualClock clock;
  FakeCaptureLibrary capture;
  HeadlessDialogs dialogs;
  MemorySettings settings;
  FixedProject project;
  ShowSetup setup;
};

TEST_F(ShowTest, NewActionsAndOutputsTakeOverAndRefusedOnesChangeNothing) {
  setup.actions = {parseFlashOption("1,600=200/1000")};
  setup.outputs.universes = 2;
  Show show(setup, settings, project, clock, capture, dialogs, {});
  show.host().loadWindow();
  ASSERT_EQ(show.host().loadProjectData(), "");  // beat output on, as a project's defaults have it
  beat(show);
  ASSERT_EQ(show.universes().value(600), 200);

  BeatAction chase;
  chase.kind = BeatAction::Kind::Chase;
  chase.steps = {{{2, 90}}};
  show.setActions({chase});
  EXPECT_EQ(show.universes().value(1), 0) << "what the old flash lit went dark";
  EXPECT_EQ(show.universes().value(600), 0);
  EXPECT_THROW(show.setActions({BeatAction{}}), std::invalid_argument) << "a flash without channels";
  beat(show);
  EXPECT_EQ(show.universes().value(2), 90) << "the chase is still the show's action";

  OutputSettings one = setup.outputs;
  one.universes = 1;
  show.setOutputs(one);
  EXPECT_EQ(show.universes().universes(), 1);
  EXPECT_EQ(show.universes().value(2), 90);
  OutputSettings unreachable = one;
  unreachable.dmx = DmxOutputKind::Sacn;
  unreachable.universes = 4;
  unreachable.sacn.unicastTargets = {"no-such-receiver.invalid"};
  unreachable.sacn.cid = makeCid();
  EXPECT_THROW(show.setOutputs(unreachable), std::runtime_error);
  EXPECT_EQ(show.outputs(), one);
  EXPECT_EQ(show.universes().universes(), 1);
  EXPECT_EQ(show.status().dmx.name, "none");
}

TEST(MessageLanguageTest, GermanWhenTheFirstLocaleSetIsGerman) {
  using Language = HeadlessTranslator::Language;
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    Language language;
  };
  for (const Case& c :
       {Case{nullptr, nullptr, "de_DE.UTF-8", Language::German},
        Case{"", "de_AT", "en_GB.UTF-8", Language::German}, Case{"C", "de_DE", "de_DE", Language::English},
        Case{nullptr, nullptr, nullptr, Language::English}}) {
    EXPECT_EQ(messageLanguage(c.lcAll, c.lcMessages, c.lang), c.language) << (c.lang ? c.lang : "(none)");
  }
}

}  // namespace
}  // namespace tactolo::host
