// Layouts and a recording DMX sink shared by the VU tests, and their folders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_folder.h"
#include "vu/vu_config.h"
#include "vu/vu_output.h"

namespace tactolo::testing {

/// A mono layout of size 4 whose 32 points all differ in every field,
/// channels at both ends of the signed 32-bit range included.
inline VuLayout distinctLayout() {
  VuLayout layout;
  layout.VuName = "Front truss";
  layout.VuStereo = false;
  layout.VuSize = 4;
  for (int row = 0; row < 2; ++row) {
    VuRow& points = row == 0 ? layout.LeftPoints : layout.RightPoints;
    for (int i = 0; i < kVuPointsPerRow; ++i) {
      VuPoint& p = points[static_cast<size_t>(i)];
      p.Confirmed = (i + row) % 2 == 0;
      p.Monochrome = i % 3 == row;
      p.DimmerValue = static_cast<uint8_t>(10 * i + row);
      p.Red = static_cast<uint8_t>(255 - i - 16 * row);
      p.Green = static_cast<uint8_t>(16 * i + row);
      p.Blue = static_cast<uint8_t>(7 * i + 100 * row);
      p.DimmerChannel = 100 * row + i + 1;
      p.RedChannel = -i - 1000 * row;
      p.GreenChannel = 2147483647 - i - 16 * row;
      p.BlueChannel = -2147483647 - 1 + i + 16 * row;
    }
  }
  return layout;
}

/// Records every call as text: "U" for UserInteraction, "channel=value" for
/// SetChannel with flag true, "channel=value!" with flag false.
class RecordingSink final : public VuDmxSink {
 public:
  void UserInteraction() override { calls.push_back("U"); }
  void SetChannel(int32_t channel, int32_t value, bool flag) override {
    calls.push_back(std::to_string(channel) + "=" + std::to_string(value) + (flag ? "" : "!"));
  }
  /// The calls so far, forgotten once returned.
  std::vector<std::string> take() {
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
  }
  std::vector<std::string> calls;
};

}  // namespace tactolo::testing
