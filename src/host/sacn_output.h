// DMX over sACN (ANSI E1.31), sent directly over UDP from a thread of the
// output's own.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "host/dmx_frame_mailbox.h"
#include "host/dmx_output.h"
#include "host/sacn_packet.h"
#include "host/show_settings.h"

namespace tactolo::host {

/// Sends each universe of the output as sACN data packets: universe `index`
/// is sACN universe settings.firstUniverse + index, multicast to its group
/// 239.255.HI.LO (TTL 8, looped back so that a receiver on this computer
/// hears it too) or, with unicast targets, to each of them.
///
/// The sender thread sends a universe as soon as it changes and again
/// whenever it has not been sent for the refresh period (1 s), every
/// universe from the start (all zero until published). Each universe counts
/// its own sequence numbers (8-bit, wrapping). close() sends three
/// stream-terminated packets per universe with its last frame, then ends the
/// thread.
///
/// A send error (an unreachable network, say) never stops the output: it
/// shows as the state's last error until a round of sends succeeds again.
class SacnOutput final : public DmxOutput {
 public:
  struct Options {
    /// The receivers' UDP port; tests use one of their own.
    uint16_t port = kSacnPort;
    /// The longest time a universe goes unsent.
    std::chrono::milliseconds refresh{1000};
  };

  /// Opens the socket, resolves the unicast targets (IPv4) and starts the
  /// sender thread. std::invalid_argument for settings out of range (the
  /// universe count 1..64, the universes 1..63999, priority 0..200, a CID
  /// still all zero); std::runtime_error naming the target that does not
  /// resolve, or when the socket cannot be opened.
  SacnOutput(const SacnSettings& settings, int universes, Options options);
  SacnOutput(const SacnSettings& settings, int universes) : SacnOutput(settings, universes, Options{}) {}
  /// Closes the output if close() has not run.
  ~SacnOutput() override;
  SacnOutput(const SacnOutput&) = delete;
  SacnOutput& operator=(const SacnOutput&) = delete;

  void publish(int index, const DmxFrame& frame) override;
  DmxOutputState state() const override;
  void close() override;

 private:
  void run();
  /// Sends universe `index`'s packet to its destinations; false on an error
  /// (recorded in the status).
  bool send(std::size_t index, SacnPacketBytes& bytes);

  Options options_;
  int socket_ = -1;
  /// The unicast targets; empty: multicast to the universe's group.
  std::vector<sockaddr_in> targets_;
  std::vector<sockaddr_in> groups_;
  /// One packet per universe: the sender thread's copy of the frame, the
  /// universe's number and its next sequence number.
  std::vector<SacnPacket> packets_;
  FrameMailbox mailbox_;
  SenderStatus status_;
  std::thread sender_;
  bool closed_ = false;
};

}  // namespace tactolo::host
