// A show as the desktop changes it while it runs: new beat actions and
// outputs take over, refused ones change nothing, and the command server's
// options come in the user's language.
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
    setup.translator = &translator;
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
  HeadlessTranslator translator;
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
  unreachable.sacn.cid = MakeCid();
  EXPECT_THROW(show.setOutputs(unreachable), std::runtime_error);
  EXPECT_EQ(show.outputs(), one);
  EXPECT_EQ(show.universes().universes(), 1);
  EXPECT_EQ(show.status().dmx.name, "none");
}

TEST_F(ShowTest, CommandOptionsComeInTheLanguageOfTheLocale) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    std::string first;   // the first command's text
    std::string second;  // its second option's text
  };
  const std::vector<Case> cases = {
      {nullptr, nullptr, "de_DE.UTF-8", "Tactolo Ein-Aus", "Ausführen"},
      {"", "de_AT", "en_GB.UTF-8", "Tactolo Ein-Aus", "Ausführen"},
      {"C", "de_DE", "de_DE", "Tactolo On-Off", "Execute"},
      {nullptr, nullptr, nullptr, "Tactolo On-Off", "Execute"},
  };
  Show show(setup, settings, project, clock, capture, dialogs, {});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first + " " + (c.lang ? c.lang : "(none)"));
    translator.language = messageLanguage(c.lcAll, c.lcMessages, c.lang);
    const std::vector<CommandOption> first = show.host().firstOptions();
    ASSERT_EQ(first.size(), 9u);
    EXPECT_EQ(first[0].key, "Tactolo On-Off");
    EXPECT_EQ(first[0].text, c.first);
    const std::vector<CommandOption> second = show.host().secondOptions(first[0].key);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].key, "do");
    EXPECT_EQ(second[0].text, c.second);
  }
}

}  // namespace
}  // namespace tactolo::host
