// The project a host run works on: read when it opens, held in memory while
// the plug-in reads and writes its settings, written when the host saves.
#pragma once

#include <map>
#include <string>

#include "host/device_store.h"
#include "host/project_file.h"
#include "host/project_paths.h"
#include "platform/host_interfaces.h"

namespace tactolo::host {

/// The plug-in's two settings stores (the helper object's Settings) over an
/// open project: the general store is the project's, the second one the
/// device store's values for this project. In memory only; nothing here
/// touches a file.
class ProjectSettings final : public ISettings {
 public:
  using Values = std::map<std::string, std::string>;
  ProjectSettings(Values& general, Values& device) : general_(general), device_(device) {}

  HostResult<std::string> ReadValue(const std::string& key, const std::string& defaultValue) override {
    return read(general_, key, defaultValue);
  }
  HostStatus WriteValue(const std::string& key, const std::string& value) override {
    general_[key] = value;
    return hostOk();
  }
  HostResult<std::string> ReadDeviceValue(const std::string& key, const std::string& defaultValue) override {
    return read(device_, key, defaultValue);
  }
  HostStatus WriteDeviceValue(const std::string& key, const std::string& value) override {
    device_[key] = value;
    return hostOk();
  }

 private:
  static HostResult<std::string> read(const Values& store, const std::string& key,
                                      const std::string& defaultValue) {
    const auto found = store.find(key);
    return HostResult<std::string>::success(found == store.end() ? defaultValue : found->second);
  }

  Values& general_;
  Values& device_;
};

/// An open project: its file's contents and this project's device values,
/// from opening until saving.
class OpenProject {
 public:
  /// Reads the project file (none there: a new project, made on the first
  /// save) and the device store's values for the project's name. A project
  /// without an sACN identifier gets a fresh one, kept from the first save
  /// on. Refuses (StoreError) a file that cannot be read, is damaged or was
  /// written by a newer Tactolo, before anything is written. With `fresh`
  /// the file is not read: the project starts new, and its first save
  /// replaces the file.
  OpenProject(ProjectPaths paths, DeviceStore devices, bool fresh = false);
  OpenProject(const OpenProject&) = delete;
  OpenProject& operator=(const OpenProject&) = delete;

  const ProjectPaths& paths() const { return paths_; }
  /// Whether the project file was there when the project opened.
  bool existed() const { return existed_; }
  /// The contents: the general store as the plug-in wrote it, the outputs
  /// and beat actions as the host set them.
  Project& project() { return project_; }
  ProjectSettings::Values& deviceValues() { return deviceValues_; }

  /// The helper object's Settings and Project.
  ISettings& settings() { return settings_; }
  IProject& location() { return location_; }

  /// Writes the project file (making the folder of the user's default
  /// project) and the device store's values, each atomically. Both are
  /// tried; a failure leaves that file as it was and is reported, both
  /// messages joined, as StoreError.
  void save();
  /// Saves the project as the file of `paths` from now on (the device
  /// store's values under its name), as save() does; the project's VU
  /// layouts (`*vuconf` in its folder) are copied into the new folder where
  /// it has no file of that name. On failure (StoreError) the project stays
  /// where it was; layouts already copied stay too.
  void saveAs(ProjectPaths paths);

 private:
  ProjectPaths paths_;
  DeviceStore devices_;
  Project project_;
  ProjectSettings::Values deviceValues_;
  bool existed_ = false;
  ProjectSettings settings_{project_.settings, deviceValues_};
  ProjectLocation location_{paths_};
};

}  // namespace tactolo::host
