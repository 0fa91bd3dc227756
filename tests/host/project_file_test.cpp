// Projects as files: every value read back as saved, damaged and foreign
// files refused with where and why and left as they were, and saving that
// never leaves a broken file.
#include "host/project_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/project_settings.h"
#include "host/stored_file.h"
#include "support/test_folder.h"

namespace tactolo::host {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ThrowsMessage;

/// Every value away from its default, both kinds of action, and texts that
/// only an escape keeps: bytes that are not UTF-8, a leading NUL.
Project distinctProject() {
  Project project;
  project.settings = {{"TactoloMain_GainValue", "73"},
                      {"TactoloMain_Left", "-120"},
                      {"Bühne", "grün"},
                      {"raw\xff", std::string("\xfe\x00z", 3)},
                      {std::string("\0lead", 5), std::string("\0", 1)},
                      {"empty", ""}};
  OutputSettings& out = project.outputs;
  out.dmx = DmxOutputKind::Ola;
  out.universes = 4;
  out.sacn = {
      {"10.0.0.5", "stage-node"},
      7,
      150,
      "Front of house",
      {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0x4d, 0xef, 0x81, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}};
  out.ola.firstUniverse = 0;
  out.osc = {"localhost:9000", 8000};
  out.link = true;
  project.actions = {{BeatAction::Kind::Flash, 2, {{1, 255}, {2048, 17}}, 250, {}},
                     {BeatAction::Kind::Chase, 4, {}, 100, {{{5, 255}}, {}, {{6, 128}, {7, 0}}}}};
  return project;
}

class ProjectFileTest : public ::testing::Test, protected tactolo::testing::TestFolder {
 protected:
  std::vector<std::string> names(const std::string& folder = "") const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder_ / folder))
      found.push_back(entry.path().filename());
    std::sort(found.begin(), found.end());
    return found;
  }
  DeviceStore devices() const { return DeviceStore(path("config/devices.json")); }
};

TEST_F(ProjectFileTest, EveryValueReadsBackAsSaved) {
  Project project = distinctProject();
  for (const DmxOutputKind kind : {DmxOutputKind::Sacn, DmxOutputKind::Ola, DmxOutputKind::None}) {
    project.outputs.dmx = kind;
    WriteProjectFile(path("show.json"), project);
    EXPECT_EQ(ReadProjectFile(path("show.json")), project);
  }
  EXPECT_EQ(ReadProjectFile(path("missing.json")), std::nullopt);
}

TEST_F(ProjectFileTest, ReadsTheWrittenFormWithDefaultsForMissingMembers) {
  put("show.json", R"({
  "format": 1,
  "settings": {"TactoloMain_SendVu": "0", "\u0000ff": "\u000041"},
  "outputs": {
    "universes": 2,
    "sacn": {"unicast": ["127.0.0.1"], "cid": "0123456789ABCDEF0123456789abcdef"},
    "osc": {"listenPort": 9000}
  },
  "actions": [{"kind": "flash", "channels": [{"channel": 513, "value": 200}]},
              {"kind": "chase", "everyNth": 2, "steps": [[], [{"channel": 1, "value": 9}]]}]
}
)");
  Project expected;
  expected.settings = {{"TactoloMain_SendVu", "0"}, {"\xff", "A"}};
  expected.outputs.universes = 2;
  expected.outputs.sacn.unicastTargets = {"127.0.0.1"};
  expected.outputs.sacn.cid = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef,
                               0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
  expected.outputs.osc.listenPort = 9000;
  expected.actions = {{BeatAction::Kind::Flash, 1, {{513, 200}}, 100, {}},
                      {BeatAction::Kind::Chase, 2, {}, 100, {{}, {{1, 9}}}}};
  EXPECT_EQ(ReadProjectFile(path("show.json")), expected);
  EXPECT_EQ(CidText(expected.outputs.sacn.cid), "01234567-89ab-cdef-0123-456789abcdef");
}

// A file cut short, a newer format, a value of the wrong kind and universes
// past the last one are in the live command transcript.
TEST_F(ProjectFileTest, RefusesDamagedForeignAndWrongFilesAndLeavesThemAsTheyWere) {
  struct Case {
    std::string bytes;
    std::string message;  // after "PATH"
  };
  const std::vector<Case> cases = {
      {"{\"format\": 1,\n \"settings\": {\"Bühne\": tru}}",
       ":2:27: syntax error while parsing value - invalid literal; last read: '\"Bühne\": tru}'"},
      {R"({"format": 1, "outputs": {"universes": 1e999}})", ":1:44: number overflow parsing '1e999'"},
      {R"({"format": 1, "settings": {"a": "1", "a": "2"}})", ": settings.a: appears twice"},
      {R"({"settings": {}})", ": format: missing"},
      {R"({"format": 0})", ": format: 0 is not in 1..1"},
      {"[1]", ": the document: must be an object, not an array"},
      {R"({"format": 1, "outputs": {"sacn": {"priority": 300}}})",
       ": outputs.sacn.priority: 300 is not in 0..200"},
      {R"({"format": 1, "outputs": {"sacn": {"priority": "100"}}})",
       ": outputs.sacn.priority: must be a whole number, not text"},
      {R"({"format": 1, "outputs": {"universes": 1.5}})", ": outputs.universes: 1.5 is not a whole number"},
      {R"({"format": 1, "outputs": {"sacn": {"priorty": 100}}})",
       ": outputs.sacn.priorty: is not a member Tactolo knows"},
      {R"({"format": 1, "outputs": {"dmx": "artnet"}})",
       R"(: outputs.dmx: "artnet" is not one of sacn, ola, none)"},
      {R"({"format": 1, "outputs": {"sacn": {"cid": "1234"}}})",
       R"(: outputs.sacn.cid: "1234" is not a UUID or 32 hexadecimal digits)"},
      {R"({"format": 1, "outputs": {"osc": {"sendTo": "localhost"}}})",
       R"(: outputs.osc.sendTo: "localhost" is not HOST:PORT with a port in 1..65535)"},
      {R"({"format": 1, "outputs": {"link": 1}})",
       ": outputs.link: must be true or false, not a whole number"},
      {R"({"format": 1, "settings": {"two words": "\u0000f"}})",
       R"(: settings["two words"]: is not an escaped text (U+0000 and pairs of hexadecimal digits))"},
      {R"({"format": 1, "actions": [{"kind": "flash", "channels": [{"channel": 0, "value": 1}]}]})",
       ": actions[0].channels[0].channel: 0 is not in 1..32768"},
      {R"({"format": 1, "actions": [{"kind": "flash", "channels": []}]})",
       ": actions[0].channels: a flash needs at least one channel"},
      {R"({"format": 1, "actions": [{"kind": "chase", "steps": [], "holdMs": 5}]})",
       ": actions[0].holdMs: is not a member of a chase"},
      {R"({"format": 1, "actions": [{"kind": "strobe"}]})",
       R"(: actions[0].kind: "strobe" is not one of flash, chase)"},
  };
  const std::string file = path("show.json");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    put("show.json", c.bytes);
    EXPECT_THAT([&] { OpenProject(ProjectPaths::forFile(file), devices()); },
                ThrowsMessage<StoreError>(file + c.message));
    EXPECT_EQ(contents("show.json"), c.bytes);
  }
  EXPECT_THAT(names(), ElementsAre("show.json"));

  // Neither a folder nor a pipe (which would wait for a writer) is read.
  fs::create_directory(path("folder.json"));
  EXPECT_THROW(ReadProjectFile(path("folder.json")), StoreError);
  ASSERT_EQ(::mkfifo(path("pipe.json").c_str(), 0600), 0);
  EXPECT_THROW(ReadProjectFile(path("pipe.json")), StoreError);
}

TEST_F(ProjectFileTest, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  WriteProjectFile(path("show.json"), distinctProject());
  const std::string old = contents("show.json");

  // A value that would not read back is refused before anything is written.
  Project refused = distinctProject();
  refused.outputs.sacn.priority = 300;
  EXPECT_THAT([&] { WriteProjectFile(path("show.json"), refused); },
              ThrowsMessage<StoreError>("cannot write " + path("show.json") +
                                        ": outputs.sacn.priority: 300 is not in 0..200"));

  // The disk refuses the file after 100 bytes (full, or a quota): in a child,
  // so that the limit ends with it.
  Project bigger = distinctProject();
  bigger.settings["TactoloMain_VuConfig"] = "1";
  const auto writeTooMuch = [&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{100, 100};
    try {
      if (::setrlimit(RLIMIT_FSIZE, &small) == 0) WriteProjectFile(path("show.json"), bigger);
    } catch (const StoreError& error) {
      std::_Exit(error.what() == "cannot write " + path("show.json") + ": File too large" ? 0 : 3);
    }
    std::_Exit(1);
  };
  // Exit status only: the size limit holds back the child's messages too.
  EXPECT_EXIT(writeTooMuch(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(contents("show.json"), old);
  EXPECT_THAT(names(), ElementsAre("show.json"));
}

TEST_F(ProjectFileTest, ASavedProjectKeepsItsPermissionsAndLinkedFilesAreWrittenThrough) {
  fs::create_directories(folder_ / "store");
  fs::create_directories(folder_ / "shows");
  put("store/real.json", "{\"format\": 1}");
  ASSERT_EQ(::chmod(path("store/real.json").c_str(), 0640), 0);
  fs::create_symlink("../store/real.json", folder_ / "shows" / "show.json");

  OpenProject project(ProjectPaths::forFile(path("shows/show.json")), devices());
  project.settings().WriteValue("TactoloMain_GainValue", "80");
  project.save();

  EXPECT_TRUE(fs::is_symlink(folder_ / "shows" / "show.json"));
  EXPECT_EQ(ReadProjectFile(path("store/real.json")), project.project());
  EXPECT_EQ(fs::status(path("store/real.json")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_THAT(names("store"), ElementsAre("real.json"));
  EXPECT_THAT(names("shows"), ElementsAre("show.json"));
}

}  // namespace
}  // namespace tactolo::host
