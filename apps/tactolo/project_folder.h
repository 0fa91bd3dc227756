// A project folder for a host run without a lighting host's project: a
// fresh temporary folder, removed when the run ends.
#pragma once

#include <filesystem>

namespace tactolo::app {

/// The host's project folder: a fresh temporary folder unless another one is
/// named; the temporary one is removed with this object, or by SIGINT,
/// SIGTERM or SIGHUP should one end the process first.
class ProjectFolder {
 public:
  ProjectFolder();
  ~ProjectFolder();
  ProjectFolder(const ProjectFolder&) = delete;
  ProjectFolder& operator=(const ProjectFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  /// Uses `folder` from now on, creating it when missing.
  void use(const std::filesystem::path& folder);
  /// The temporary folder made at start (removed at exit).
  const std::filesystem::path& temporary() const { return temporary_; }

 private:
  std::filesystem::path temporary_;
  std::filesystem::path path_;
};

}  // namespace tactolo::app
