#include "host/dmx_universes.h"

#include <algorithm>
#include <stdexcept>

namespace tactolo::host {

namespace {

/// Channel numbers warned about, at most; a plug-in that writes ever new
/// wrong channels gets one last warning instead of a growing list.
constexpr std::size_t kMaxWarnedChannels = 256;

}  // namespace

namespace {

void checkUniverses(int universes) {
  if (universes < 1 || universes > kMaxUniverses) {
    throw std::invalid_argument("the DMX output carries 1.." + std::to_string(kMaxUniverses) +
                                " universes, not " + std::to_string(universes));
  }
}

}  // namespace

bool repeatsDmxWarning(const std::string& error) {
  return error.rfind("Host call MyStream.SetChannel failed: ", 0) == 0 ||
         error.rfind("Host call MyStream.UserInteraction failed: ", 0) == 0;
}

DmxUniverses::DmxUniverses(int universes, DmxOutput& output, Warn warn)
    : output_(&output), warn_(std::move(warn)) {
  checkUniverses(universes);
  const auto count = static_cast<std::size_t>(universes);
  for (auto& layer : layers_) layer.assign(count * kDmxChannels, 0);
  merged_.assign(count, DmxFrame{});
  flushed_.assign(count, DmxFrame{});
  // The first flush hands every universe over.
  changed_.assign(count, 1);
}

void DmxUniverses::reconfigure(int universes, DmxOutput& output) {
  checkUniverses(universes);
  const auto count = static_cast<std::size_t>(universes);
  for (auto& layer : layers_) layer.resize(count * kDmxChannels, 0);
  merged_.resize(count, DmxFrame{});
  // The observer hears of the channels of added universes only when they
  // light; the output gets every universe anew.
  flushed_.resize(count, DmxFrame{});
  changed_.assign(count, 1);
  anyChanged_ = true;
  published_ = false;
  output_ = &output;
  warned_.clear();
}

HostStatus DmxUniverses::UserInteraction() { return hostOk(); }

HostStatus DmxUniverses::SetChannel(int32_t channel, int32_t value, bool /*flag*/) {
  return set(Layer::Plugin, channel, value);
}

HostStatus DmxUniverses::set(Layer layer, int32_t channel, int32_t value) {
  if (channel < 1 || channel > channels()) {
    return refuse(channel, "refused DMX channel " + std::to_string(channel) +
                               ": the output has channels 1.." + std::to_string(channels()) + " (" +
                               std::to_string(universes()) +
                               (universes() == 1 ? " universe)" : " universes)"));
  }
  if (value < 0 || value > 255) {
    return refuse(channel, "refused DMX value " + std::to_string(value) + " for channel " +
                               std::to_string(channel) + ": values are 0..255");
  }
  const auto at = static_cast<std::size_t>(channel - 1);
  layers_[static_cast<std::size_t>(layer)][at] = static_cast<uint8_t>(value);
  const uint8_t merged = std::max(layers_[0][at], layers_[1][at]);
  const std::size_t universe = at / kDmxChannels;
  uint8_t& slot = merged_[universe][at % kDmxChannels];
  if (slot != merged) {
    slot = merged;
    changed_[universe] = 1;
    anyChanged_ = true;
  }
  return hostOk();
}

HostStatus DmxUniverses::refuse(int32_t channel, std::string message) {
  if (warned_.size() < kMaxWarnedChannels) {
    if (warned_.insert(channel).second && warn_) warn_(message);
  } else if (warned_.size() == kMaxWarnedChannels && warned_.count(channel) == 0) {
    warned_.insert(channel);
    if (warn_) warn_(message + " (further refused channels are not reported)");
  }
  return HostStatus::failure(std::move(message));
}

uint8_t DmxUniverses::value(int32_t channel) const {
  if (channel < 1 || channel > channels()) return 0;
  const auto at = static_cast<std::size_t>(channel - 1);
  return merged_[at / kDmxChannels][at % kDmxChannels];
}

void DmxUniverses::flush() {
  if (!anyChanged_) return;
  anyChanged_ = false;
  for (std::size_t universe = 0; universe < merged_.size(); ++universe) {
    if (!changed_[universe]) continue;
    changed_[universe] = 0;
    const DmxFrame& now = merged_[universe];
    DmxFrame& before = flushed_[universe];
    bool differs = false;
    for (std::size_t slot = 0; slot < now.size(); ++slot) {
      if (now[slot] == before[slot]) continue;
      differs = true;
      before[slot] = now[slot];
      if (observer_) observer_(static_cast<int32_t>(universe * kDmxChannels + slot + 1), now[slot]);
    }
    // Each universe goes out once at the first flush, even all dark.
    if (differs || !published_) output_->publish(static_cast<int>(universe), now);
  }
  published_ = true;
}

}  // namespace tactolo::host
