// The DMX monitor: the output's changed channels as lines of text, for a rig
// without fixtures.
#pragma once

#include <cstdint>
#include <ostream>

#include "host/dmx_universes.h"
#include "platform/clock.h"

namespace tactolo::host {

/// Writes `TIME dmx CHANNEL VALUE` for each changed channel it is told of
/// (as `tactolo analyze --dmx` prints DMX writes, so that no line reads as a
/// beat line `TIME BPM`): TIME
/// in seconds with three decimals since the origin (the capture's start,
/// as the beat lines count), CHANNEL counted from 1 across the universes,
/// VALUE the merged output value. Set as the observer of DmxUniverses it
/// prints only channels whose output value changed.
class DmxMonitor {
 public:
  /// The origin is the clock's time now until setOriginMs().
  DmxMonitor(std::ostream& out, const Clock& clock);

  void setOriginMs(TimeMs originMs) { originMs_ = originMs; }
  /// Writes one line.
  void changed(int32_t channel, uint8_t value);
  /// An observer for DmxUniverses::setObserver that writes here; this
  /// monitor must outlive its use.
  DmxUniverses::Observer observer() {
    return [this](int32_t channel, uint8_t value) { changed(channel, value); };
  }

 private:
  std::ostream& out_;
  const Clock& clock_;
  TimeMs originMs_;
};

}  // namespace tactolo::host
