// The plug-in library as a host opens it: dlopen, the C entry, dlclose.
#pragma once

#include <memory>
#include <string>

#include "platform/host_interfaces.h"
#include "shell/plugin_entry.h"

namespace tactolo::app {

/// Where the plug-in library is: $TACTOLO_PLUGIN when set, otherwise
/// libtactolo-plugin.so next to the running executable.
std::string defaultPluginPath();

/// An opened plug-in library. The platform services handed to create() must
/// outlive the library object: its destructor ends the module
/// (tactolo_shutdown) and then closes the library; release every object the
/// library handed out before that.
class PluginLibrary {
 public:
  /// Opens the library and looks up its C entry; std::runtime_error naming
  /// the path and the loader's message when that fails.
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const TactoloLibraryInfo& info() const { return *info_; }
  /// Creates the plug-in object, as a host does first; std::runtime_error
  /// with the library's message on failure.
  std::shared_ptr<IclsLMQPlugIn> create(const PlatformServices& platform);
  /// The module state for inspection; null before the first object.
  PluginModule* module() const;

 private:
  void* handle_ = nullptr;
  const TactoloLibraryInfo* info_ = nullptr;
  decltype(&tactolo_create_object) create_ = nullptr;
  decltype(&tactolo_module) module_ = nullptr;
  decltype(&tactolo_shutdown) shutdown_ = nullptr;
};

}  // namespace tactolo::app
