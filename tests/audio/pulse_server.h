// A private sound server for the tests of the live back-end, and a player
// that plays a loop of frames into one of its sinks.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/server_script.h"

namespace tactolo::testing {

/// A server started by scripts/pulse-server.sh --serve: sink "vsink" with
/// its monitor "vsink.monitor", pipe source "fifosrc". Stopped when
/// destroyed (or, should the test die, when the script sees its input
/// close).
class PulseServer {
 public:
  /// Starts a server in `dir` (a fresh temporary folder when empty), with
  /// memfd segments when `memfd` (as desktop servers), else POSIX shared
  /// memory. Returns nullptr and sets `why` when it does not start.
  static std::unique_ptr<PulseServer> start(std::string& why, const std::string& dir = "",
                                            bool memfd = false);
  ~PulseServer();
  PulseServer(const PulseServer&) = delete;
  PulseServer& operator=(const PulseServer&) = delete;

  const std::string& address() const { return address_; }
  /// Sends the server process signal `number`: SIGKILL ends it at once, as
  /// a crash would; SIGSTOP freezes it, as a server that hangs, until
  /// SIGCONT.
  void signal(int number) const;
  /// Runs the shell command line `command` as a client of this server and
  /// returns its standard output; `status` gets its exit status.
  std::string run(const std::string& command, int* status = nullptr) const;
  /// The environment of a client of this server: ours, with the server's
  /// address and HOME.
  std::vector<std::string> clientEnvironment() const;
  /// Makes the null sink `sink` follow the latency of the streams it has
  /// now. An idle null sink renders 2 s at a time, so a stream that comes
  /// along would otherwise hear its first sound up to 2 s late; suspending
  /// and resuming the sink restarts its clock.
  void wakeSink(const std::string& sink) const;

 private:
  PulseServer() = default;

  ServerScript script_;
  std::string address_;
  std::string home_;
};

/// Our environment with PULSE_SERVER set to `address` (and HOME to `home`
/// unless empty).
std::vector<std::string> environmentWithServer(const std::string& address, const std::string& home = "");

/// The server's sources in its order as `pactl list sources` tells them:
/// name and description.
struct ListedSource {
  std::string name;
  std::string description;
};
std::vector<ListedSource> listedSources(const PulseServer& server);

/// A test with a sound server of its own, started by SetUp() in
/// `serverFolder` (a fresh temporary one when empty). Without a server the
/// test is skipped with the reason, or fails where CI sets
/// TACTOLO_REQUIRE_PULSE=1; a fixture that derives from it calls
/// PulseServerTest::SetUp() first and goes on only when `server` is there.
class PulseServerTest : public ::testing::Test {
 protected:
  // Inline, so that programs that are not tests (the live benchmark) can
  // use the server without linking GoogleTest.
  void SetUp() override {
    std::string why;
    server = PulseServer::start(why, serverFolder);
    if (server == nullptr) {
      if (requiredByEnvironment("TACTOLO_REQUIRE_PULSE")) FAIL() << "no sound server for the test: " << why;
      GTEST_SKIP() << "no sound server: " << why;
    }
  }

  std::string serverFolder;
  std::unique_ptr<PulseServer> server;
};

/// Plays `loop` (interleaved stereo float frames at 44100 Hz) over and over
/// into the null sink `sink` of `server` with pacat, until destroyed or the
/// server goes. Streams that record the sink's monitor should be running
/// before the player starts: it wakes the sink (PulseServer::wakeSink) once
/// its stream is there.
class SinkPlayer {
 public:
  SinkPlayer(const PulseServer& server, const std::string& sink, std::vector<float> loop);
  ~SinkPlayer();
  SinkPlayer(const SinkPlayer&) = delete;
  SinkPlayer& operator=(const SinkPlayer&) = delete;

  /// Empty while playing; otherwise why it could not start.
  const std::string& error() const { return error_; }

 private:
  void feed();

  std::vector<float> loop_;
  pid_t pacat_ = -1;
  int toPacat_ = -1;
  std::string error_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace tactolo::testing
