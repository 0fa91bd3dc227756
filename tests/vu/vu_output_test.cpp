// The VU output pass and the preview, and the VU editor's
// file operations and the meter's host output where a script cannot lead
// them (a project without a folder, a folder that cannot be listed, a host
// that refuses DMX), on the VU layer alone: the main window is a stand-in
// with the two controls the editor reaches. The rest is in the vu_*
// transcripts.
#include "vu/vu_output.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/fake_capture.h"
#include "module/plugin_module.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/headless_host.h"
#include "vu/vu_colors.h"
#include "vu/vu_config_form.h"
#include "vu/vu_files.h"
#include "vu/vu_meter.h"
#include "vu/vu_point_config_form.h"
#include "vu/vu_windows.h"
#include "vu_samples.h"

namespace tactolo {
namespace {

using ::testing::ElementsAre;
using testing::RecordingSink;
using Calls = std::vector<std::string>;

/// Dimmer points: left point i on channel i + 1 with value 11 + i, right
/// point i on channel 101 + i with value 111 + i.
VuConfiguration dimmerConfig(bool stereo, int16_t size) {
  VuConfiguration config;
  config.VuStereo = stereo;
  config.VuSize = size;
  for (int i = 0; i < kVuPointsPerRow; ++i) {
    auto& left = config.LeftPoints[static_cast<size_t>(i)];
    left.Monochrome = true;
    left.DimmerChannel = i + 1;
    left.DimmerValue = static_cast<uint8_t>(11 + i);
    auto& right = config.RightPoints[static_cast<size_t>(i)];
    right.Monochrome = true;
    right.DimmerChannel = 101 + i;
    right.DimmerValue = static_cast<uint8_t>(111 + i);
  }
  config.VuConfigLoaded = true;
  return config;
}

class VuOutputTest : public ::testing::Test {
 protected:
  Calls pass(double left, double right = 0.0) {
    output.SendVuLevels(config, left, right, sink);
    return sink.take();
  }

  VuConfiguration config;
  VuOutputState state;
  VuOutput output{state};
  RecordingSink sink;
};

TEST_F(VuOutputTest, PassesNeverReachPastThePointsThatExist) {
  config = dimmerConfig(true, 8);
  SwitchVuOff(config, sink);  // switching off follows VuSize alone
  EXPECT_EQ(sink.take().size(), 1u + 16);

  output.setupThresholds(4);
  config.VuSize = 2;
  EXPECT_EQ(pass(2.0, 0.0), (Calls{"U", "2=12", "1=11"}));
  config.VuSize = 40;
  EXPECT_EQ(pass(2.0, 0.0), (Calls{"U", "4=14", "3=13"}));
  SwitchVuOff(config, sink);
  EXPECT_EQ(sink.take().size(), 1u + 2 * kVuPointsPerRow);
}

TEST(VuPreview, BarsScaleWithTheLevelsInTheSwitchsColour) {
  // 2.5 and 7.5 pixels: halves to even. The gain slider's factors and the
  // bars of running output are in the vu_output transcript.
  using Box = PictureBox::Box;
  EXPECT_THAT(VuPreviewBoxes(10, 7, 15, 0.25, 0.75, false),
              ElementsAre(Box{0, 0, 2, 7, Rgb(0, 128, 0)}, Box{0, 7, 8, 15, Rgb(0, 128, 0)}));
  const auto wild = VuPreviewBoxes(30000, 1, 2, 3.0, std::numeric_limits<double>::quiet_NaN(), true);
  EXPECT_EQ(wild[0].x2, 32767);
  EXPECT_EQ(wild[1].x2, 0);
}

namespace fs = std::filesystem;
using testing::distinctLayout;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

/// The main window's list of configurations and its VU switch.
class FakeMainWindow final : public MainWindowAccess {
 public:
  ComboBox& ConfCombo() override { return confCombo; }
  CheckBox& SendVuCheck() override { return sendVuCheck; }

  Form form{"TactoloMain", {}};
  ComboBox& confCombo = form.add<ComboBox>("ConfCombo", -1, nullptr, TwipRect{});
  CheckBox& sendVuCheck = form.add<CheckBox>("SendVuCheck", -1, nullptr, TwipRect{});
};

class Windows final : public VuWindows {
 public:
  explicit Windows(PluginModule& module) : editor(module, *this), pointEditor(module, *this) {}
  VUConfigForm& vuConfigForm() override { return editor; }
  VUPointConfigForm& vuPointConfigForm() override { return pointEditor; }

  VUConfigForm editor;
  VUPointConfigForm pointEditor;
};

class VuWindowsTest : public ::testing::Test, protected testing::TestFolder {
 protected:
  VuWindowsTest() {
    module.connectMainWindow(main);
    module.PluginHelper().attach(helper);
    useProject("show", folder_);
  }

  void useProject(const std::string& name, const fs::path& folder) {
    helper->project.projectName = name;
    helper->project.baseFilename = (folder / name).string();
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> texts;
    for (const auto& record : dialogs.records()) {
      if (record.kind == HeadlessDialogs::Kind::Message) texts.push_back(record.text);
    }
    return texts;
  }
  VUConfigForm& editor() { return windows.editor; }

  VirtualClock clock;
  FakeCaptureLibrary capture;
  HeadlessDialogs dialogs;
  std::shared_ptr<HeadlessHelper> helper = std::make_shared<HeadlessHelper>(clock);
  PluginModule module{PluginEnvironment{clock, capture, dialogs}};
  FakeMainWindow main;
  Windows windows{module};
};

TEST_F(VuWindowsTest, WithoutAProjectFolderNothingIsListedLoadedOrSaved) {
  WriteVuConfigFile(path("front.vuconf"), distinctLayout());
  // A project without a file: its base file name is shorter than its name.
  helper->project.projectName = "Untitled project";
  helper->project.baseFilename = "show";
  editor().load();
  EXPECT_EQ(editor().form().ConfigCombo.listCount(), 0);
  EXPECT_EQ(main.confCombo.listCount(), 0);
  EXPECT_FALSE(module.vu().config.VuConfigLoaded);
  EXPECT_THAT(module.eventErrors(), IsEmpty());

  editor().LoadConfig("front.vuconf");
  EXPECT_THAT(messages(), ElementsAre("Error while reading front.vuconf"));
  editor().SaveCommand_Click();
  EXPECT_EQ(dialogs.records().size(), 1u);  // no save dialog
}

TEST_F(VuWindowsTest, AFolderThatCannotBeListedIsReportedAndListsNothing) {
  WriteVuConfigFile(path("front.vuconf"), distinctLayout());
  editor().load();
  ASSERT_EQ(main.confCombo.listCount(), 1);
  // A folder that leads to itself cannot be opened.
  fs::create_directory_symlink("loop", folder_ / "loop");
  useProject("show", folder_ / "loop");
  editor().GetConfigs();
  EXPECT_EQ(editor().form().ConfigCombo.listCount(), 0);
  EXPECT_EQ(main.confCombo.listCount(), 0);
  ASSERT_EQ(module.eventErrors().size(), 1u);
  EXPECT_THAT(module.eventErrors().front(), HasSubstr("cannot list " + path("loop") + "/"));
  // The table of the last listing that found files stays.
  EXPECT_EQ(editor().configList().fileName(0), "front.vuconf");

  // A folder that does not exist simply holds no configurations.
  useProject("show", folder_ / "gone");
  editor().GetConfigs();
  EXPECT_EQ(module.eventErrors().size(), 1u);
}

TEST_F(VuWindowsTest, AHostThatRefusesDmxGetsOneEventErrorPerPassWhileThePassGoesOn) {
  VuConfiguration& config = module.vu().config;
  config.VuStereo = false;
  for (VuPoint& point : config.LeftPoints) point.Monochrome = true;
  VuMeter meter(module);
  meter.setupThresholds(4);
  EXPECT_EQ(config.VuSize, 4);
  module.vars().VuLevelLeft = 0.9;

  helper->stream.failing = true;
  meter.SendVuLevels();
  EXPECT_THAT(module.takeEventErrors(), ElementsAre(HasSubstr("the host refused the DMX call")));
  // Every point that crossed its threshold counts as lit all the same.
  const VuOutputState& lit = module.vu().output;
  EXPECT_THAT(lit.LeftOn, ElementsAre(true, true, true, false, false, false, false, false, false, false,
                                      false, false, false, false, false, false));

  helper->stream.failing = false;
  module.vars().VuLevelLeft = 0.0;
  meter.SendVuLevels();
  EXPECT_THAT(module.takeEventErrors(), IsEmpty());
  EXPECT_EQ(helper->stream.events.size(), 4u);  // UserInteraction, three points dark
}

}  // namespace
}  // namespace tactolo
