// A plug-in library built against another interface version than the host's:
// every entry is there, but a host must refuse it on the version alone,
// before it calls anything else.
#include <cstring>

#include "platform/library_entry.h"

namespace {
const TactoloLibraryInfo kInfo{tactolo::kInterfaceVersion + 1, "Tactolo", "Lumacue Tactolo",
                               tactolo::kProgId};

int refuse(char* error, std::size_t errorSize) {
  if (error != nullptr && errorSize > 0)
    std::strncpy(error, "called although its version differs", errorSize - 1);
  return 0;
}
}  // namespace

extern "C" {

const TactoloLibraryInfo* tactolo_library_info() { return &kInfo; }

int tactolo_create_object(const char*, const tactolo::PlatformServices*,
                          std::shared_ptr<tactolo::IclsLMQPlugIn>*, char* error, std::size_t errorSize) {
  return refuse(error, errorSize);
}

int tactolo_automation(std::shared_ptr<tactolo::IPluginAutomation>*, char* error, std::size_t errorSize) {
  return refuse(error, errorSize);
}

int tactolo_shutdown(char*, std::size_t) { return 1; }

int tactolo_check_vuconf(const char*, tactolo::VuConfigSummary*, char* error, std::size_t errorSize) {
  return refuse(error, errorSize);
}
}
