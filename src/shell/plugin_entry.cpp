// The library's C entry (platform/library_entry.h) over one LibraryState.
// Every function catches everything: no exception leaves the library.
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

#include "platform/library_entry.h"
#include "shell/library_state.h"
#include "vu/vu_files.h"

namespace {

tactolo::LibraryState gLibrary;

const TactoloLibraryInfo kInfo{tactolo::kInterfaceVersion, "Tactolo", "Lumacue Tactolo", tactolo::kProgId};

void setError(char* error, std::size_t errorSize, const std::string& message) {
  if (error == nullptr || errorSize == 0) return;
  std::strncpy(error, message.c_str(), errorSize - 1);
  error[errorSize - 1] = '\0';
}

/// Runs one entry: 1 when `body` returns, 0 with its message when it raises.
template <class Body>
int entry(char* error, std::size_t errorSize, Body&& body) {
  try {
    body();
    return 1;
  } catch (const std::exception& e) {
    setError(error, errorSize, e.what());
  } catch (...) {
    setError(error, errorSize, "unknown error");
  }
  return 0;
}

}  // namespace

extern "C" {

const TactoloLibraryInfo* tactolo_library_info() { return &kInfo; }

int tactolo_create_object(const char* progId, const tactolo::PlatformServices* platform,
                          std::shared_ptr<tactolo::IclsLMQPlugIn>* object, char* error,
                          std::size_t errorSize) {
  return entry(error, errorSize, [&] {
    if (object == nullptr) throw std::invalid_argument("no place for the object");
    *object = gLibrary.createObject(progId, platform);
  });
}

int tactolo_automation(std::shared_ptr<tactolo::IPluginAutomation>* automation, char* error,
                       std::size_t errorSize) {
  return entry(error, errorSize, [&] {
    if (automation == nullptr) throw std::invalid_argument("no place for the automation interface");
    *automation = gLibrary.automation();
  });
}

int tactolo_shutdown(char* error, std::size_t errorSize) {
  return entry(error, errorSize, [&] {
    if (auto failure = gLibrary.shutdown()) throw std::runtime_error(*failure);
  });
}

int tactolo_check_vuconf(const char* path, tactolo::VuConfigSummary* summary, char* error,
                         std::size_t errorSize) {
  return entry(error, errorSize, [&] {
    if (path == nullptr || summary == nullptr)
      throw std::invalid_argument("no file or no place for its summary");
    const tactolo::VuLayout layout = tactolo::ReadVuConfigFile(path);
    *summary = tactolo::VuConfigSummary{layout.VuName, layout.VuStereo, layout.VuSize};
  });
}
}
