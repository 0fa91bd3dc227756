// DMX through the OLA daemon (olad): it drives whatever its user patched to
// the universes (Art-Net nodes, USB widgets, sACN, ...).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "host/dmx_frame_mailbox.h"
#include "host/dmx_output.h"
#include "host/show_settings.h"

namespace tactolo::host {

/// Hands each universe of the output to olad with OLA's streaming client,
/// from a thread of the output's own: universe `index` is OLA universe
/// settings.firstUniverse + index. A universe goes to olad when it changes
/// and again once per refresh period (1 s) while unchanged.
///
/// olad not running at the start, or going away later, is no error of the
/// run: the output says so once through `warn`, shows it as the state's last
/// error, tries to connect again once a second and, once olad
/// answers, says so through `warn` and sends every universe's current frame
/// again.
class OlaOutput final : public DmxOutput {
 public:
  /// Receives the output's warnings and notes, one line each, without a
  /// trailing newline. Called on the output's own thread.
  using Warn = std::function<void(const std::string&)>;

  /// olad's RPC port unless told otherwise (olad -r).
  static constexpr uint16_t kDefaultRpcPort = 9010;

  /// Starts the sender thread, which connects to olad on `rpcPort` of this
  /// computer. std::invalid_argument for a universe count outside 1..64 or
  /// a negative first universe.
  OlaOutput(const OlaSettings& settings, int universes, Warn warn, uint16_t rpcPort = kDefaultRpcPort);
  /// Closes the output if close() has not run.
  ~OlaOutput() override;
  OlaOutput(const OlaOutput&) = delete;
  OlaOutput& operator=(const OlaOutput&) = delete;

  void publish(int index, const DmxFrame& frame) override;
  DmxOutputState state() const override;
  /// Hands the frames published last to olad, if it is there, and ends the
  /// thread.
  void close() override;

 private:
  void run();

  unsigned firstUniverse_;
  Warn warn_;
  uint16_t rpcPort_;
  FrameMailbox mailbox_;
  SenderStatus status_;
  std::thread sender_;
  bool closed_ = false;
};

}  // namespace tactolo::host
