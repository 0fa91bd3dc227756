// Colour helpers of the VU editors and output.
//
// Colours are packed display colours (red in the low byte, green in the
// second, blue in the third). A value above 0xFFFFFF (a negative one as a
// signed 32-bit number) names a system colour: its low 24 bits are the index
// into the palette of current system colours (SystemColors), which the
// control model provides.
#pragma once

#include <cstdint>
#include <string>

#include "platform/control_model.h"

namespace tactolo {

constexpr uint32_t kRedMask = 0xFF;
constexpr uint32_t kGreenMask = 0xFF00;
constexpr uint32_t kBlueMask = 0xFF0000;

/// One component of a colour: the red, green or blue byte for the masks
/// kRedMask, kGreenMask and kBlueMask, 0 for any other mask. A system colour
/// is resolved through the palette first.
uint8_t ColorPart(Color color, uint32_t mask, const SystemColors& palette);

/// The mean of three colour bytes, rounded to the nearest integer. (A third
/// never falls on a half, so no tie rule is needed.)
uint8_t GreyLevel(uint8_t red, uint8_t green, uint8_t blue);

/// The grey of a colour: RGB(m, m, m) with m the GreyLevel of its parts.
Color GreyOf(Color color, const SystemColors& palette);

/// A colour as the point editor's colour button shows it: its red, green
/// and blue parts in decimal, joined by commas ("255,0,0").
std::string ColorCaption(Color color, const SystemColors& palette);

}  // namespace tactolo
