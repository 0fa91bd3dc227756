#include "qt/qt_colors.h"

#include <QApplication>

namespace tactolo::qt {

namespace {

/// The palette role that plays each system colour, by the desktop's index.
std::optional<std::pair<QPalette::ColorGroup, QPalette::ColorRole>> roleOf(uint32_t index) {
  using G = QPalette::ColorGroup;
  using R = QPalette::ColorRole;
  switch (index) {
    case 0:   // scroll bar
    case 15:  // button face
      return std::pair{G::Active, R::Button};
    case 2:   // active caption
    case 13:  // highlight
    case 29:  // menu highlight
      return std::pair{G::Active, R::Highlight};
    case 3:  // inactive caption
      return std::pair{G::Inactive, R::Highlight};
    case 4:   // menu
    case 30:  // menu bar
      return std::pair{G::Active, R::Window};
    case 5:  // window
      return std::pair{G::Active, R::Base};
    case 6:   // window frame
    case 21:  // 3D dark shadow
      return std::pair{G::Active, R::Shadow};
    case 7:  // menu text
      return std::pair{G::Active, R::WindowText};
    case 8:  // window text
      return std::pair{G::Active, R::Text};
    case 9:   // caption text
    case 14:  // highlighted text
      return std::pair{G::Active, R::HighlightedText};
    case 12:  // application work space
    case 16:  // button shadow
      return std::pair{G::Active, R::Dark};
    case 17:  // grey text
      return std::pair{G::Disabled, R::Text};
    case 18:  // button text
      return std::pair{G::Active, R::ButtonText};
    case 19:  // inactive caption text
      return std::pair{G::Inactive, R::HighlightedText};
    case 20:  // 3D highlight
      return std::pair{G::Active, R::Light};
    case 22:  // 3D light
      return std::pair{G::Active, R::Midlight};
    case 23:  // tool tip text
      return std::pair{G::Active, R::ToolTipText};
    case 24:  // tool tip background
      return std::pair{G::Active, R::ToolTipBase};
    case 26:  // hot-tracked item
      return std::pair{G::Active, R::Link};
    default:
      return std::nullopt;
  }
}

}  // namespace

Color QtSystemColors::systemColor(uint32_t index) const {
  const auto role = roleOf(index);
  if (!role) return StandardSystemColors().systemColor(index);
  const QPalette palette = fixed_ ? *fixed_ : QApplication::palette();
  return fromQColor(palette.color(role->first, role->second));
}

QColor toQColor(Color color, const SystemColors& colors) {
  if (IsSystemColor(color)) color = colors.systemColor(color & 0xFFFFFFu);
  return QColor(static_cast<int>(color & 0xFFu), static_cast<int>((color >> 8) & 0xFFu),
                static_cast<int>((color >> 16) & 0xFFu));
}

Color fromQColor(const QColor& color) {
  const QColor rgb = color.toRgb();
  return Rgb(static_cast<uint32_t>(rgb.red()), static_cast<uint32_t>(rgb.green()),
             static_cast<uint32_t>(rgb.blue()));
}

}  // namespace tactolo::qt
