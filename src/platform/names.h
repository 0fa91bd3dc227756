// Names as the plug-in compares them: controls, windows, members and
// variables are found without regard to case (ASCII letters).
#pragma once

#include <algorithm>
#include <cctype>
#include <string_view>

namespace tactolo {

inline bool sameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace tactolo
