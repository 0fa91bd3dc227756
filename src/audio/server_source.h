// A recording source of the sound server, and how the capture library shows
// it: one source is one recording device, its ports are the device's inputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/capture_library.h"

namespace tactolo {

/// A port of a source: a physical connector (microphone jack, line in...).
struct ServerPort {
  std::string name;          // the server's name, used to switch to it
  std::string description;   // shown to users
  bool unavailable = false;  // reported unplugged
};

/// A source as the server listed it.
///
/// As a recording device: named by its description, enabled unless it has
/// ports and all of them are unavailable. As inputs: its ports in the
/// server's order, the active port switched on and the others off; a source
/// without ports has one input, switched on, named by the source's
/// description. Switching an input on makes its port the active one;
/// switching an input off changes nothing, because a source always has one
/// active port (the next input switched on takes over).
struct ServerSource {
  std::string name;         // the server's name: "vsink.monitor"
  std::string description;  // shown to users: "Monitor of Null Output"
  std::vector<ServerPort> ports;
  std::string activePort;  // name of the active port; "" without ports
  uint32_t channels = 2;

  /// The record RecordGetDeviceInfo fills: the description as name, the
  /// server's name as driver, kDeviceEnabled as said above.
  RecordDeviceInfo deviceInfo() const;
  bool enabled() const;

  /// Number of inputs: the ports, or 1 without ports.
  int32_t inputCount() const;
  /// Name of input `input`; nullopt past the last input.
  std::optional<std::string> inputName(int32_t input) const;
  /// Flags of input `input` as RecordGetInput reports them: 0 for the input
  /// switched on, kInputOff for the others; nullopt past the last input.
  std::optional<uint32_t> inputFlags(int32_t input) const;
  /// The port to make active for RecordSetInput(input, flags): the input's
  /// port when `flags` switch it on and it is not already active; nullopt
  /// when nothing is to change. `input` must be below inputCount().
  std::optional<std::string> portToActivate(int32_t input, uint32_t flags) const;
};

}  // namespace tactolo
