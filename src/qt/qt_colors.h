// Colours between the control model and Qt: the desktop's system colours
// taken from the widget palette, and a packed colour as a QColor.
#pragma once

#include <QColor>
#include <QPalette>
#include <optional>

#include "platform/control_model.h"

namespace tactolo::qt {

/// The system colours of the control model (the desktop's standard indices:
/// 5 window, 8 window text, 13 highlight, 15 button face, 18 button text,
/// ...) from a widget palette: the application's palette at the time of the
/// call, or a fixed one. An index the palette has no role for keeps the
/// model's standard colour.
class QtSystemColors final : public SystemColors {
 public:
  /// Follows the application's palette (QApplication::palette()).
  QtSystemColors() = default;
  explicit QtSystemColors(const QPalette& palette) : fixed_(palette) {}

  Color systemColor(uint32_t index) const override;

 private:
  std::optional<QPalette> fixed_;
};

/// A packed colour (red in the low byte) as a QColor, a system colour
/// resolved through `colors` first.
QColor toQColor(Color color, const SystemColors& colors);

/// A QColor as a packed colour.
Color fromQColor(const QColor& color);

}  // namespace tactolo::qt
