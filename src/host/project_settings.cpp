#include "host/project_settings.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "host/sacn_packet.h"
#include "host/stored_file.h"

namespace tactolo::host {

OpenProject::OpenProject(ProjectPaths paths, DeviceStore devices, bool fresh)
    : paths_(std::move(paths)), devices_(std::move(devices)) {
  std::optional<Project> read = fresh ? std::nullopt : ReadProjectFile(paths_.file);
  deviceValues_ = devices_.read(paths_.name);
  existed_ = read.has_value();
  if (read) project_ = std::move(*read);
  std::array<uint8_t, 16>& cid = project_.outputs.sacn.cid;
  if (std::all_of(cid.begin(), cid.end(), [](uint8_t byte) { return byte == 0; })) cid = makeCid();
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

namespace tactolo::host {

void OpenProject::saveAs(ProjectPaths paths) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::path(paths.folder) != fs::path(paths_.folder)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(paths_.folder, error)) {
      const std::string name = entry.path().filename().string();
      if (!name.ends_with("vuconf") || !entry.is_regular_file(error)) continue;
      const fs::path target = fs::path(paths.folder) / name;
      if (fs::exists(target, error)) continue;
      if (!fs::copy_file(entry.path(), target, error)) {
        throw StoreError("cannot copy the VU layout " + entry.path().string() + " to " + paths.folder + ": " +
                         error.message());
      }
    }
  }
  ProjectPaths previous = std::exchange(paths_, std::move(paths));
  try {
    save();
  } catch (...) {
    paths_ = std::move(previous);
    throw;
  }
  location_ = ProjectLocation(paths_);
}

}  // namespace tactolo::host
