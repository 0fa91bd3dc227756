#include "host/project_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "host/json_fields.h"
#include "host/stored_file.h"

namespace tactolo::host {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProjectEnding = ".json";

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  throw StoreError("cannot find the home folder: HOME is not set and the user has none");
}

/// A base folder of the XDG rules: the variable when it holds an absolute
/// path (a relative one is to be ignored), else `fallback` in the home
/// folder.
fs::path xdgFolder(const char* variable, const char* fallback) {
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') return value;
  return fs::path(homeFolder()) / fallback;
}

}  // namespace

std::string ProjectPaths::baseFilename() const { return (folder == "/" ? folder : folder + "/") + name; }

ProjectPaths ProjectPaths::forFile(const std::string& path) {
  if (path.empty()) throw StoreError("a project needs a file name");
  const fs::path file = fs::absolute(path).lexically_normal();
  if (!file.has_filename()) {
    throw StoreError("cannot use " + path + " as a project: it names a folder, not a file");
  }
  struct stat status {};
  if (::stat(file.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
    throw StoreError("cannot use " + path + " as a project: it is a folder");
  }
  const std::string fileName = file.filename().string();
  if (!IsUtf8(fileName)) throw StoreError("cannot use " + path + " as a project: its name is not UTF-8 text");

  ProjectPaths paths;
  paths.file = file.string();
  paths.folder = file.parent_path().string();
  paths.name = fileName.size() > kProjectEnding.size() && fileName.ends_with(kProjectEnding)
                   ? fileName.substr(0, fileName.size() - kProjectEnding.size())
                   : fileName;
  return paths;
}

ProjectPaths ProjectPaths::userDefault() {
  ProjectPaths paths =
      forFile((xdgFolder("XDG_DATA_HOME", ".local/share") / "tactolo" / "default.json").string());
  paths.makeFolder = true;
  return paths;
}

std::string UserConfigFile(const std::string& name) {
  return (xdgFolder("XDG_CONFIG_HOME", ".config") / "tactolo" / name).string();
}

std::string DefaultDevicesPath() { return UserConfigFile("devices.json"); }

}  // namespace tactolo::host
