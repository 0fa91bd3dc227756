// VU configuration files: the text written, the decimal numbers read, what
// Windows-1252 and UTF-8 cannot hold of each other; on disk, the folder and
// listing rules and saving that never leaves a broken file. What `vuconf
// check` reads and refuses, and where, is in the vu command transcript; the
// listing, sorted and with the names on the files' first lines, and names
// read and written, in the vu_files transcript.
#include "vu/vu_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "vu/vu_file_format.h"
#include "vu/windows1252.h"
#include "vu_samples.h"

namespace tactolo {
namespace {

namespace fs = std::filesystem;
using testing::distinctLayout;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

/// A folder of the test's own, removed with the test.
class VuFilesTest : public ::testing::Test, protected testing::TestFolder {
 protected:
  std::vector<std::string> names() const { return ListFolderFiles(folder_.string()); }
};

TEST(VuFolderRule, CutsAsManyCharactersAsTheProjectNameHas) {
  EXPECT_EQ(VuFolder("Bühne", "/home/light/Bühne"), "/home/light/");
  // Only the length counts, not whether the name ends the base file name.
  EXPECT_EQ(VuFolder("ü", "/x/yz"), "/x/y");
  EXPECT_EQ(VuFolder("show", "show"), "");
}

TEST(VuListingRule, LastSixCharactersLetterCaseCountsNoDotCheck) {
  const std::vector<std::string> listing{"stage.vuconf", "notes.txt",    "nodotvuconf", "LOUD.VUCONF",
                                         "Mixed.Vuconf", "a.vuconf.bak", "vuconf",      "uconf",
                                         "back.vuconf",  ".vuconf",      "Bühne.vuconf"};
  EXPECT_THAT(VuConfigFileNames(listing),
              ElementsAre("stage.vuconf", "nodotvuconf", "vuconf", "back.vuconf", ".vuconf", "Bühne.vuconf"));
}

TEST_F(VuFilesTest, ASavedFileReadsBackAndAReplacedOneKeepsItsPermissions) {
  VuLayout layout = distinctLayout();
  layout.VuStereo = true;
  put("front.vuconf", "old");
  ASSERT_EQ(::chmod(path("front.vuconf").c_str(), 0640), 0);
  WriteVuConfigFile(path("front.vuconf"), layout);
  EXPECT_EQ(ReadVuConfigFile(path("front.vuconf")), layout);
  EXPECT_EQ(fs::status(path("front.vuconf")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(VuFilesTest, SavingOverALinkWritesTheFileItLeadsToAndKeepsTheLink) {
  const VuLayout layout = distinctLayout();
  fs::create_directory(folder_ / "shows");
  put("shows/real.vuconf", "old");
  // A link to a link to a file in another folder, and a link to no file yet.
  ASSERT_EQ(::symlink("shows/real.vuconf", path("link.vuconf").c_str()), 0);
  ASSERT_EQ(::symlink("link.vuconf", path("chain.vuconf").c_str()), 0);
  ASSERT_EQ(::symlink("shows/new.vuconf", path("dangling.vuconf").c_str()), 0);
  WriteVuConfigFile(path("chain.vuconf"), layout);
  WriteVuConfigFile(path("dangling.vuconf"), layout);
  EXPECT_EQ(contents("shows/real.vuconf"), FormatVuLayout(layout));
  EXPECT_EQ(contents("shows/new.vuconf"), FormatVuLayout(layout));
  EXPECT_EQ(fs::read_symlink(folder_ / "chain.vuconf"), "link.vuconf");
  EXPECT_EQ(fs::read_symlink(folder_ / "link.vuconf"), "shows/real.vuconf");
  EXPECT_EQ(fs::read_symlink(folder_ / "dangling.vuconf"), "shows/new.vuconf");
  // The temporary files were made beside the targets, and are gone.
  EXPECT_THAT(ListFolderFiles(path("shows")), ElementsAre("new.vuconf", "real.vuconf"));
}

TEST_F(VuFilesTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  WriteVuConfigFile(path("front.vuconf"), distinctLayout());
  const std::string oldBytes = contents("front.vuconf");

  // The disk refuses the file after 100 bytes (a full disk or a quota).
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  VuLayout replacement = distinctLayout();
  replacement.VuName = "New";
  EXPECT_THROW(WriteVuConfigFile(path("front.vuconf"), replacement), VuFileError);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);

  EXPECT_EQ(contents("front.vuconf"), oldBytes);
  EXPECT_THAT(names(), ElementsAre("front.vuconf"));
}

TEST_F(VuFilesTest, UnwritableTargetsFailWithoutLeavingFiles) {
  const VuLayout layout = distinctLayout();
  put("plain", "not a folder");
  fs::create_directory(folder_ / "dir.vuconf");
  EXPECT_THROW(WriteVuConfigFile(path("dir.vuconf"), layout), VuFileError);
  EXPECT_THROW(WriteVuConfigFile(folder_.string() + "/", layout), VuFileError);

  // A file no one may write is refused to every user, root included, also
  // through a link; so is what is not a regular file.
  put("locked.vuconf", "read-only");
  ASSERT_EQ(::chmod(path("locked.vuconf").c_str(), 0444), 0);
  ASSERT_EQ(::symlink("locked.vuconf", path("to-locked.vuconf").c_str()), 0);
  ASSERT_EQ(::symlink("loop.vuconf", path("loop.vuconf").c_str()), 0);
  ASSERT_EQ(::mkfifo(path("fifo.vuconf").c_str(), 0666), 0);
  const std::pair<const char*, const char*> refused[] = {{"locked.vuconf", "Permission denied"},
                                                         {"to-locked.vuconf", "Permission denied"},
                                                         {"loop.vuconf", "symbolic links"},
                                                         {"fifo.vuconf", "it is a FIFO"}};
  for (const auto& [name, reason] : refused) {
    try {
      WriteVuConfigFile(path(name), layout);
      ADD_FAILURE() << name << " was written";
    } catch (const VuFileError& error) {
      EXPECT_THAT(error.what(), HasSubstr(reason)) << name;
    }
  }
  EXPECT_THAT(names(), ElementsAre("locked.vuconf", "plain", "to-locked.vuconf"));
  EXPECT_TRUE(fs::is_empty(folder_ / "dir.vuconf"));
  EXPECT_EQ(contents("plain"), "not a folder");
  EXPECT_EQ(contents("to-locked.vuconf"), "read-only");
  EXPECT_TRUE(fs::is_symlink(folder_ / "to-locked.vuconf"));
  EXPECT_TRUE(fs::is_fifo(folder_ / "fifo.vuconf"));
}

TEST(VuFileFormat, WriterRefusesWhatWouldNotReadBack) {
  VuLayout layout = distinctLayout();
  for (const std::string& name :
       {std::string("two\nlines"), std::string("carriage\rreturn"), std::string(kVuMaxLineBytes + 1, 'x')}) {
    layout.VuName = name;
    EXPECT_THROW(FormatVuLayout(layout), VuFileError) << name;
  }
  // The longest name counts the file's bytes: one each in Windows-1252.
  std::string longest;
  for (size_t i = 0; i < kVuMaxLineBytes; ++i) longest += "ü";
  layout.VuName = longest;
  EXPECT_EQ(ParseVuLayoutBytes(FormatVuLayout(layout)).VuName, longest);
  layout.VuName = "ok";
  for (int16_t size : {0, 17}) {
    layout.VuSize = size;
    EXPECT_THROW(FormatVuLayout(layout), VuFileError) << size;
  }
}

TEST(RoundedDecimal, HalvesGoToEvenAndOtherTextIsNoNumber) {
  const std::pair<const char*, int64_t> cases[] = {
      {"1.5", 2}, {"2.50000000000000000001", 3}, {"-2.5", -2}, {"-3.5", -4}, {"7.", 7}, {"\t12 ", 12},
      {"007", 7}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseRoundedDecimal(text).value().rounded, value) << text;
  EXPECT_TRUE(ParseRoundedDecimal("-0.000").value().zero);
  EXPECT_FALSE(ParseRoundedDecimal("0.001").value().zero);
  for (const char* text : {"", " ", "-", ".", "1.2.3", "1 2", "--1", "1e3", "1,5", "½"}) {
    EXPECT_FALSE(ParseRoundedDecimal(text).has_value()) << text;
  }
}

TEST(Windows1252, CharactersItCannotHoldAndBrokenUtf8BecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToWindows1252("Łódź ☀ 𝄞!"),
            "?\xF3"
            "d? ? ?!");
  EXPECT_EQ(Utf8ToWindows1252("a\xFF"
                              "b\xC3"),
            "a?b?");
  EXPECT_EQ(Utf8ToWindows1252(std::string("nul\0in", 6)), std::string("nul\0in", 6));
}

TEST(Windows1252, UndefinedBytesLoadAsC1ControlsAndWriteBackUnchanged) {
  const std::string undefined = "\x81\x8D\x8F\x90\x9D";
  EXPECT_EQ(Windows1252ToUtf8(undefined), "\u0081\u008D\u008F\u0090\u009D");
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
  // Other C1 controls have no byte of their own.
  EXPECT_EQ(Utf8ToWindows1252("\u0080\u0098"), "??");
}

}  // namespace
}  // namespace tactolo
