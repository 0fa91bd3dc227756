// The main window's position in the host's general settings store, under the
// window's name followed by "_L" (left edge) and "_T" (top edge), in twips.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tactolo {

class Form;
class HostSettings;

/// Switches the window's drawing scale to pixels, then writes both edges,
/// only while the window is in the normal state, as the decimal text of a
/// 32-bit float (whole numbers without a point, never an exponent).
void SaveWindowPlacement(Form& window, HostSettings& settings);

/// Switches the window's drawing scale to pixels, reads "_L" and then "_T",
/// and only then sets the left edge and then the top edge. Stops silently at
/// the first failure: a read the host fails (nothing moves), or a text that
/// is missing, not a number, or outside -32768..32767 (the edges set before
/// it stay set).
void LoadWindowPlacement(Form& window, HostSettings& settings);

/// A stored text taken as a signed 16-bit number: decimal, with optional
/// blanks around it, a sign, a fraction and an exponent ("12", " -3.5",
/// "1e3"), rounded with halves to even; nullopt when it is empty, written in
/// any other way (hexadecimal, "inf", "nan") or out of range.
std::optional<int16_t> ParseInt16(const std::string& text);

/// The decimal text of a 32-bit float, never in exponent form: "1440",
/// "-15", "1.5", "100000".
std::string SingleToText(float value);

}  // namespace tactolo
