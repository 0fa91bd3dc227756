// The VU meter's part of the module state: the active configuration, the
// thresholds and lit states of the output, and the point the point editor
// works on. One instance per module, shared by the main window, the two VU
// editors and the detection cycle's level pass; the VU layer (src/vu) holds
// the code that works on it.
//
// A configuration has a name, a mono or stereo mode, a number of points per
// row (1..16) and always 16 points in each of the two rows, whatever the
// size: points at or beyond the size are kept, saved and loaded like the
// others but neither driven nor editable.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tactolo {

/// Points held per row, whatever the configuration's size.
constexpr int kVuPointsPerRow = 16;
/// Smallest and largest number of points driven per row.
constexpr int kVuMinSize = 1;
constexpr int kVuMaxSize = 16;

/// One point of a row: either one dimmer channel or three colour channels.
/// Channel numbers are DMX channel numbers as the user typed them.
struct VuPoint {
  bool Confirmed = false;   ///< set by the point editor's OK; stored, otherwise unused
  bool Monochrome = false;  ///< true: one dimmer channel; false: red, green, blue channels
  uint8_t DimmerValue = 0;  ///< value sent to DimmerChannel when lit (grey of the colour)
  int32_t DimmerChannel = 0;
  uint8_t Red = 0;  ///< the colour, also the values sent to the colour channels when lit
  uint8_t Green = 0;
  uint8_t Blue = 0;
  int32_t RedChannel = 0;
  int32_t GreenChannel = 0;
  int32_t BlueChannel = 0;

  bool operator==(const VuPoint&) const = default;
};

using VuRow = std::array<VuPoint, kVuPointsPerRow>;

/// What one configuration file holds.
struct VuLayout {
  std::string VuName;    ///< UTF-8
  bool VuStereo = true;  ///< false: only LeftPoints, driven by the left level
  int16_t VuSize = 8;    ///< points driven per row, 1..16
  VuRow LeftPoints{};
  VuRow RightPoints{};

  bool operator==(const VuLayout&) const = default;
};

/// The active configuration: a layout and whether a usable one is present
/// (which gates the VU output switch).
struct VuConfiguration : VuLayout {
  bool VuConfigLoaded = false;
};

/// The output's thresholds and lit states. Point i of a row lights when its
/// level is above VuThresholds[i]; only the first `size` entries exist, and
/// none before the first threshold setup (size 0). Fixed-size storage, so
/// that the output pass allocates nothing.
struct VuOutputState {
  std::array<double, kVuMaxSize> VuThresholds{};
  std::array<bool, kVuMaxSize> LeftOn{};
  std::array<bool, kVuMaxSize> RightOn{};
  int size = 0;
};

/// Which row the point editor changes.
constexpr int16_t kLeftRow = 0;
constexpr int16_t kRightRow = 1;

struct VuVariables {
  VuConfiguration config;
  VuOutputState output;
  /// The point the point editor changes: its index (0..15) and its row
  /// (kLeftRow or kRightRow).
  int16_t EditPointIndex = 0;
  int16_t EditPointSide = kLeftRow;
  /// Half and full height of the main window's level preview, in pixels.
  int16_t VuHalfHeight = 0;
  int16_t VuFullHeight = 0;
};

}  // namespace tactolo
