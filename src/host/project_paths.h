// Where a project and the user's device store live, and what the plug-in is
// told of the project's place.
//
// A project is a file NAME.json; its folder also holds its VU layouts: the
// plug-in lists every file whose name ends in "vuconf" in the folder that it
// derives from the project's base file name by cutting the name from its end.
// The base file name is therefore FOLDER/NAME, so that the folder is always
// the project file's own, never the current one.
#pragma once

#include <string>

#include "platform/host_interfaces.h"

namespace tactolo::host {

struct ProjectPaths {
  /// The project file, absolute (symbolic links are not followed: the
  /// project lives where the user put it, even when its file leads
  /// elsewhere).
  std::string file;
  /// The file's folder, absolute, with no slash at the end ("/" for the
  /// root).
  std::string folder;
  /// The file's name without ".json" (the whole name when it has no such
  /// ending).
  std::string name;
  /// Whether saving makes the folder when it is missing: for the user's
  /// default project, whose folder nobody makes by hand.
  bool makeFolder = false;

  /// FOLDER/NAME: the project's base file name as the plug-in reads it.
  std::string baseFilename() const;

  /// The project in the file at `path` (relative to the current folder or
  /// absolute). Refuses (StoreError) a path that names a folder or ends in a
  /// slash, and a file name that is not UTF-8 (the plug-in counts the
  /// name's characters to find the folder).
  static ProjectPaths forFile(const std::string& path);

  /// The user's default project: $XDG_DATA_HOME/tactolo/default.json, with
  /// ~/.local/share when XDG_DATA_HOME is unset, empty or not absolute.
  static ProjectPaths userDefault();
};

/// The file `name` of Tactolo's folder of the user's configuration:
/// $XDG_CONFIG_HOME/tactolo/NAME, with ~/.config when XDG_CONFIG_HOME is
/// unset, empty or not absolute.
std::string UserConfigFile(const std::string& name);

/// The user's device store: UserConfigFile("devices.json").
std::string DefaultDevicesPath();

/// The project as the helper object hands it to the plug-in.
class ProjectLocation final : public IProject {
 public:
  explicit ProjectLocation(const ProjectPaths& paths)
      : name_(paths.name), baseFilename_(paths.baseFilename()) {}
  HostResult<std::string> name() override { return HostResult<std::string>::success(name_); }
  HostResult<std::string> BaseFilename() override { return HostResult<std::string>::success(baseFilename_); }

 private:
  std::string name_;
  std::string baseFilename_;
};

}  // namespace tactolo::host
