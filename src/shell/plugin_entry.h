// The loadable library's C entry: what a host looks up with dlsym after
// dlopen("libtactolo-plugin.so"). It hands over the library's facts and a
// factory for its one creatable class; it holds no plug-in logic.
//
// The objects cross the boundary as the C++ interfaces of
// platform/host_interfaces.h; no exception crosses it.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/host_interfaces.h"

namespace tactolo {

class Clock;
class CaptureLibrary;
class DialogService;
class PluginModule;

/// The platform services the plug-in's logic runs on, provided by the
/// process that hosts it (a real clock and sound server live; a virtual clock
/// and scripted capture in tests). They must outlive the module: call
/// tactolo_shutdown() before destroying them.
struct PlatformServices {
  Clock* clock = nullptr;
  CaptureLibrary* capture = nullptr;
  DialogService* dialogs = nullptr;
};

}  // namespace tactolo

extern "C" {

struct TactoloLibraryInfo {
  const char* typeLibraryName;         // "Tactolo"
  const char* typeLibraryDescription;  // "Lumacue Tactolo"
  const char* progId;                  // "Tactolo.clsLMQPlugIn"
};

/// The library's facts.
const TactoloLibraryInfo* tactolo_library_info();

/// Creates an object of the class `progId`. The first successful call
/// creates the module state with `platform`, which is then kept for the
/// library's life (later calls may pass null). Returns 1 on success; 0 with a
/// message in `error` otherwise.
int tactolo_create_object(const char* progId, const tactolo::PlatformServices* platform,
                          std::shared_ptr<tactolo::IclsLMQPlugIn>* object, char* error,
                          std::size_t errorSize);

/// The module state, for hosts that inspect the plug-in (the script host);
/// null before the first object.
tactolo::PluginModule* tactolo_module();

/// Ends the module state: closes its windows and forgets the platform. A
/// later tactolo_create_object starts a fresh module.
void tactolo_shutdown();
}
