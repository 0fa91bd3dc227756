// An open project as a host run uses it: where it lives, the plug-in's two
// settings stores over it, and the device store shared by the projects of
// one name on this computer.
#include "host/project_settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/stored_file.h"
#include "support/test_folder.h"

namespace tactolo::host {
namespace {

namespace fs = std::filesystem;
using ::testing::ThrowsMessage;

class OpenProjectTest : public ::testing::Test, protected tactolo::testing::TestFolder {
 protected:
  OpenProjectTest() {
    ::setenv("HOME", path("home").c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
  }
  DeviceStore devices() const { return DeviceStore(DefaultDevicesPath()); }
  std::string read(ISettings& settings, const std::string& key, bool device = false) {
    return (device ? settings.ReadDeviceValue(key, "default") : settings.ReadValue(key, "default")).value;
  }
};

TEST_F(OpenProjectTest, PathsNameTheFileItsFolderAndTheBaseFilenameThePluginCutsTheNameFrom) {
  struct Case {
    std::string given;
    std::string folder;
    std::string name;
    std::string baseFilename;
  };
  const std::string here = fs::current_path().string();
  for (const Case& c : std::vector<Case>{
           {"show.json", here, "show", here + "/show"},
           {"/shows/a/../Bühne.json", "/shows", "Bühne", "/shows/Bühne"},
           {"/top.json", "/", "top", "/top"},
           {"/shows/gig.tactolo", "/shows", "gig.tactolo", "/shows/gig.tactolo"},
           {"/shows/.json", "/shows", ".json", "/shows/.json"},
       }) {
    SCOPED_TRACE(c.given);
    const ProjectPaths paths = ProjectPaths::forFile(c.given);
    EXPECT_EQ(paths.folder, c.folder);
    ProjectLocation location(paths);
    EXPECT_EQ(location.name().value, c.name);
    EXPECT_EQ(location.BaseFilename().value, c.baseFilename);
  }
  fs::create_directory(path("gig.json"));
  for (const std::string& refused : {std::string(), path("gig.json"), path("shows/"), path("\xff.json")}) {
    EXPECT_THROW(ProjectPaths::forFile(refused), StoreError) << refused;
  }

  EXPECT_EQ(ProjectPaths::userDefault().file, path("home/.local/share/tactolo/default.json"));
  EXPECT_EQ(DefaultDevicesPath(), path("home/.config/tactolo/devices.json"));
  ::setenv("XDG_DATA_HOME", path("data").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  EXPECT_EQ(ProjectPaths::userDefault().file, path("data/tactolo/default.json"));
  EXPECT_EQ(DefaultDevicesPath(), path("home/.config/tactolo/devices.json"));
}

TEST_F(OpenProjectTest, TheDefaultProjectIsMadeOnTheFirstSaveAndKeepsEveryStoreAndItsIdentifier) {
  std::array<uint8_t, 16> cid{};
  {
    OpenProject project(ProjectPaths::userDefault(), devices());
    EXPECT_FALSE(project.existed());
    cid = project.project().outputs.sacn.cid;
    EXPECT_EQ(cid[6] >> 4, 4);  // random identifier, version 4
    EXPECT_EQ(cid[8] & 0xC0, 0x80);
    ISettings& settings = project.settings();
    EXPECT_EQ(read(settings, "TactoloMain_GainValue"), "default");
    settings.WriteValue("TactoloMain_GainValue", "70");
    settings.WriteDeviceValue("TactoloMain_DeviceIndex", "2");
    settings.WriteDeviceValue("TactoloMain_DeviceName", "USB Audio");
    EXPECT_EQ(read(settings, "TactoloMain_GainValue"), "70");
    EXPECT_EQ(read(settings, "TactoloMain_GainValue", true), "default");
    EXPECT_EQ(read(settings, "TactoloMain_DeviceIndex"), "default");
    EXPECT_FALSE(fs::exists(path("home"))) << "written before the save";
    project.save();
  }
  EXPECT_EQ(fs::status(path("home/.local/share/tactolo")).permissions(), fs::perms::owner_all);

  OpenProject reopened(ProjectPaths::userDefault(), devices());
  EXPECT_TRUE(reopened.existed());
  EXPECT_EQ(reopened.project().outputs.sacn.cid, cid);
  EXPECT_EQ(read(reopened.settings(), "TactoloMain_GainValue"), "70");
  EXPECT_EQ(read(reopened.settings(), "TactoloMain_DeviceName", true), "USB Audio");
  EXPECT_EQ(reopened.deviceValues().size(), 2u);
}

TEST_F(OpenProjectTest, DeviceValuesBelongToTheProjectNameOnThisComputer) {
  fs::create_directories(folder_ / "a");
  fs::create_directories(folder_ / "b");
  {
    OpenProject show(ProjectPaths::forFile(path("a/show.json")), devices());
    OpenProject other(ProjectPaths::forFile(path("b/other.json")), devices());
    show.settings().WriteDeviceValue("TactoloMain_DeviceIndex", "1");
    other.settings().WriteDeviceValue("TactoloMain_DeviceIndex", "3");
    show.save();
    other.save();  // keeps the values the first save stored
  }
  OpenProject copy(ProjectPaths::forFile(path("b/show.json")), devices());
  EXPECT_EQ(read(copy.settings(), "TactoloMain_DeviceIndex", true), "1");
  OpenProject other(ProjectPaths::forFile(path("b/other.json")), devices());
  EXPECT_EQ(read(other.settings(), "TactoloMain_DeviceIndex", true), "3");

  // A damaged store is refused on opening and never overwritten by a save;
  // the project file is saved all the same.
  const std::string damaged = "{\"format\": 1,\n \"projects\": {\"show\": {\"x\": 1}}}";
  put("home/.config/tactolo/devices.json", damaged);
  EXPECT_THAT([&] { OpenProject(ProjectPaths::forFile(path("a/show.json")), devices()); },
              ThrowsMessage<StoreError>(DefaultDevicesPath() +
                                        ": projects.show.x: must be text, not a whole number"));
  put("home/.config/tactolo/devices.json", "{\"format\": 1,\n \"projects\": {\"show\": }}");
  other.project().outputs.universes = 2;
  EXPECT_THAT(
      [&] { other.save(); },
      ThrowsMessage<StoreError>(DefaultDevicesPath() + ":2:23: syntax error while parsing value - "
                                                       "unexpected '}'; expected '[', '{', or a literal"));
  EXPECT_EQ(contents("home/.config/tactolo/devices.json"), "{\"format\": 1,\n \"projects\": {\"show\": }}");
  EXPECT_EQ(ReadProjectFile(path("b/other.json"))->outputs.universes, 2);
}

TEST_F(OpenProjectTest, SaveAsMovesTheProjectWithItsLayoutsAndAFailureLeavesItWhereItWas) {
  fs::create_directories(folder_ / "a");
  fs::create_directories(folder_ / "b");
  put("a/front.vuconf", "front in a");
  put("a/back.vuconf", "back in a");
  put("b/back.vuconf", "back in b");
  OpenProject show(ProjectPaths::forFile(path("a/show.json")), devices());
  show.settings().WriteDeviceValue("TactoloMain_DeviceIndex", "2");

  EXPECT_THROW(show.saveAs(ProjectPaths::forFile(path("missing/stage.json"))), StoreError);
  EXPECT_EQ(show.location().BaseFilename().value, path("a/show"));

  show.saveAs(ProjectPaths::forFile(path("b/stage.json")));
  EXPECT_EQ(show.location().name().value, "stage");
  EXPECT_EQ(show.location().BaseFilename().value, path("b/stage"));
  EXPECT_EQ(contents("b/front.vuconf"), "front in a");
  EXPECT_EQ(contents("b/back.vuconf"), "back in b") << "a layout there is never overwritten";
  EXPECT_FALSE(fs::exists(path("a/show.json")));
  OpenProject moved(ProjectPaths::forFile(path("b/stage.json")), devices());
  EXPECT_TRUE(moved.existed());
  EXPECT_EQ(read(moved.settings(), "TactoloMain_DeviceIndex", true), "2");
}

}  // namespace
}  // namespace tactolo::host
