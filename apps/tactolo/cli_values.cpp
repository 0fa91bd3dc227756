#include "cli_values.h"

#include <charconv>

namespace tactolo::app {

std::optional<long long> parseOptionValue(std::string_view option, std::string_view text, long long min,
                                          long long max, std::string_view word) {
  if (!word.empty() && text == word) return std::nullopt;
  const bool negative = !text.empty() && text.front() == '-';
  const std::string_view digits = negative ? text.substr(1) : text;
  // from_chars alone would take a minus sign anywhere and stop at the first
  // character that is not a digit; every character must be one.
  bool valid = !digits.empty() && (!negative || min < 0);
  for (const char c : digits) valid = valid && c >= '0' && c <= '9';
  long long value = 0;
  if (valid) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    valid = error == std::errc() && end == text.data() + text.size() && value >= min && value <= max;
  }
  if (!valid) {
    std::string expected = std::to_string(min) + ".." + std::to_string(max);
    if (!word.empty()) expected += " or " + std::string(word);
    throw OptionValueError(std::string(option) + ": must be " + expected + ", not '" + std::string(text) +
                           "'");
  }
  return value;
}

long long parseOptionMilliseconds(std::string_view option, std::string_view text, long long maxSeconds) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  bool valid =
      !whole.empty() && (point == std::string_view::npos || !fraction.empty()) && fraction.size() <= 3;
  for (const char c : whole) valid = valid && c >= '0' && c <= '9';
  for (const char c : fraction) valid = valid && c >= '0' && c <= '9';
  long long seconds = 0;
  if (valid) {
    const auto [end, error] = std::from_chars(whole.data(), whole.data() + whole.size(), seconds);
    valid = error == std::errc() && end == whole.data() + whole.size() && seconds <= maxSeconds;
  }
  long long milliseconds = 0;
  for (std::size_t i = 0; i < 3; ++i)
    milliseconds = milliseconds * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
  if (valid) valid = seconds < maxSeconds || milliseconds == 0;
  if (!valid) {
    throw OptionValueError(std::string(option) + ": must be seconds from 0 to " + std::to_string(maxSeconds) +
                           " (at most 3 decimals), not '" + std::string(text) + "'");
  }
  return seconds * 1000 + milliseconds;
}

std::size_t parseOptionChoice(std::string_view option, std::string_view text,
                              std::initializer_list<std::string_view> choices) {
  std::size_t position = 0;
  std::string expected;
  for (const std::string_view choice : choices) {
    if (text == choice) return position;
    ++position;
    expected += position == 1 ? "" : position == choices.size() ? " or " : ", ";
    expected += choice;
  }
  throw OptionValueError(std::string(option) + ": must be " + expected + ", not '" + std::string(text) + "'");
}

}  // namespace tactolo::app
