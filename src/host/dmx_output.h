// Where the host's DMX universes go: a network output (sACN sent directly,
// or OLA's daemon) or nowhere.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tactolo::host {

/// Channels of one DMX universe.
constexpr int kDmxChannels = 512;
/// The most universes an output carries.
constexpr int kMaxUniverses = 64;

/// The values of one universe, slot 1 at index 0.
using DmxFrame = std::array<uint8_t, kDmxChannels>;

/// What an output reports for the status line.
struct DmxOutputState {
  /// "sACN", "OLA" or "none".
  std::string name;
  /// Frames handed to the network in the last second, all universes.
  double framesPerSecond = 0.0;
  /// The last error, empty while the output works.
  std::string lastError;
};

/// A DMX output of `universes` universes (index 0 is the output's first
/// universe). publish() is called on the plug-in's thread and never waits
/// on the network: an output sends from a thread of its own.
class DmxOutput {
 public:
  virtual ~DmxOutput() = default;
  /// The frame of universe `index` (0 <= index < the output's count) is now
  /// `frame`. Called when a universe changed; the output itself repeats
  /// unchanged frames as its protocol wants.
  virtual void publish(int index, const DmxFrame& frame) = 0;
  virtual DmxOutputState state() const = 0;
  /// Ends the output: what it owes the receivers at the end (sACN's
  /// stream-terminated packets) goes out, its thread ends. Later publish()
  /// calls do nothing. Called once, on the plug-in's thread.
  virtual void close() = 0;
};

}  // namespace tactolo::host
