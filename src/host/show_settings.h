// The host's own settings of a show, kept in the project beside the
// plug-in's: where DMX, beats and tempo go, and what a beat does.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tactolo::host {

/// One channel and its value. Channels count from 1: 1..512 are the
/// output's first universe, 513..1024 its second, and so on.
struct ChannelValue {
  int32_t channel = 1;
  int32_t value = 255;  // 0..255
  bool operator==(const ChannelValue&) const = default;
};

/// What a beat does without a lighting host.
///  * Flash: on every `everyNth` beat, the channels go to their values for
///    `holdMs`, then back to 0.
///  * Chase: on every `everyNth` beat, the next of `steps` (each a set of
///    channel values) replaces the previous one.
/// Detected, generated and manual beats all count.
struct BeatAction {
  enum class Kind { Flash, Chase };
  Kind kind = Kind::Flash;
  int everyNth = 1;                              // 1..64
  std::vector<ChannelValue> channels;            // Flash
  int holdMs = 100;                              // Flash, 1..60000
  std::vector<std::vector<ChannelValue>> steps;  // Chase
  bool operator==(const BeatAction&) const = default;
};

enum class DmxOutputKind { Sacn, Ola, None };

struct SacnSettings {
  /// Unicast receivers, host names or addresses; empty: multicast to each
  /// universe's group.
  std::vector<std::string> unicastTargets;
  int firstUniverse = 1;  // 1..63999
  int priority = 100;     // 0..200
  std::string sourceName = "Tactolo";
  /// The component identifier of this project's source, made once (random,
  /// version 4) and kept in the project; all zero until made.
  std::array<uint8_t, 16> cid{};
  bool operator==(const SacnSettings&) const = default;
};

struct OlaSettings {
  int firstUniverse = 1;  // OLA's universe number of the output's first universe
  bool operator==(const OlaSettings&) const = default;
};

/// A network address as the settings write it, split.
struct HostPort {
  std::string host;
  std::string port;
};

/// "HOST:PORT" or "[IPV6]:PORT" with a port in 1..65535 split into its
/// parts, or nothing (an IPv6 host needs its brackets, or its last group
/// would read as the port).
inline std::optional<HostPort> SplitHostPort(const std::string& text) {
  HostPort out;
  if (!text.empty() && text.front() == '[') {
    const auto close = text.find(']');
    if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') return std::nullopt;
    out.host = text.substr(1, close - 1);
    out.port = text.substr(close + 2);
  } else {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) return std::nullopt;
    out.host = text.substr(0, colon);
    out.port = text.substr(colon + 1);
    if (out.host.find(':') != std::string::npos) return std::nullopt;
  }
  const bool digits =
      std::all_of(out.port.begin(), out.port.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (out.host.empty() || out.port.empty() || out.port.size() > 5 || !digits) return std::nullopt;
  const int port = std::stoi(out.port);
  if (port < 1 || port > 65535) return std::nullopt;
  return out;
}

struct OscSettings {
  /// "HOST:PORT" that receives /tactolo/beat and /tactolo/bpm; empty: none.
  std::string sendTo;
  /// UDP port on which /tactolo/command and /tactolo/options are received;
  /// 0: none.
  int listenPort = 0;
  bool operator==(const OscSettings&) const = default;
};

struct OutputSettings {
  DmxOutputKind dmx = DmxOutputKind::Sacn;
  int universes = 1;  // 1..64
  SacnSettings sacn;
  OlaSettings ola;
  OscSettings osc;
  bool link = false;
  bool operator==(const OutputSettings&) const = default;
};

}  // namespace tactolo::host
