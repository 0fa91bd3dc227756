#include "shell/plugin_entry.h"

#include <cstring>
#include <exception>
#include <string>

#include "shell/cls_lmq_plugin.h"
#include "shell/plugin_module.h"

namespace {

// The module lives as long as the library, unless the host ends it first.
// It is deliberately not destroyed at exit: by then the host's platform
// services may already be gone.
tactolo::PluginModule* gModule = nullptr;

const TactoloLibraryInfo kInfo{"Tactolo", "Lumacue Tactolo", "Tactolo.clsLMQPlugIn"};

void setError(char* error, std::size_t errorSize, const std::string& message) {
  if (error == nullptr || errorSize == 0) return;
  std::strncpy(error, message.c_str(), errorSize - 1);
  error[errorSize - 1] = '\0';
}

}  // namespace

extern "C" {

const TactoloLibraryInfo* tactolo_library_info() { return &kInfo; }

int tactolo_create_object(const char* progId, const tactolo::PlatformServices* platform,
                          std::shared_ptr<tactolo::IclsLMQPlugIn>* object, char* error,
                          std::size_t errorSize) {
  try {
    if (object == nullptr) {
      setError(error, errorSize, "no place for the object");
      return 0;
    }
    if (progId == nullptr || std::strcmp(progId, kInfo.progId) != 0) {
      setError(error, errorSize, std::string("no class ") + (progId ? progId : "(null)"));
      return 0;
    }
    if (gModule == nullptr) {
      if (platform == nullptr || platform->clock == nullptr || platform->capture == nullptr ||
          platform->dialogs == nullptr) {
        setError(error, errorSize, "the first object needs a clock, a capture library and a dialog service");
        return 0;
      }
      gModule = new tactolo::PluginModule({*platform->clock, *platform->capture, *platform->dialogs});
    }
    *object = std::make_shared<tactolo::clsLMQPlugIn>(*gModule);
    return 1;
  } catch (const std::exception& e) {
    setError(error, errorSize, e.what());
    return 0;
  }
}

tactolo::PluginModule* tactolo_module() { return gModule; }

void tactolo_shutdown() {
  delete gModule;
  gModule = nullptr;
}
}
