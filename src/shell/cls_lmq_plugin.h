// clsLMQPlugIn: the object the host creates first. It keeps nothing itself
// but the slot of its module; everything lives in the module shared by the
// whole library.
#pragma once

#include <memory>

#include "platform/host_interfaces.h"
#include "shell/module_slot.h"

namespace tactolo {

/// The fixed identity of the module, reported by ModuleInfo.
constexpr const char* kModuleGuid = "{5d0c3a8e-7b41-4f2a-9e63-1c8b2f7d4a90}";
constexpr const char* kModuleAuthor = "The Tactolo developers";

class clsLMQPlugIn final : public IclsLMQPlugIn {
 public:
  explicit clsLMQPlugIn(std::shared_ptr<ModuleSlot> slot) : slot_(std::move(slot)) {}

  // ILMQPlugin
  HostResult<bool> Disable() override;
  HostResult<bool> Enable() override;
  HostResult<bool> Configure() override;
  HostResult<bool> Init(std::string& callingAppTitle, std::string& myFilename,
                        std::shared_ptr<ILMQPluginHelper> helper) override;
  HostResult<int32_t> MessageHandle(int32_t& msg, int32_t& arg1, int32_t& arg2) override;
  HostResult<std::string> PluginName() override;
  HostResult<bool> Term() override;

  // ILMQModule
  HostResult<std::shared_ptr<ModuleInformation>> ModuleInfo() override;

 private:
  std::shared_ptr<ModuleSlot> slot_;
};

}  // namespace tactolo
