#include "host/project_settings.h"

#include <algorithm>

#include "host/stored_file.h"

namespace tactolo::host {

OpenProject::OpenProject(ProjectPaths paths, DeviceStore devices)
    : paths_(std::move(paths)), devices_(std::move(devices)) {
  std::optional<Project> read = ReadProjectFile(paths_.file);
  deviceValues_ = devices_.read(paths_.name);
  existed_ = read.has_value();
  if (read) project_ = std::move(*read);
  std::array<uint8_t, 16>& cid = project_.outputs.sacn.cid;
  if (std::all_of(cid.begin(), cid.end(), [](uint8_t byte) { return byte == 0; })) cid = MakeCid();
}

void OpenProject::save() {
  std::string failures;
  try {
    if (paths_.makeFolder) MakeFolders(paths_.folder);
    WriteProjectFile(paths_.file, project_);
  } catch (const StoreError& error) {
    failures = error.what();
  }
  try {
    devices_.write(paths_.name, deviceValues_);
  } catch (const StoreError& error) {
    failures += (failures.empty() ? "" : "; ") + std::string(error.what());
  }
  if (!failures.empty()) throw StoreError(failures);
}

}  // namespace tactolo::host
