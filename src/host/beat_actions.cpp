#include "host/beat_actions.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <stdexcept>
#include <string>

namespace tactolo::host {

namespace {

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

void checkChannels(const std::vector<ChannelValue>& channels, const std::string& what) {
  for (const ChannelValue& c : channels) {
    if (c.channel < 1 || c.channel > kMaxChannels) {
      throw std::invalid_argument(what + ": channel " + std::to_string(c.channel) + " is not in 1.." +
                                  std::to_string(kMaxChannels));
    }
    if (c.value < 0 || c.value > 255) {
      throw std::invalid_argument(what + ": value " + std::to_string(c.value) + " of channel " +
                                  std::to_string(c.channel) + " is not in 0..255");
    }
  }
}

/// `part` as a number from `min` to `max` in decimal digits only, else
/// std::invalid_argument naming `what` and the whole option value.
int flashNumber(std::string_view part, int min, int max, std::string_view what, std::string_view text) {
  bool valid = !part.empty();
  for (const char c : part) valid = valid && c >= '0' && c <= '9';
  int number = 0;
  if (valid) {
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), number);
    valid = error == std::errc() && number >= min && number <= max;
  }
  if (!valid) {
    throw std::invalid_argument("--flash: " + std::string(what) + " must be " + std::to_string(min) + ".." +
                                std::to_string(max) + ", not " + quoted(part) + " in " + quoted(text));
  }
  return number;
}

}  // namespace

void checkBeatAction(const BeatAction& action) {
  const bool flash = action.kind == BeatAction::Kind::Flash;
  const std::string what = flash ? "flash" : "chase";
  if (action.everyNth < 1 || action.everyNth > kMaxEveryNth) {
    throw std::invalid_argument(what + ": every " + std::to_string(action.everyNth) +
                                "th beat is not in 1.." + std::to_string(kMaxEveryNth));
  }
  if (flash) {
    if (action.channels.empty()) throw std::invalid_argument("flash: no channel to flash");
    if (action.holdMs < 1 || action.holdMs > kMaxHoldMs) {
      throw std::invalid_argument("flash: hold of " + std::to_string(action.holdMs) + " ms is not in 1.." +
                                  std::to_string(kMaxHoldMs));
    }
    checkChannels(action.channels, what);
  } else {
    if (action.steps.empty()) throw std::invalid_argument("chase: no step to show");
    for (const auto& step : action.steps) checkChannels(step, what);
  }
}

BeatAction parseFlashOption(std::string_view text) {
  const std::size_t slash = text.find('/');
  const std::string_view head = text.substr(0, slash);
  const std::size_t equals = head.find('=');
  std::string_view list = head.substr(0, equals);
  if (list.empty()) {
    throw std::invalid_argument("--flash: must be CH[,CH...][=VALUE][/HOLD_MS], not " + quoted(text));
  }
  BeatAction action;
  action.kind = BeatAction::Kind::Flash;
  const int value =
      equals == std::string_view::npos ? 255 : flashNumber(head.substr(equals + 1), 0, 255, "value", text);
  if (slash != std::string_view::npos) {
    action.holdMs = flashNumber(text.substr(slash + 1), 1, kMaxHoldMs, "hold (ms)", text);
  }
  for (;;) {
    const std::size_t comma = list.find(',');
    action.channels.push_back({flashNumber(list.substr(0, comma), 1, kMaxChannels, "channel", text), value});
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return action;
}

namespace {

/// `part` as a number from `min` to `max` in decimal digits only.
std::optional<int> entryNumber(std::string_view part, int min, int max) {
  if (part.empty() || part.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  int number = 0;
  const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), number);
  if (error != std::errc() || number < min || number > max) return std::nullopt;
  return number;
}

void addEntry(std::string_view entry, std::vector<ChannelValue>& channels) {
  const std::size_t equals = entry.find('=');
  const std::string_view span = entry.substr(0, equals);
  const std::size_t dash = span.find('-');
  const auto first = entryNumber(span.substr(0, dash), 1, kMaxChannels);
  const auto last =
      dash == std::string_view::npos ? first : entryNumber(span.substr(dash + 1), 1, kMaxChannels);
  const auto value = equals == std::string_view::npos ? std::optional<int>(255)
                                                      : entryNumber(entry.substr(equals + 1), 0, 255);
  if (!first || !last || *last < *first || !value) {
    throw std::invalid_argument(quoted(entry) + " is not CH=VALUE or FIRST-LAST=VALUE (channels 1.." +
                                std::to_string(kMaxChannels) + ", values 0..255)");
  }
  for (int channel = *first; channel <= *last; ++channel) channels.push_back({channel, *value});
}

}  // namespace

std::vector<ChannelValue> parseChannelValues(std::string_view text) {
  std::vector<ChannelValue> channels;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find_first_of(", \t", at), text.size());
    if (end > at) addEntry(text.substr(at, end - at), channels);
    at = end + 1;
  }
  return channels;
}

std::string channelValuesText(const std::vector<ChannelValue>& channels) {
  std::string text;
  for (std::size_t i = 0; i < channels.size();) {
    std::size_t last = i;
    while (last + 1 < channels.size() && channels[last + 1].channel == channels[last].channel + 1 &&
           channels[last + 1].value == channels[i].value) {
      ++last;
    }
    if (!text.empty()) text += ", ";
    text += std::to_string(channels[i].channel);
    if (last > i) text += "-" + std::to_string(channels[last].channel);
    text += "=" + std::to_string(channels[i].value);
    i = last + 1;
  }
  return text;
}

std::vector<std::vector<ChannelValue>> parseChaseSteps(std::string_view text) {
  std::vector<std::vector<ChannelValue>> steps;
  if (text.find_first_not_of(" \t") == std::string_view::npos) return steps;
  std::size_t at = 0;
  for (;;) {
    const std::size_t end = std::min(text.find(';', at), text.size());
    try {
      steps.push_back(parseChannelValues(text.substr(at, end - at)));
    } catch (const std::invalid_argument& e) {
      throw std::invalid_argument("step " + std::to_string(steps.size() + 1) + ": " + e.what());
    }
    if (end == text.size()) break;
    at = end + 1;
  }
  return steps;
}

std::string chaseStepsText(const std::vector<std::vector<ChannelValue>>& steps) {
  std::string text;
  for (std::size_t i = 0; i < steps.size(); ++i) text += (i == 0 ? "" : "; ") + channelValuesText(steps[i]);
  return text;
}

BeatActions::BeatActions(Clock& clock, DmxUniverses& universes, std::vector<BeatAction> actions)
    : universes_(universes) {
  for (const BeatAction& action : actions) checkBeatAction(action);
  actions_.resize(actions.size());
  for (std::size_t i = 0; i < actions.size(); ++i) {
    Running& running = actions_[i];
    running.action = std::move(actions[i]);
    if (running.action.kind != BeatAction::Kind::Flash) continue;
    running.hold = std::make_unique<Countdown>(clock, running.action.holdMs);
    running.hold->onExpire = [this, i] { endHold(actions_[i]); };
  }
}

BeatActions::~BeatActions() = default;

void BeatActions::onBeat(const BeatEvent& /*beat*/) {
  bool changed = false;
  for (Running& running : actions_) {
    const bool acts = running.beats % running.action.everyNth == 0;
    running.beats = (running.beats + 1) % running.action.everyNth;
    if (!acts) continue;
    changed = true;
    if (running.action.kind == BeatAction::Kind::Flash) {
      running.lit = true;
      running.hold->setEnabled(true);
      refresh(running.action.channels);
    } else {
      const auto& steps = running.action.steps;
      const int previous = running.step;
      running.step = (running.step + 1) % static_cast<int>(steps.size());
      if (previous >= 0) refresh(steps[static_cast<std::size_t>(previous)]);
      refresh(steps[static_cast<std::size_t>(running.step)]);
    }
  }
  if (changed) universes_.flush();
}

std::vector<BeatAction> BeatActions::actions() const {
  std::vector<BeatAction> given;
  for (const Running& running : actions_) given.push_back(running.action);
  return given;
}

void BeatActions::darken() {
  for (Running& running : actions_) {
    running.beats = 0;
    running.lit = false;
    running.step = -1;
    if (running.hold) running.hold->setEnabled(false);
  }
  for (const Running& running : actions_) {
    refresh(running.action.channels);
    for (const auto& step : running.action.steps) refresh(step);
  }
}

void BeatActions::endHold(Running& flash) {
  flash.lit = false;
  refresh(flash.action.channels);
  universes_.flush();
}

void BeatActions::refresh(const std::vector<ChannelValue>& channels) {
  for (const ChannelValue& c : channels) {
    int value = 0;
    for (const Running& running : actions_) value = std::max(value, contribution(running, c.channel));
    // A channel outside the universes is refused and warned about there.
    (void)universes_.set(DmxUniverses::Layer::Actions, c.channel, value);
  }
}

int BeatActions::contribution(const Running& running, int32_t channel) {
  const std::vector<ChannelValue>* shown = nullptr;
  if (running.action.kind == BeatAction::Kind::Flash) {
    if (running.lit) shown = &running.action.channels;
  } else if (running.step >= 0) {
    shown = &running.action.steps[static_cast<std::size_t>(running.step)];
  }
  int value = 0;
  if (shown) {
    for (const ChannelValue& c : *shown) {
      if (c.channel == channel) value = std::max(value, c.value);
    }
  }
  return value;
}

}  // namespace tactolo::host
