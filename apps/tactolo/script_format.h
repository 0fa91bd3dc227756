// How `tactolo script` writes values: texts in double quotes with C-style
// escapes, floats with up to 6 significant digits, colours as R,G,B.
#pragma once

#include <cstdint>
#include <string>

namespace tactolo::app {

/// "text" with \\, \", \r, \n, \t and \xHH for other control characters.
std::string quoteText(const std::string& text);
/// %g: up to 6 significant digits.
std::string formatNumber(double value);
std::string formatBool(bool value);
/// A packed colour (red in the low byte) as R,G,B; a system colour (above
/// 0xFFFFFF) as "system N", N its index.
std::string formatColor(uint32_t color);

}  // namespace tactolo::app
