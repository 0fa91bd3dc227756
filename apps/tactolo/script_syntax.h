// The syntax of `tactolo script` lines: arguments, control references,
// property paths and numbers. Everything here only reads text; a line that
// does not fit raises ScriptSyntaxError, which ends the script.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tactolo::app {

class ScriptSyntaxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// One argument of a line. `quoted` tells `cancel` from `"cancel"`.
struct Token {
  std::string text;
  bool quoted = false;
  bool operator==(const Token&) const = default;
};

/// True for a line that is skipped: empty, blanks only, or a comment (its
/// first character after leading blanks is '#').
bool isSkippedLine(std::string_view line);

/// Splits a line into arguments. Blanks (spaces, tabs) separate arguments; a
/// trailing carriage return is ignored. An argument that starts with a double
/// quote runs to the next lone double quote and may hold blanks; inside it a
/// doubled quote ("") stands for one. Refused: a quote that is never closed,
/// a closing quote followed by anything but a blank, a quote inside an
/// unquoted argument.
std::vector<Token> splitArguments(std::string_view line);

/// A control as scripts name it: `startButton`, or `freqOption(2)` for a
/// member of an indexed group (index -1: not in a group).
struct ControlRef {
  std::string name;
  int index = -1;
  bool operator==(const ControlRef&) const = default;
};
ControlRef parseControlRef(std::string_view text);
/// `freqOption(2)`, or the bare name for a control outside a group.
std::string toString(const ControlRef& ref);

/// The path of a `get`: FORM.CONTROL.PROPERTY or FORM.PROPERTY. The property
/// is lower-cased; `list(N)` and `itemdata(N)` carry their argument.
struct PropertyPath {
  std::string form;
  std::optional<ControlRef> control;
  std::string property;
  std::optional<int> argument;
};
PropertyPath parsePropertyPath(std::string_view text);

/// A decimal integer within [min, max]; `what` names it in the error.
int64_t parseInteger(std::string_view text, int64_t min, int64_t max, const std::string& what);
/// A 32-bit word in hexadecimal, with or without a leading 0x.
uint32_t parseHexWord(std::string_view text);

}  // namespace tactolo::app
