#include "shell/window_placement.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "mainwindow/numbers.h"
#include "platform/control_model.h"
#include "shell/host_services.h"

namespace tactolo {

std::string SingleToText(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::optional<int16_t> ParseInt16(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const auto last = text.find_last_not_of(" \t");
  const std::string trimmed = text.substr(first, last - first + 1);
  char* end = nullptr;
  const double value = std::strtod(trimmed.c_str(), &end);
  if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(value)) return std::nullopt;
  const double rounded = RoundHalfEven(value);
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return static_cast<int16_t>(rounded);
}

void SaveWindowPlacement(Form& window, HostSettings& settings) {
  if (window.windowState() != 0) return;
  settings.WriteValue(window.name() + "_L", SingleToText(static_cast<float>(window.left())));
  settings.WriteValue(window.name() + "_T", SingleToText(static_cast<float>(window.top())));
}

void LoadWindowPlacement(Form& window, HostSettings& settings) {
  // Any failure ends the restore quietly: a project without a position, or
  // with one from another screen, leaves the window where it is.
  try {
    const auto left = ParseInt16(settings.ReadValue(window.name() + "_L", ""));
    if (!left) return;
    window.setLeft(*left);
    const auto top = ParseInt16(settings.ReadValue(window.name() + "_T", ""));
    if (!top) return;
    window.setTop(*top);
  } catch (const std::exception&) {
  }
}

}  // namespace tactolo
