#include "script_format.h"

#include <cstdio>

namespace tactolo::app {

std::string quoteText(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\x%02x",
                        static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string formatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string formatBool(bool value) { return value ? "true" : "false"; }

std::string formatColor(uint32_t color) {
  // Above 0xFFFFFF: the system colour with that index.
  if (color > 0xFFFFFFu) return "system " + std::to_string(color & 0xFFFFFFu);
  return std::to_string(color & 0xFFu) + "," + std::to_string((color >> 8) & 0xFFu) + "," +
         std::to_string((color >> 16) & 0xFFu);
}

}  // namespace tactolo::app
