// The VU configuration: the points of a VU layout and the active
// configuration (module/vu_variables.h, where the module state holds them),
// and the table of listed configuration files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "module/vu_variables.h"

namespace tactolo {

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
