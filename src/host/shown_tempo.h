// The tempo the main window shows, read from bpmLabel's caption for the
// outputs that pass it on as a number (OSC, Link).
#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace tactolo::host {

/// The caption as a number of beats per minute: the whole caption must be a
/// finite decimal number ("120", "97.5"). Anything else (empty, "---",
/// "120 BPM") is not a tempo.
inline std::optional<double> shownTempo(std::string_view caption) {
  double bpm = 0.0;
  const char* end = caption.data() + caption.size();
  const auto [stop, error] = std::from_chars(caption.data(), end, bpm, std::chars_format::fixed);
  if (caption.empty() || error != std::errc{} || stop != end || !std::isfinite(bpm)) return std::nullopt;
  return bpm;
}

}  // namespace tactolo::host
