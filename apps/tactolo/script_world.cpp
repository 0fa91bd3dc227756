#include "script_world.h"

namespace tactolo::app {

ScriptWorld::ScriptWorld(const std::string& pluginPath) : helper(std::make_shared<HeadlessHelper>(clock)) {
  setProject("show", project.path());
  library = std::make_unique<host::PluginLibrary>(pluginPath);
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
