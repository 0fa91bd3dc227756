#include "audio/server_source.h"

#include <algorithm>

namespace tactolo {

RecordDeviceInfo ServerSource::deviceInfo() const {
  return RecordDeviceInfo{description, name, enabled() ? kDeviceEnabled : 0u};
}

bool ServerSource::enabled() const {
  return ports.empty() ||
         !std::all_of(ports.begin(), ports.end(), [](const ServerPort& port) { return port.unavailable; });
}

int32_t ServerSource::inputCount() const { return ports.empty() ? 1 : static_cast<int32_t>(ports.size()); }

std::optional<std::string> ServerSource::inputName(int32_t input) const {
  if (input < 0 || input >= inputCount()) return std::nullopt;
  return ports.empty() ? description : ports[static_cast<std::size_t>(input)].description;
}

std::optional<uint32_t> ServerSource::inputFlags(int32_t input) const {
  if (input < 0 || input >= inputCount()) return std::nullopt;
  const bool on = ports.empty() || ports[static_cast<std::size_t>(input)].name == activePort;
  return on ? 0u : kInputOff;
}

std::optional<std::string> ServerSource::portToActivate(int32_t input, uint32_t flags) const {
  if (ports.empty() || (flags & kInputOff) != 0 || (flags & kInputOn) == 0) return std::nullopt;
  const std::string& port = ports[static_cast<std::size_t>(input)].name;
  if (port == activePort) return std::nullopt;
  return port;
}

}  // namespace tactolo
