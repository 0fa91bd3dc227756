// A DMX output that keeps every frame handed to it.
#pragma once

#include <vector>

#include "host/dmx_output.h"

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

}  // namespace tactolo::host::testing
