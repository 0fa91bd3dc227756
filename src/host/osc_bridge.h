// OSC in and out of the live host (liblo over UDP): beats and the shown
// tempo go to one receiver, commands and option requests come in on a port
// of their own and run on the plug-in's thread.
//
// Sent to OscSettings::sendTo:
//   /tactolo/beat i i i   the beat message's numbers (9, 1, 0), per beat
//   /tactolo/bpm f        the tempo shown, when it changes
// Received on OscSettings::listenPort:
//   /tactolo/command s s i   ExecuteCommand(first selection, second
//                            selection, value) on the command server
//   /tactolo/options         answered to the sender with one message per
//                            first option, in the command server's order:
//                            /tactolo/options s s [s s]...: the first
//                            option's key and text, then the key and text of
//                            each of its second options
#pragma once

#include <lo/lo_types.h>
#include <sys/socket.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/beat_event.h"
#include "host/show_settings.h"

namespace tactolo {
class ICommandServer;
}

namespace tactolo::host {

/// All of it runs on the plug-in's thread: beat() and showTempo() send on a
/// non-blocking UDP socket and never wait; the event loop polls fd() and
/// calls receive() when it is readable, so that commands run on that thread
/// in the order they arrived.
///
/// What cannot be done gets one warning and changes nothing: a sendTo that
/// is not HOST:PORT or whose host is unknown (nothing is sent), a port that
/// cannot be listened on (nothing is received), a malformed or unknown
/// message, a caption that is not a number (no /tactolo/bpm for it), a
/// command the plug-in refuses, a send the network refuses (once until a
/// send succeeds again).
class OscBridge {
 public:
  using Warn = std::function<void(const std::string&)>;

  /// A listenPort of kAnyPort listens on a free port the system picks
  /// (listenPort() tells which).
  static constexpr int kAnyPort = -1;
  /// Messages receive() handles at most per call; more stay readable on
  /// fd() for the next round of the loop, so a flood cannot hold up a tick.
  static constexpr int kMessagesPerReceive = 32;

  /// `commands` must outlive the bridge. Resolves sendTo's host here (the
  /// only call that may wait on the network), taking its IPv4 address when
  /// it has one; "[IPV6]:PORT" for IPv6. Commands are received on IPv4.
  OscBridge(const OscSettings& settings, ICommandServer& commands, Warn warn);
  ~OscBridge();
  OscBridge(const OscBridge&) = delete;
  OscBridge& operator=(const OscBridge&) = delete;

  /// Sends /tactolo/bpm first when the beat's tempo differs from the one
  /// last sent, then /tactolo/beat.
  void beat(const BeatEvent& beat);
  /// Sends /tactolo/bpm when the shown tempo differs from the one last sent.
  void showTempo(const std::string& caption);

  /// The socket commands arrive on; -1 when not listening.
  int fd() const;
  /// The UDP port commands arrive on; 0 when not listening.
  int listenPort() const;
  /// Handles the messages waiting on fd() (at most kMessagesPerReceive).
  void receive();

 private:
  static int onMessage(const char* path, const char* types, lo_arg** argv, int argc, lo_message message,
                       void* self);
  static void onLibloError(int number, const char* message, const char* where);

  void openSender(const std::string& sendTo);
  void openListener(int port);
  void handle(const std::string& path, const std::string& types, lo_arg** argv, lo_message message);
  void answerOptions(lo_message request);
  void send(const std::vector<char>& packet);

  ICommandServer& commands_;
  Warn warn_;

  std::string sendTo_;
  int sendFd_ = -1;
  sockaddr_storage sendAddress_{};
  socklen_t sendAddressLength_ = 0;
  bool sendFailing_ = false;
  /// /tactolo/beat and /tactolo/bpm, serialised once; the tempo's four
  /// bytes are the last of its packet.
  std::vector<char> beatPacket_;
  std::vector<char> tempoPacket_;
  std::string lastCaption_;
  std::optional<float> lastTempo_;

  lo_server server_ = nullptr;
  /// What liblo reported during the call in progress.
  std::string libloError_;
  /// What a message's handling raised.
  std::string handlerError_;
};

}  // namespace tactolo::host
