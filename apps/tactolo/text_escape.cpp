#include "text_escape.h"

#include <cstdio>

namespace tactolo::app {

namespace {

bool continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void appendHex(std::string& out, const char* format, unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, format, value);
  out += text;
}

}  // namespace

std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;  // the second byte's range, narrower for some leads
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!continuation(byte(i))) return 0;
  }
  return length;
}

namespace {

/// escapeLine, with backslashes doubled or left as they are.
std::string escapeText(std::string_view text, bool backslashes) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t length = utf8SequenceLength(text, at);
    if (length == 0) {
      appendHex(out, "\\x%02x", byte);
      ++at;
    } else if (byte == '\\' && backslashes) {
      out += "\\\\";
      ++at;
    } else if (byte == '\n') {
      out += "\\n";
      ++at;
    } else if (byte == '\r') {
      out += "\\r";
      ++at;
    } else if (byte == '\t') {
      out += "\\t";
      ++at;
    } else if (byte < 0x20 || byte == 0x7F) {
      appendHex(out, "\\x%02x", byte);
      ++at;
    } else if (byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
      // U+0080 to U+009F: control characters too.
      appendHex(out, "\\x%02x", byte);
      appendHex(out, "\\x%02x", static_cast<unsigned char>(text[at + 1]));
      at += 2;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  return out;
}

}  // namespace

std::string escapeLine(std::string_view text) { return escapeText(text, /*backslashes=*/true); }

std::string escapeBytes(std::string_view text) { return escapeText(text, /*backslashes=*/false); }

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  out.reserve(text.size() + 2);
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t length = utf8SequenceLength(text, at);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD
      ++at;
      continue;
    }
    switch (byte) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          appendHex(out, "\\u%04x", byte);
        } else {
          out.append(text.substr(at, length));
        }
    }
    at += length;
  }
  return out + "\"";
}

}  // namespace tactolo::app
