// Reading and writing the host's JSON files: parsing with the place of a
// damage, texts of any bytes, and fields checked with their place in the
// document, so that every refusal says where and why.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tactolo::host {

/// Members keep the order in which they were written.
using Json = nlohmann::ordered_json;

/// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates,
/// nothing above U+10FFFF).
bool IsUtf8(std::string_view text);

/// A text as a JSON string, losslessly for any bytes: a text that is
/// well-formed UTF-8 and does not begin with U+0000 is written as it is; any
/// other text is written as U+0000 followed by its bytes in hexadecimal, two
/// lower-case digits each ("\u0000ff41" holds the bytes FF 41).
std::string EncodeText(std::string_view text);

/// The text that EncodeText wrote; nothing when `encoded` begins with U+0000
/// and what follows is not pairs of hexadecimal digits.
std::optional<std::string> DecodeText(std::string_view encoded);

/// Parses a whole document. A damage is refused with a StoreError
/// "PATH:LINE:COLUMN: what is wrong" (both counted from 1, the column in
/// characters), and a member that appears twice in one object with
/// "PATH: WHERE: appears twice".
Json ParseJsonDocument(std::string_view text, const std::string& path);

/// A refusal of one field; the message starts with the field's place in the
/// document ("outputs.sacn.priority: 300 is not in 0..200"). Readers of a file
/// put its path in front.
class FieldError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// One value of a document with its place there, for checked reading.
class JsonField {
 public:
  /// The document's top; its place reads as "the document".
  explicit JsonField(const Json& value) : value_(value) {}
  JsonField(const Json& value, std::string where) : value_(value), where_(std::move(where)) {}

  const std::string& where() const { return where_; }
  const Json& value() const { return value_; }

  /// Refuses with this field's place in front of `why`.
  [[noreturn]] void refuse(const std::string& why) const;

  /// Refuses anything but an object.
  void requireObject() const;
  /// Refuses anything but an object, and an object with a member not in
  /// `known` (a misspelt name would otherwise be dropped without a word).
  void requireObject(std::initializer_list<std::string_view> known) const;
  /// The member `name` of this object, if it has one.
  std::optional<JsonField> member(std::string_view name) const;
  /// The member `name`; refused when missing.
  JsonField required(std::string_view name) const;
  /// The members of an object (refused when this is not one), by name.
  std::vector<std::pair<std::string, JsonField>> members() const;
  /// The elements of an array (refused when this is not one).
  std::vector<JsonField> elements() const;

  /// A whole number in low..high.
  int64_t integer(int64_t low, int64_t high) const;
  bool boolean() const;
  /// A text as EncodeText wrote it.
  std::string text() const;
  /// A text as EncodeText wrote it and one of `names`; its position there.
  size_t choice(std::span<const std::string_view> names) const;

 private:
  std::string inside(std::string_view name) const;

  const Json& value_;
  std::string where_;
};

/// Checks the "format" member of a document's top object: present, a whole
/// number from 1, and not above `newest`, the newest format this host reads;
/// a newer one is refused as "written by a newer Tactolo (format N; this one
/// reads up to M)" before anything else of the document is looked at.
void RequireFormat(const JsonField& top, int newest);

}  // namespace tactolo::host
