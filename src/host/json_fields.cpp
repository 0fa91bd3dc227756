#include "host/json_fields.h"

#include <algorithm>

#include "host/stored_file.h"

namespace tactolo::host {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

bool isPlainName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
}

/// The place of member `name` inside the place `where`: "outputs.sacn", or
/// settings["a key"] for a name that is not a plain word.
std::string memberPlace(const std::string& where, std::string_view name) {
  if (!isPlainName(name))
    return where + "[" + Json(std::string(name)).dump(-1, ' ', false, Json::error_handler_t::replace) + "]";
  return where.empty() ? std::string(name) : where + "." + std::string(name);
}

/// Builds the document from the parser's events, refusing a member that
/// appears twice and keeping the place of a damage.
class DocumentBuilder final : public nlohmann::json_sax<Json> {
 public:
  bool null() override { return put(Json(nullptr)); }
  bool boolean(bool value) override { return put(Json(value)); }
  bool number_integer(number_integer_t value) override { return put(Json(value)); }
  bool number_unsigned(number_unsigned_t value) override { return put(Json(value)); }
  bool number_float(number_float_t value, const string_t& /*text*/) override { return put(Json(value)); }
  bool string(string_t& value) override { return put(Json(std::move(value))); }
  bool binary(binary_t& value) override { return put(Json::binary(std::move(value))); }
  bool start_object(std::size_t /*size*/) override { return open(Json::object()); }
  bool key(string_t& name) override {
    Level& level = open_.back();
    if (level.value->contains(name)) {
      duplicate = memberPlace(openPlace(), name);
      return false;
    }
    level.key = std::move(name);
    return true;
  }
  bool end_object() override { return close(); }
  bool start_array(std::size_t /*size*/) override { return open(Json::array()); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t position, const std::string& /*token*/,
                   const nlohmann::detail::exception& error) override {
    errorPosition = position;
    errorText = error.what();
    return false;
  }

  Json document;
  std::optional<size_t> errorPosition;
  std::string errorText;
  std::string duplicate;

 private:
  struct Level {
    Json* value;
    std::string key;
  };

  /// The place of the object being built, for the message on a duplicate.
  std::string openPlace() const {
    std::string where;
    for (size_t i = 0; i + 1 < open_.size(); ++i) {
      const Level& level = open_[i];
      if (level.value->is_object()) {
        where = memberPlace(where, level.key);
      } else {
        where += "[" + std::to_string(level.value->size() - 1) + "]";
      }
    }
    return where;
  }

  /// Puts a value where the parser is: the document, the open array, or the
  /// member just named. Returns where it went.
  Json* place(Json value) {
    if (open_.empty()) {
      document = std::move(value);
      return &document;
    }
    Json& parent = *open_.back().value;
    if (parent.is_array()) {
      parent.push_back(std::move(value));
      return &parent.back();
    }
    return &(parent[open_.back().key] = std::move(value));
  }
  bool put(Json value) {
    place(std::move(value));
    return true;
  }
  bool open(Json container) {
    open_.push_back({place(std::move(container)), {}});
    return true;
  }
  bool close() {
    open_.pop_back();
    return true;
  }

  std::vector<Level> open_;
};

/// The parser's message without its "[json.exception...] parse error at line
/// L, column C: " prefix (the line and column are given separately).
std::string parserMessage(const std::string& what) {
  std::string message = what;
  if (const size_t bracket = message.find("] "); message.starts_with("[") && bracket != std::string::npos) {
    message.erase(0, bracket + 2);
  }
  if (message.starts_with("parse error")) {
    if (const size_t colon = message.find(": "); colon != std::string::npos) message.erase(0, colon + 2);
  }
  return message;
}

std::string describe(const Json& value) {
  if (value.is_string() || value.is_number() || value.is_boolean() || value.is_null()) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
  }
  return std::string("an ") + value.type_name();
}

std::string kindOf(const Json& value) {
  if (value.is_number_integer()) return "a whole number";
  if (value.is_number()) return "a number";
  if (value.is_string()) return "text";
  if (value.is_boolean()) return "true or false";
  if (value.is_null()) return "null";
  return std::string("an ") + value.type_name();
}

}  // namespace

bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    uint32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if (!isContinuation(byte)) return false;
      code = (code << 6) | (byte & 0x3F);
    }
    const uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::string EncodeText(std::string_view text) {
  if (IsUtf8(text) && !text.starts_with('\0')) return std::string(text);
  std::string encoded(1, '\0');
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    encoded += kHexDigits[byte >> 4];
    encoded += kHexDigits[byte & 0x0F];
  }
  return encoded;
}

std::optional<std::string> DecodeText(std::string_view encoded) {
  if (!encoded.starts_with('\0')) return std::string(encoded);
  encoded.remove_prefix(1);
  if (encoded.size() % 2 != 0) return std::nullopt;
  std::string text;
  for (size_t i = 0; i < encoded.size(); i += 2) {
    const int high = hexValue(encoded[i]);
    const int low = hexValue(encoded[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    text += static_cast<char>(high * 16 + low);
  }
  return text;
}

Json ParseJsonDocument(std::string_view text, const std::string& path) {
  DocumentBuilder builder;
  if (Json::sax_parse(text, &builder)) return std::move(builder.document);
  if (!builder.duplicate.empty()) throw StoreError(path + ": " + builder.duplicate + ": appears twice");
  // The parser counts the bytes read up to the one that broke the document,
  // which is one past the end when the document is cut short.
  const size_t offset = std::min(builder.errorPosition.value_or(1) - 1, text.size());
  const std::string_view before = text.substr(0, offset);
  const size_t lineStart = before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
  const size_t line = 1 + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::string_view inLine = before.substr(lineStart);
  const size_t column = 1 + static_cast<size_t>(std::count_if(inLine.begin(), inLine.end(), [](char c) {
                          return !isContinuation(static_cast<unsigned char>(c));
                        }));
  throw StoreError(path + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " +
                   parserMessage(builder.errorText));
}

void JsonField::refuse(const std::string& why) const {
  throw FieldError((where_.empty() ? std::string("the document") : where_) + ": " + why);
}

std::string JsonField::inside(std::string_view name) const { return memberPlace(where_, name); }

void JsonField::requireObject() const {
  if (!value_.is_object()) refuse("must be an object, not " + kindOf(value_));
}

void JsonField::requireObject(std::initializer_list<std::string_view> known) const {
  requireObject();
  for (const auto& [name, value] : value_.items()) {
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      JsonField(value, inside(name)).refuse("is not a member Tactolo knows");
    }
  }
}

std::optional<JsonField> JsonField::member(std::string_view name) const {
  const auto found = value_.find(name);
  if (found == value_.end()) return std::nullopt;
  return JsonField(*found, inside(name));
}

JsonField JsonField::required(std::string_view name) const {
  std::optional<JsonField> found = member(name);
  if (!found) JsonField(value_, inside(name)).refuse("missing");
  return *found;
}

std::vector<std::pair<std::string, JsonField>> JsonField::members() const {
  requireObject();
  std::vector<std::pair<std::string, JsonField>> result;
  for (const auto& [name, value] : value_.items()) {
    JsonField field(value, inside(name));
    std::optional<std::string> decoded = DecodeText(name);
    if (!decoded) field.refuse("the name is not an escaped text (U+0000 and pairs of hexadecimal digits)");
    result.emplace_back(std::move(*decoded), std::move(field));
  }
  return result;
}

std::vector<JsonField> JsonField::elements() const {
  if (!value_.is_array()) refuse("must be an array, not " + kindOf(value_));
  std::vector<JsonField> result;
  for (size_t i = 0; i < value_.size(); ++i)
    result.emplace_back(value_[i], where_ + "[" + std::to_string(i) + "]");
  return result;
}

int64_t JsonField::integer(int64_t low, int64_t high) const {
  const std::string range = " is not in " + std::to_string(low) + ".." + std::to_string(high);
  if (value_.is_number_unsigned()) {
    const auto value = value_.get<uint64_t>();
    if (value > static_cast<uint64_t>(high)) refuse(describe(value_) + range);
    if (low >= 0 && value < static_cast<uint64_t>(low)) refuse(describe(value_) + range);
    return static_cast<int64_t>(value);
  }
  if (value_.is_number_integer()) {
    const auto value = value_.get<int64_t>();
    if (value < low || value > high) refuse(describe(value_) + range);
    return value;
  }
  if (value_.is_number()) refuse(describe(value_) + " is not a whole number");
  refuse("must be a whole number, not " + kindOf(value_));
}

bool JsonField::boolean() const {
  if (!value_.is_boolean()) refuse("must be true or false, not " + kindOf(value_));
  return value_.get<bool>();
}

std::string JsonField::text() const {
  if (!value_.is_string()) refuse("must be text, not " + kindOf(value_));
  std::optional<std::string> decoded = DecodeText(value_.get_ref<const std::string&>());
  if (!decoded) refuse("is not an escaped text (U+0000 and pairs of hexadecimal digits)");
  return std::move(*decoded);
}

size_t JsonField::choice(std::span<const std::string_view> names) const {
  const std::string given = text();
  const auto found = std::find(names.begin(), names.end(), given);
  if (found != names.end()) return static_cast<size_t>(found - names.begin());
  std::string list;
  for (const std::string_view name : names) list += (list.empty() ? "" : ", ") + std::string(name);
  refuse(describe(value_) + " is not one of " + list);
}

void RequireFormat(const JsonField& top, int newest) {
  top.requireObject();
  const JsonField format = top.required("format");
  // Whole numbers above zero read as unsigned.
  if (format.value().is_number_unsigned() && format.value().get<uint64_t>() > static_cast<uint64_t>(newest)) {
    throw FieldError("written by a newer Tactolo (format " + format.value().dump() +
                     "; this one reads up to " + std::to_string(newest) + ")");
  }
  format.integer(1, newest);
}

}  // namespace tactolo::host
