// Where the objects handed to the host find their module.
//
// Every object the library hands out (the plug-in object, the main window's
// host interfaces, command servers, the automation interface) holds a shared
// ModuleSlot instead of a reference into the module. The slot leads to the
// live module until tactolo_shutdown() ends it; from then on every call on
// such an object fails with "the Tactolo library has been shut down" and
// touches nothing. A module started after that has a fresh slot, so the old
// objects stay ended.
#pragma once

#include <memory>
#include <stdexcept>

#include "module/plugin_module.h"

namespace tactolo {

class LiveModule;

/// The failure of every call on an object whose module has ended.
class LibraryShutDown : public std::runtime_error {
 public:
  LibraryShutDown() : std::runtime_error("the Tactolo library has been shut down") {}
};

class ModuleSlot {
 public:
  explicit ModuleSlot(LiveModule& live) : live_(&live) {}
  ModuleSlot(const ModuleSlot&) = delete;
  ModuleSlot& operator=(const ModuleSlot&) = delete;

  bool ended() const { return live_ == nullptr; }
  /// From now on the slot leads nowhere.
  void end() { live_ = nullptr; }

 private:
  friend class ModuleCall;
  LiveModule* live_;
};

/// One call into the module through a slot: it finds the module (or raises
/// LibraryShutDown) and counts as running until it returns, so that the
/// module is not ended under it.
class ModuleCall {
 public:
  explicit ModuleCall(const ModuleSlot& slot);
  ModuleCall(const ModuleCall&) = delete;
  ModuleCall& operator=(const ModuleCall&) = delete;

  LiveModule& live() const { return live_; }

 private:
  LiveModule& live_;
  PluginModule::Running running_;
};

}  // namespace tactolo
