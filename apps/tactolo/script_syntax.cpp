#include "script_syntax.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tactolo::app {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

/// A name followed by an optional "(N)".
std::pair<std::string, std::optional<int>> nameWithIndex(std::string_view text, const char* what) {
  std::size_t end = 0;
  while (end < text.size() && isNameChar(text[end])) ++end;
  if (end == 0) throw ScriptSyntaxError(std::string("expected a ") + what + ", not " + quoted(text));
  std::string name(text.substr(0, end));
  if (end == text.size()) return {name, std::nullopt};
  if (text[end] != '(' || text.back() != ')' || text.size() < end + 3) {
    throw ScriptSyntaxError(std::string("expected a ") + what + " like name or name(2), not " + quoted(text));
  }
  const std::string_view digits = text.substr(end + 1, text.size() - end - 2);
  const auto index = parseInteger(digits, 0, 32767, std::string("the index in ") + quoted(text));
  return {name, static_cast<int>(index)};
}

}  // namespace

bool isSkippedLine(std::string_view line) {
  const auto first =
      std::find_if_not(line.begin(), line.end(), [](char c) { return isBlank(c) || c == '\r'; });
  return first == line.end() || *first == '#';
}

std::vector<Token> splitArguments(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i == line.size()) break;
    Token token;
    if (line[i] == '"') {
      token.quoted = true;
      ++i;
      while (true) {
        if (i == line.size()) throw ScriptSyntaxError("missing closing quote");
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            token.text += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        token.text += line[i++];
      }
      if (i < line.size() && !isBlank(line[i]))
        throw ScriptSyntaxError("a blank must follow a closing quote");
    } else {
      while (i < line.size() && !isBlank(line[i])) {
        if (line[i] == '"') throw ScriptSyntaxError("a quote inside an argument: quote the whole argument");
        token.text += line[i++];
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

ControlRef parseControlRef(std::string_view text) {
  auto [name, index] = nameWithIndex(text, "control");
  return ControlRef{name, index.value_or(-1)};
}

std::string toString(const ControlRef& ref) {
  return ref.index < 0 ? ref.name : ref.name + "(" + std::to_string(ref.index) + ")";
}

PropertyPath parsePropertyPath(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = text.find('.', start);
    parts.push_back(text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) {
    throw ScriptSyntaxError("expected FORM.CONTROL.PROPERTY or FORM.PROPERTY, not " + quoted(text));
  }
  PropertyPath path;
  auto [form, formIndex] = nameWithIndex(parts[0], "form");
  if (formIndex) throw ScriptSyntaxError("a form has no index: " + quoted(parts[0]));
  path.form = form;
  if (parts.size() == 3) path.control = parseControlRef(parts[1]);
  auto [property, argument] = nameWithIndex(parts.back(), "property");
  path.property = lower(property);
  path.argument = argument;
  const bool takesArgument = path.property == "list" || path.property == "itemdata";
  if (takesArgument != path.argument.has_value()) {
    throw ScriptSyntaxError(takesArgument
                                ? path.property + " needs an entry number, as in " + path.property + "(0)"
                                : path.property + " takes no entry number");
  }
  return path;
}

int64_t parseInteger(std::string_view text, int64_t min, int64_t max, const std::string& what) {
  int64_t value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  if (text.empty() || error != std::errc() || end != last || value < min || value > max) {
    throw ScriptSyntaxError(what + " must be a whole number from " + std::to_string(min) + " to " +
                            std::to_string(max) + ", not " + quoted(text));
  }
  return value;
}

uint32_t parseHexWord(std::string_view text) {
  std::string_view digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    digits.remove_prefix(2);
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    throw ScriptSyntaxError("expected a 32-bit hexadecimal word such as 0x02040000, not " + quoted(text));
  }
  return value;
}

}  // namespace tactolo::app
