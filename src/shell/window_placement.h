// The main window's position in the host's general settings store, under the
// window's name followed by "_L" (left edge) and "_T" (top edge), in twips.
#pragma once

#include <optional>
#include <string>

namespace tactolo {

class Form;
class HostSettings;

/// Writes both edges, only while the window is in the normal state, as the
/// decimal text of a 32-bit float (whole numbers without a point).
void SaveWindowPlacement(Form& window, HostSettings& settings);

/// Reads "_L" then "_T" and moves the matching edge; stops silently at the
/// first value that is missing, not a number, or outside -32768..32767,
/// keeping the edges already set.
void LoadWindowPlacement(Form& window, HostSettings& settings);

/// A stored text taken as a signed 16-bit number (rounded, halves to even);
/// nullopt when it is empty, not a number or out of range.
std::optional<int16_t> ParseInt16(const std::string& text);

/// The decimal text of a 32-bit float: "1440", "-15", "1.5", "1.2345679e+08".
std::string SingleToText(float value);

}  // namespace tactolo
