// A DMX output that keeps every frame handed to it, and universes on it whose
// changes a DMX monitor prints.
#pragma once

#include <sstream>
#include <vector>

#include "host/dmx_monitor.h"
#include "host/dmx_output.h"
#include "host/dmx_universes.h"

namespace tactolo::host::testing {

class RecordingDmxOutput final : public DmxOutput {
 public:
  struct Frame {
    int index;
    DmxFrame values;
  };
  void publish(int index, const DmxFrame& frame) override { frames.push_back({index, frame}); }
  DmxOutputState state() const override { return {"recording", 0.0, {}}; }
  void close() override {}

  std::vector<Frame> frames;
};

/// One universe on a recording output, each change printed at the virtual
/// clock's time.
struct MonitoredUniverse {
  MonitoredUniverse() { universes.setObserver(monitor.observer()); }

  VirtualClock clock;
  RecordingDmxOutput output;
  DmxUniverses universes{1, output, {}};
  std::ostringstream out;
  DmxMonitor monitor{out, clock};
};

}  // namespace tactolo::host::testing
