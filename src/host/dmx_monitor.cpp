#include "host/dmx_monitor.h"

#include <cstdio>

namespace tactolo::host {

DmxMonitor::DmxMonitor(std::ostream& out, const Clock& clock)
    : out_(out), clock_(clock), originMs_(clock.nowMs()) {}

void DmxMonitor::changed(int32_t channel, uint8_t value) {
  // Formatted on the stack: a busy VU meter prints many lines.
  char line[64];
  const int length = std::snprintf(line, sizeof line, "%.3f dmx %d %d\n",
                                   static_cast<double>(clock_.nowMs() - originMs_) / 1000.0,
                                   static_cast<int>(channel), static_cast<int>(value));
  out_.write(line, length);
}

}  // namespace tactolo::host
