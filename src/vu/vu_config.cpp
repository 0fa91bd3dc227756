#include "vu/vu_config.h"

namespace tactolo {

void VuConfigList::rebuild(const std::vector<VuConfigEntry>& files) {
  rows_ = files;
  rows_.emplace_back();  // the row after the last file stays empty
}

std::optional<std::string> VuConfigList::cell(int row, int column) const {
  if (row < 0 || row >= rowCount()) return std::nullopt;
  switch (column) {
    case 0:
      return rows_[static_cast<size_t>(row)].fileName;
    case 1:
      return rows_[static_cast<size_t>(row)].configName;
    default:
      return std::nullopt;
  }
}

}  // namespace tactolo
