#include "vu/vu_colors.h"

namespace tactolo {

uint8_t ColorPart(Color color, uint32_t mask, const SystemColors& palette) {
  if (color > 0xFFFFFFu) color = palette.systemColor(color & 0xFFFFFFu);
  switch (mask) {
    case kRedMask:
      return static_cast<uint8_t>(color & 0xFFu);
    case kGreenMask:
      return static_cast<uint8_t>((color >> 8) & 0xFFu);
    case kBlueMask:
      return static_cast<uint8_t>((color >> 16) & 0xFFu);
    default:
      return 0;
  }
}

uint8_t GreyLevel(uint8_t red, uint8_t green, uint8_t blue) {
  const unsigned sum = unsigned{red} + green + blue;  // 0..765
  return static_cast<uint8_t>((sum + 1) / 3);
}

Color GreyOf(Color color, const SystemColors& palette) {
  const uint8_t m = GreyLevel(ColorPart(color, kRedMask, palette), ColorPart(color, kGreenMask, palette),
                              ColorPart(color, kBlueMask, palette));
  return Rgb(m, m, m);
}

std::string ColorCaption(Color color, const SystemColors& palette) {
  return std::to_string(ColorPart(color, kRedMask, palette)) + "," +
         std::to_string(ColorPart(color, kGreenMask, palette)) + "," +
         std::to_string(ColorPart(color, kBlueMask, palette));
}

}  // namespace tactolo
