#include "script_world.h"

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

ScriptWorld::ScriptWorld(const std::string& pluginPath) : helper(std::make_shared<HeadlessHelper>(clock)) {
  setProject("show", project.path());
  library = std::make_unique<PluginLibrary>(pluginPath);
  plugin = library->create(PlatformServices{&clock, &raising, &dialogs});
  automation = library->automation();
}

ScriptWorld::~ScriptWorld() {
  static_cast<void>(shutdown());
  library.reset();
}

HostStatus ScriptWorld::shutdown() {
  labelled_.clear();
  commands.reset();
  tool.reset();
  window.reset();
  automation.reset();
  plugin.reset();
  return library ? library->shutdown() : hostOk();
}

void ScriptWorld::setProject(const std::string& name, const std::filesystem::path& folder) {
  project.use(folder);
  helper->project.projectName = name;
  helper->project.baseFilename = (folder / name).string();
}

std::string ScriptWorld::label(std::shared_ptr<const void> object) {
  if (!object) return "nothing";
  auto [it, added] = labels_.emplace(object.get(), static_cast<int>(labels_.size()) + 1);
  if (added) labelled_.push_back(std::move(object));
  return "#" + std::to_string(it->second);
}

}  // namespace tactolo::app
