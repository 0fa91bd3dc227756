#include "host/plugin_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace tactolo::host {

namespace {

template <class Function>
Function lookUp(void* handle, const char* name, const std::string& path) {
  void* symbol = ::dlsym(handle, name);
  if (symbol == nullptr) throw std::runtime_error(path + " has no entry " + name);
  return reinterpret_cast<Function>(symbol);
}

constexpr std::size_t kErrorSize = 512;

}  // namespace

std::string defaultPluginPath() {
  if (const char* chosen = std::getenv("TACTOLO_PLUGIN"); chosen != nullptr && *chosen != '\0') return chosen;
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "libtactolo-plugin.so";
  const auto beside = executable.parent_path() / "libtactolo-plugin.so";
#ifdef TACTOLO_PLUGIN_FROM_BIN
  // Installed, the library lies in the library folder, at the same place
  // relative to the executables wherever the installation was put.
  if (!std::filesystem::exists(beside, error)) {
    const auto installed =
        (executable.parent_path() / TACTOLO_PLUGIN_FROM_BIN / "libtactolo-plugin.so").lexically_normal();
    if (std::filesystem::exists(installed, error)) return installed.string();
  }
#endif
  return beside.string();
}

PluginLibrary::PluginLibrary(const std::string& path) : path_(path) {
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* why = ::dlerror();
    throw std::runtime_error("cannot open the plug-in library " + path + ": " +
                             (why ? why : "unknown error"));
  }
  try {
    info_ = lookUp<decltype(&tactolo_library_info)>(handle_, "tactolo_library_info", path)();
    // The version is read before anything else of the library is used: only
    // the first field of the facts is the same in every version.
    if (info_ == nullptr || info_->interfaceVersion != kInterfaceVersion) {
      throw std::runtime_error("the plug-in library " + path + " speaks interface version " +
                               (info_ ? std::to_string(info_->interfaceVersion) : std::string("(none)")) +
                               ", this host speaks version " + std::to_string(kInterfaceVersion));
    }
    create_ = lookUp<decltype(&tactolo_create_object)>(handle_, "tactolo_create_object", path);
    automation_ = lookUp<decltype(&tactolo_automation)>(handle_, "tactolo_automation", path);
    shutdown_ = lookUp<decltype(&tactolo_shutdown)>(handle_, "tactolo_shutdown", path);
    checkVuconf_ = lookUp<decltype(&tactolo_check_vuconf)>(handle_, "tactolo_check_vuconf", path);
  } catch (...) {
    ::dlclose(handle_);
    throw;
  }
}

PluginLibrary::~PluginLibrary() {
  // Ending a module that has already ended changes nothing.
  static_cast<void>(shutdown());
  ::dlclose(handle_);
}

std::shared_ptr<IclsLMQPlugIn> PluginLibrary::create(const PlatformServices& platform) {
  std::shared_ptr<IclsLMQPlugIn> object;
  char error[kErrorSize] = {};
  if (create_(info_->progId, &platform, &object, error, sizeof error) != 1) {
    throw std::runtime_error(std::string("the plug-in library refused to create ") + info_->progId + ": " +
                             error);
  }
  return object;
}

std::shared_ptr<IPluginAutomation> PluginLibrary::automation() {
  std::shared_ptr<IPluginAutomation> automation;
  char error[kErrorSize] = {};
  if (automation_(&automation, error, sizeof error) != 1) {
    throw std::runtime_error(std::string("the plug-in library has no automation interface: ") + error);
  }
  return automation;
}

HostStatus PluginLibrary::shutdown() {
  char error[kErrorSize] = {};
  const int done = shutdown_(error, sizeof error);
  return done == 1 ? hostOk() : HostStatus::failure(error);
}

HostResult<VuConfigSummary> PluginLibrary::checkVuConfig(const std::string& path) {
  VuConfigSummary summary;
  char error[kErrorSize] = {};
  if (checkVuconf_(path.c_str(), &summary, error, sizeof error) != 1) {
    return HostResult<VuConfigSummary>::failure(error);
  }
  return HostResult<VuConfigSummary>::success(std::move(summary));
}

}  // namespace tactolo::host
