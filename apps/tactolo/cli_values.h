// Values of command-line options, checked as strictly as they are
// documented: `--gain 0..100` takes the digits of a number from 0 to 100 and
// nothing else.
#pragma once

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tactolo::app {

/// A refused option value; what() reads like "--gain: must be 0..100, not
/// '0x10'", with the value as given: whoever prints it escapes the message
/// to one line.
class OptionValueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Parses `text`, the value given to option `option` (named in messages,
/// "--max-bpm"), as a whole number from `min` to `max`, written in decimal
/// digits with a leading minus sign only when `min` is negative; or, when
/// `word` is not empty, as that word (such as "off"), which gives nullopt.
/// Anything else is refused with OptionValueError: an empty value, blanks,
/// a plus sign, a hexadecimal or other prefix, a fraction or an exponent, a
/// number out of range.
std::optional<long long> parseOptionValue(std::string_view option, std::string_view text, long long min,
                                          long long max, std::string_view word = {});

/// Parses `text` as a time in seconds from 0 to `maxSeconds`: decimal digits
/// with at most three after a decimal point ("8", "8.5", "8.125"); gives
/// milliseconds. Anything else is refused with OptionValueError, as in
/// "--keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '1e3'".
long long parseOptionMilliseconds(std::string_view option, std::string_view text, long long maxSeconds);

/// The position of `text` among `choices` (compared exactly, as written:
/// "hihat", "16"). Anything else is refused with OptionValueError, as in
/// "--band: must be bass, hihat or both, not 'Bass'".
std::size_t parseOptionChoice(std::string_view option, std::string_view text,
                              std::initializer_list<std::string_view> choices);

}  // namespace tactolo::app
