#include "shell/window_placement.h"

#include <cctype>
#include <charconv>
#include <cstdlib>

#include "module/host_services.h"
#include "platform/control_model.h"
#include "platform/numbers.h"

namespace tactolo {

namespace {

/// True for a decimal number: sign, digits with an optional fraction (at
/// least one digit), optional exponent.
bool isDecimalNumber(const std::string& text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

}  // namespace

std::string SingleToText(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

std::optional<int16_t> ParseInt16(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const auto last = text.find_last_not_of(" \t");
  const std::string trimmed = text.substr(first, last - first + 1);
  if (!isDecimalNumber(trimmed)) return std::nullopt;
  const double rounded = RoundHalfEven(std::strtod(trimmed.c_str(), nullptr));
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) return std::nullopt;
  return static_cast<int16_t>(rounded);
}

void SaveWindowPlacement(Form& window, HostSettings& settings) {
  window.setScaleMode(ScaleMode::Pixels);
  if (window.windowState() != 0) return;
  settings.WriteValue(window.name() + "_L", SingleToText(static_cast<float>(window.left())));
  settings.WriteValue(window.name() + "_T", SingleToText(static_cast<float>(window.top())));
}

void LoadWindowPlacement(Form& window, HostSettings& settings) {
  window.setScaleMode(ScaleMode::Pixels);
  // Any failure ends the restore quietly: a project without a position, or
  // with one from another screen, leaves the window where it is.
  try {
    const std::string leftText = settings.ReadValue(window.name() + "_L", "");
    const std::string topText = settings.ReadValue(window.name() + "_T", "");
    const auto left = ParseInt16(leftText);
    if (!left) return;
    window.setLeft(*left);
    const auto top = ParseInt16(topText);
    if (!top) return;
    window.setTop(*top);
  } catch (const std::exception&) {
  }
}

}  // namespace tactolo
