#include "shell/library_state.h"

#include <cstring>
#include <stdexcept>

#include "shell/cls_lmq_plugin.h"
#include "shell/live_module.h"
#include "shell/plugin_automation.h"

namespace tactolo {

namespace {
bool sameServices(const PlatformServices& a, const PlatformServices& b) {
  return a.clock == b.clock && a.capture == b.capture && a.dialogs == b.dialogs && a.colors == b.colors;
}
}  // namespace

LibraryState::LibraryState() = default;

LibraryState::~LibraryState() {
  // Deliberately not destroyed: destroying it would drop timers on a clock
  // that may be gone by now.
  if (live_) static_cast<void>(live_.release());
}

std::shared_ptr<IclsLMQPlugIn> LibraryState::createObject(const char* progId,
                                                          const PlatformServices* platform) {
  if (progId == nullptr || std::strcmp(progId, kProgId) != 0) {
    throw std::runtime_error(std::string("no class ") + (progId ? progId : "(null)"));
  }
  if (live_) {
    if (platform != nullptr && !sameServices(*platform, platform_)) {
      throw std::runtime_error(
          "the Tactolo module already runs on other platform services: shut the library down first");
    }
  } else {
    if (platform == nullptr || platform->clock == nullptr || platform->capture == nullptr ||
        platform->dialogs == nullptr) {
      throw std::runtime_error("the first object needs a clock, a capture library and a dialog service");
    }
    live_ = std::make_unique<LiveModule>(
        PluginEnvironment{*platform->clock, *platform->capture, *platform->dialogs,
                          platform->colors != nullptr ? *platform->colors : StandardSystemColors()});
    platform_ = *platform;
  }
  return std::make_shared<clsLMQPlugIn>(live_->slot());
}

std::shared_ptr<IPluginAutomation> LibraryState::automation() {
  if (!live_) throw std::runtime_error("no Tactolo module runs: create the plug-in object first");
  return std::make_shared<PluginAutomation>(live_->slot());
}

std::optional<std::string> LibraryState::shutdown() {
  if (!live_) return std::nullopt;
  if (live_->busy()) return "a call into the plug-in is still running: the library cannot shut down now";
  const std::vector<std::string> errors = live_->shutdown();
  live_.reset();
  platform_ = {};
  if (errors.empty()) return std::nullopt;
  std::string joined = "while closing the windows: ";
  for (std::size_t i = 0; i < errors.size(); ++i) joined += (i ? "; " : "") + errors[i];
  return joined;
}

}  // namespace tactolo
