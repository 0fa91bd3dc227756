// The script host and the files around it: names that would leave the
// project folder, the temporary folder when a signal ends the run, an audio
// file that breaks off while it plays.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "command_run.h"

namespace tactolo::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class ScriptHostTest : public SoundFileTest {
 protected:
  std::string script(const std::string& name, const std::string& text) {
    put(name, text);
    return path(name);
  }
};

/// The lines that start a capture on a declared device, with the simple
/// method and beat output on.
const char* const kStartCapture =
    "audio device \"Line In\"\n"
    "audio input \"Line\" on\n"
    "call Init\n"
    "call loadWindow\n"
    "call showWindow\n"
    "select TactoloMain methodBox 1\n"
    "click TactoloMain sendBeatCheck\n"
    "click TactoloMain sendBeatCheck\n"
    "click TactoloMain startButton\n";

TEST_F(ScriptHostTest, FileNamesMayNotLeaveTheProjectFolder) {
  // "../" alone is in the file_outside_project transcript.
  const fs::path project = folder_ / "project";
  for (const std::string& name :
       {std::string("sub/../../outside.txt"), path("outside.txt"), std::string("..")}) {
    const std::string file = script("outside.script", "project \"show\" \"" + project.string() +
                                                          "\"\nfile \"sub/../inside.txt\"\ninside\nend\n"
                                                          "file \"" +
                                                          name + "\"\noutside\nend\n");
    const CommandRun run = runTactolo("script " + shellQuoted(file));
    EXPECT_EQ(run.status, 2) << name;
    EXPECT_EQ(run.err, "tactolo: " + file + ":5: file needs a name inside the project folder\n") << name;
    EXPECT_TRUE(fs::exists(project / "inside.txt")) << name;
    EXPECT_FALSE(fs::exists(folder_ / "outside.txt")) << name;
  }
}

/// Starts `tactolo script PATH` with TMPDIR set to `temporary`; returns its
/// process id and the reading end of its standard output.
pid_t startScript(const std::string& path, const fs::path& temporary, int& out) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    ::close(fds[0]);
    ::setenv("TMPDIR", temporary.c_str(), 1);
    // A test run in the background may have inherited ignored signals.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    ::execl(TACTOLO_BINARY, TACTOLO_BINARY, "script", path.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  out = fds[0];
  return child;
}

TEST_F(ScriptHostTest, SignalsRemoveTheTemporaryProjectFolder) {
  // A day of analysis keeps the host busy until the signal comes.
  const std::string path =
      script("long.script", std::string("file \"notes.txt\"\nnotes\nend\n") + kStartCapture +
                                "audio source synth:120\n"
                                "wait 86400000\n");
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    const fs::path temporary = folder_ / ("tmp-" + std::to_string(signal));
    fs::create_directories(temporary);
    int out = -1;
    const pid_t child = startScript(path, temporary, out);
    ASSERT_GT(child, 0);
    // The first line of the transcript: the project folder holds the file.
    char c = 0;
    while (::read(out, &c, 1) == 1 && c != '\n') {
    }
    ASSERT_EQ(c, '\n');
    const std::vector<fs::path> folders{fs::directory_iterator(temporary), fs::directory_iterator()};
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_THAT(folders[0].filename().string(), ::testing::StartsWith("tactolo-script-"));
    EXPECT_TRUE(fs::exists(folders[0] / "notes.txt"));

    ASSERT_EQ(::kill(child, signal), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(out);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_TRUE(fs::is_empty(temporary));
  }
}

TEST_F(ScriptHostTest, AnAudioFileThatBreaksOffWhilePlayingIsReportedOnce) {
  // Clicks every 500 ms for four seconds, cut off after about two.
  const std::string flac = writeMono("cut.flac", clickTrack(4.0), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  fs::resize_file(flac, fs::file_size(flac) / 2);
  const std::string path = script("cut.script", std::string(kStartCapture) + "audio source \"" + flac +
                                                    "\"\n"
                                                    "wait 6000\n"
                                                    "dump messages\n");
  const CommandRun run = runTactolo("script " + shellQuoted(path));
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string warning = "warning: audio file '" + flac + "' breaks off after ";
  EXPECT_THAT(run.out, HasSubstr(warning));
  EXPECT_EQ(run.out.find(warning), run.out.rfind(warning));
  // Beats before the break, none after it.
  EXPECT_THAT(run.out, HasSubstr("  1020 ms: 9 1 0"));
  EXPECT_EQ(run.out.find("  3520 ms: 9 1 0"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace tactolo::testing
