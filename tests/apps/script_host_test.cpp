// The script host's temporary project folder when a signal ends the run:
// what a transcript cannot show, since the run never ends by itself.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_folder.h"

namespace tactolo::testing {
namespace {

namespace fs = std::filesystem;

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
    std::signal(SIGHUP, SIG_DFL);
    ::execl(TACTOLO_BINARY, TACTOLO_BINARY, "script", path.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  out = fds[0];
  return child;
}

using ScriptHostTest = FolderTest;

TEST_F(ScriptHostTest, SignalsRemoveTheTemporaryProjectFolder) {
  // A day of analysis keeps the host busy until the signal comes.
  put("long.script",
      "file \"notes.txt\"\nnotes\nend\n"
      "audio device \"Line In\"\naudio input \"Line\" on\naudio source synth:120\n"
      "call Init\ncall loadWindow\ncall showWindow\nclick TactoloMain startButton\n"
      "wait 86400000\n");
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    const fs::path temporary = folder_ / ("tmp-" + std::to_string(signal));
    fs::create_directories(temporary);
    int out = -1;
    const pid_t child = startScript(path("long.script"), temporary, out);
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

}  // namespace
}  // namespace tactolo::testing
