#include "project_folder.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "signal_cleanup.h"

namespace tactolo::app {

ProjectFolder::ProjectFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tactolo-script-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a temporary project folder in " +
                             std::filesystem::temp_directory_path().string());
  }
  temporary_ = pattern;
  path_ = temporary_;
  removeOnSignal(temporary_);
}

ProjectFolder::~ProjectFolder() {
  forgetOnSignal();
  std::error_code ignored;
  std::filesystem::remove_all(temporary_, ignored);
}

void ProjectFolder::use(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  path_ = folder;
}

}  // namespace tactolo::app
