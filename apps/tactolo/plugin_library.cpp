#include "plugin_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace tactolo::app {

namespace {

template <class Function>
Function lookUp(void* handle, const char* name, const std::string& path) {
  void* symbol = ::dlsym(handle, name);
  if (symbol == nullptr) throw std::runtime_error(path + " has no entry " + name);
  return reinterpret_cast<Function>(symbol);
}

}  // namespace

std::string defaultPluginPath() {
  if (const char* chosen = std::getenv("TACTOLO_PLUGIN"); chosen != nullptr && *chosen != '\0') return chosen;
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "libtactolo-plugin.so";
  return (executable.parent_path() / "libtactolo-plugin.so").string();
}

PluginLibrary::PluginLibrary(const std::string& path) {
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* why = ::dlerror();
    throw std::runtime_error("cannot open the plug-in library " + path + ": " +
                             (why ? why : "unknown error"));
  }
  try {
    info_ = lookUp<decltype(&tactolo_library_info)>(handle_, "tactolo_library_info", path)();
    create_ = lookUp<decltype(&tactolo_create_object)>(handle_, "tactolo_create_object", path);
    module_ = lookUp<decltype(&tactolo_module)>(handle_, "tactolo_module", path);
    shutdown_ = lookUp<decltype(&tactolo_shutdown)>(handle_, "tactolo_shutdown", path);
  } catch (...) {
    ::dlclose(handle_);
    throw;
  }
}

PluginLibrary::~PluginLibrary() {
  shutdown_();
  ::dlclose(handle_);
}

std::shared_ptr<IclsLMQPlugIn> PluginLibrary::create(const PlatformServices& platform) {
  std::shared_ptr<IclsLMQPlugIn> object;
  char error[256] = {};
  if (create_(info_->progId, &platform, &object, error, sizeof error) != 1) {
    throw std::runtime_error(std::string("the plug-in library refused to create ") + info_->progId + ": " +
                             error);
  }
  return object;
}

PluginModule* PluginLibrary::module() const { return module_(); }

}  // namespace tactolo::app
