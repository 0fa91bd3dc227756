// The VU configuration: the points of a VU layout, the active configuration
// that the module state holds, and the table of listed configuration files.
//
// A layout has a name, a mono or stereo mode, a number of points per row
// (1..16) and always 16 points in each of the two rows, whatever the size:
// points at or beyond the size are kept, saved and loaded like the others
// but neither driven nor editable.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

/// The active configuration of the module state: a layout and whether a
/// usable one is present (which gates the VU output switch).
struct VuConfiguration : VuLayout {
  bool VuConfigLoaded = false;

  /// Takes over a layout that was read completely, and marks it usable.
  void apply(const VuLayout& layout) {
    static_cast<VuLayout&>(*this) = layout;
    VuConfigLoaded = true;
  }
};

/// One listed configuration file: its name without folder and the
/// configuration name on its first line.
struct VuConfigEntry {
  std::string fileName;
  std::string configName;

  bool operator==(const VuConfigEntry&) const = default;
};

/// The table of the last listing that found files: rows 0..n for n files,
/// column 0 the file name, column 1 the configuration name; row n stays
/// empty. Before the first such listing it has no rows.
class VuConfigList {
 public:
  /// A fresh table for these files (all previous rows discarded).
  void rebuild(const std::vector<VuConfigEntry>& files);

  int rowCount() const { return static_cast<int>(rows_.size()); }
  /// Text of a cell; row and column out of range give no text.
  std::optional<std::string> cell(int row, int column) const;
  /// Column 0 of a row: the file to load for list position `row`. A position
  /// with no row gives nothing rather than reading past the table.
  std::optional<std::string> fileName(int row) const { return cell(row, 0); }

 private:
  std::vector<VuConfigEntry> rows_;
};

}  // namespace tactolo
