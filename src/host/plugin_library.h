// The plug-in library as a host opens it: dlopen, the C entry, dlclose.
// This is the only way a host of ours reaches the plug-in.
#pragma once

#include <memory>
#include <string>

#include "platform/automation.h"
#include "platform/host_interfaces.h"
#include "platform/library_entry.h"

namespace tactolo::host {

/// Where the plug-in library is: $TACTOLO_PLUGIN when set, otherwise
/// libtactolo-plugin.so next to the running executable (the build folder),
/// or else where `cmake --install` puts it relative to the executables
/// (LIBDIR/tactolo beside BINDIR).
std::string defaultPluginPath();

/// An opened plug-in library. The platform services handed to create() must
/// outlive the library object, and every object the library handed out must
/// be released before it: its destructor ends the module (tactolo_shutdown),
/// if it still lives, and then closes the library.
class PluginLibrary {
 public:
  /// Opens the library, looks up its C entry and checks that it speaks this
  /// host's interface version; std::runtime_error naming the path and the
  /// reason when any of that fails.
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const TactoloLibraryInfo& info() const { return *info_; }
  /// Creates the plug-in object, as a host does first; std::runtime_error
  /// with the library's message on failure.
  std::shared_ptr<IclsLMQPlugIn> create(const PlatformServices& platform);
  /// The automation interface of the module create() started;
  /// std::runtime_error with the library's message on failure.
  std::shared_ptr<IPluginAutomation> automation();
  /// Ends the module: the library runs the windows' close handlers. Failure
  /// carries the message of an error they raised.
  HostStatus shutdown();
  /// Reads the VU configuration file at `path` with the plug-in's reader;
  /// failure carries what is wrong with it. Needs no module.
  HostResult<VuConfigSummary> checkVuConfig(const std::string& path);

 private:
  std::string path_;
  void* handle_ = nullptr;
  const TactoloLibraryInfo* info_ = nullptr;
  decltype(&tactolo_create_object) create_ = nullptr;
  decltype(&tactolo_automation) automation_ = nullptr;
  decltype(&tactolo_shutdown) shutdown_ = nullptr;
  decltype(&tactolo_check_vuconf) checkVuconf_ = nullptr;
};

}  // namespace tactolo::host
