// The plug-in library's C entry, as a host sees it: what it looks up with
// dlsym after dlopen("libtactolo-plugin.so"). The library exports these five
// functions and nothing else.
//
// Only abstract interfaces and plain data cross the boundary: the host's
// objects (platform services, helper object) are called through their
// interfaces, the plug-in's objects (host_interfaces.h, automation.h) the
// same way; no exception crosses it in either direction.
//
// Lifetime: every object the library hands out stays valid to call until the
// host releases it, also after tactolo_shutdown(); from then on each call
// answers the failure "the Tactolo library has been shut down". Release them
// all before closing the library (dlclose).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/automation.h"
#include "platform/host_interfaces.h"

namespace tactolo {

class Clock;
class CaptureLibrary;  // audio/capture_library.h
class DialogService;
class SystemColors;  // platform/control_model.h

/// The platform services the plug-in's logic runs on, provided by the
/// process that hosts it (a real clock and sound server live; a virtual clock
/// and scripted capture in tests). They must outlive the module: call
/// tactolo_shutdown() before destroying them.
struct PlatformServices {
  Clock* clock = nullptr;
  CaptureLibrary* capture = nullptr;
  DialogService* dialogs = nullptr;
  /// The desktop's current system colours (a window toolkit's palette); null
  /// for the standard ones of the control model.
  const SystemColors* colors = nullptr;
};

/// The version of everything that crosses the boundary: these functions,
/// the interfaces of host_interfaces.h and automation.h, the platform
/// services' interfaces (Clock, ClockClient, CaptureLibrary, DialogService,
/// SystemColors) and the plain data they carry. A change to any of them
/// raises it; a host refuses a library that reports another version.
/// (Version 1 was the entry before it carried a version; version 3 added the
/// text box, the modal wait, the file dialog's filter index and the VU file
/// check; version 4 the views: form and control descriptions, the form
/// observer, the window's move and state, and the system colours.)
constexpr uint32_t kInterfaceVersion = 4;

/// What a VU configuration file holds, as far as a user checking it needs.
struct VuConfigSummary {
  std::string name;  // the configuration's name, UTF-8
  bool stereo = true;
  int32_t size = 0;  // points per row
};

/// The library's one creatable class.
constexpr const char* kProgId = "Tactolo.clsLMQPlugIn";

}  // namespace tactolo

/// Marks the five functions the library exports; everything else in it is
/// hidden.
#define TACTOLO_ENTRY __attribute__((visibility("default")))

extern "C" {

struct TactoloLibraryInfo {
  /// The library's kInterfaceVersion. It stays the first field in every
  /// version, so that any host can read it.
  uint32_t interfaceVersion;
  const char* typeLibraryName;         // "Tactolo"
  const char* typeLibraryDescription;  // "Lumacue Tactolo"
  const char* progId;                  // "Tactolo.clsLMQPlugIn"
};

/// The library's facts.
TACTOLO_ENTRY const TactoloLibraryInfo* tactolo_library_info();

/// Creates an object of the class `progId`. The first call (and the first
/// after tactolo_shutdown) starts a module on `platform`; while it lives,
/// later calls may pass the same services or null, and are refused when they
/// pass others. Returns 1 on success; 0 with a message in `error` otherwise.
TACTOLO_ENTRY int tactolo_create_object(const char* progId, const tactolo::PlatformServices* platform,
                                        std::shared_ptr<tactolo::IclsLMQPlugIn>* object, char* error,
                                        std::size_t errorSize);

/// The automation interface of the live module (automation.h). Returns 1 on
/// success; 0 with a message in `error` when no module lives.
TACTOLO_ENTRY int tactolo_automation(std::shared_ptr<tactolo::IPluginAutomation>* automation, char* error,
                                     std::size_t errorSize);

/// Ends the module: runs the close handlers of the loaded windows, then
/// forgets the module and its platform services. Objects handed out before
/// fail from now on; a later tactolo_create_object starts a fresh module.
/// Returns 1; 0 with a message in `error` when a close handler raised an
/// error (the module has ended all the same) or when a call into the plug-in
/// is still running (nothing has ended then).
TACTOLO_ENTRY int tactolo_shutdown(char* error, std::size_t errorSize);

/// Reads the VU configuration file at `path` with the plug-in's own reader,
/// checking every line, and describes it in `summary`. Needs no module.
/// Returns 1 when the file reads; 0 with the reason in `error` otherwise.
TACTOLO_ENTRY int tactolo_check_vuconf(const char* path, tactolo::VuConfigSummary* summary, char* error,
                                       std::size_t errorSize);
}
