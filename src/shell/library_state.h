// What the library's C entry keeps between calls: the live module, if any,
// and the platform services it runs on. plugin_entry.cpp wraps one instance
// of it in the C functions of platform/library_entry.h.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/library_entry.h"

namespace tactolo {

class LiveModule;

class LibraryState {
 public:
  LibraryState();
  /// A module the host did not shut down is left as it is, neither closed
  /// nor freed: its platform services may already be gone.
  ~LibraryState();
  LibraryState(const LibraryState&) = delete;
  LibraryState& operator=(const LibraryState&) = delete;

  /// A new object of class `progId` (tactolo_create_object). Starts a module
  /// on `platform` when none lives; while one lives, `platform` must be null
  /// or the same services. std::runtime_error with the reason otherwise.
  std::shared_ptr<IclsLMQPlugIn> createObject(const char* progId, const PlatformServices* platform);
  /// The automation interface of the live module; std::runtime_error when
  /// none lives.
  std::shared_ptr<IPluginAutomation> automation();
  /// Ends the live module (tactolo_shutdown): its close handlers run, and the
  /// objects handed out fail from now on. Returns the errors the handlers
  /// raised, joined; the module has ended all the same. Refuses (returns the
  /// reason, ends nothing) while the module's code runs: a host call, a
  /// clock event, or the close handlers of a shutdown already under way.
  std::optional<std::string> shutdown();
  bool hasModule() const { return live_ != nullptr; }

 private:
  std::unique_ptr<LiveModule> live_;
  PlatformServices platform_{};
};

}  // namespace tactolo
