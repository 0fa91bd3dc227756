#include "qt/dmx_monitor_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace tactolo::qt {

namespace {

constexpr int kRows = 16;
/// The highlight of a changed cell, and the bar that shows a value's level.
const QColor kChanged(255, 200, 60);
const QColor kLevel(90, 160, 230);

}  // namespace

DmxMonitorView::DmxMonitorView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Small enough for 32 cells of three digits across a laptop's screen
  // beside the tool window.
  QFont small = font();
  small.setPointSizeF(8);
  setFont(small);
  fade_.setInterval(100);
  QObject::connect(&fade_, &QTimer::timeout, [this] { fade(); });
  setUniverses(1);
}

void DmxMonitorView::setUniverses(int count) {
  const auto size = static_cast<std::size_t>(std::max(count, 1) * kChannels);
  values_.resize(size, 0);
  changedAt_.resize(size, SteadyClock::time_point{});
  paintedLit_.assign(kChannels, 0);
  shown_ = std::min(shown_, universes() - 1);
  update();
}

void DmxMonitorView::showUniverse(int index) {
  shown_ = std::clamp(index, 0, universes() - 1);
  update();
}

void DmxMonitorView::changed(int32_t channel, uint8_t value) {
  if (channel < 1 || channel > static_cast<int32_t>(values_.size())) return;
  const auto at = static_cast<std::size_t>(channel - 1);
  values_[at] = value;
  lastChange_ = changedAt_[at] = SteadyClock::now();
  if (const QRect cell = cellRect(channel); !cell.isEmpty()) update(cell);
  if (!fade_.isActive()) fade_.start();
}

uint8_t DmxMonitorView::value(int32_t channel) const {
  if (channel < 1 || channel > static_cast<int32_t>(values_.size())) return 0;
  return values_[static_cast<std::size_t>(channel - 1)];
}

bool DmxMonitorView::highlighted(int32_t channel) const {
  if (channel < 1 || channel > static_cast<int32_t>(values_.size())) return false;
  const SteadyClock::time_point at = changedAt_[static_cast<std::size_t>(channel - 1)];
  return at != SteadyClock::time_point{} && SteadyClock::now() - at < kHighlight;
}

int DmxMonitorView::cellWidth() const { return fontMetrics().horizontalAdvance(QStringLiteral("888")) + 7; }
int DmxMonitorView::cellHeight() const { return fontMetrics().height() + 5; }
int DmxMonitorView::labelWidth() const { return fontMetrics().horizontalAdvance(QStringLiteral("512")) + 10; }

QRect DmxMonitorView::cellRect(int32_t channel) const {
  const int32_t inUniverse = channel - 1 - shown_ * kChannels;
  if (inUniverse < 0 || inUniverse >= kChannels) return {};
  return QRect(labelWidth() + (inUniverse % kColumns) * cellWidth(), (inUniverse / kColumns) * cellHeight(),
               cellWidth(), cellHeight());
}

QSize DmxMonitorView::sizeHint() const {
  return QSize(labelWidth() + kColumns * cellWidth() + 1, kRows * cellHeight() + 1);
}

void DmxMonitorView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QPalette& colors = palette();
  painter.fillRect(event->rect(), colors.window());
  const SteadyClock::time_point now = SteadyClock::now();
  const int first = shown_ * kChannels + 1;
  painter.setPen(colors.color(QPalette::WindowText));
  for (int row = 0; row < kRows; ++row) {
    const QRect label(0, row * cellHeight(), labelWidth() - 4, cellHeight());
    if (label.intersects(event->rect())) {
      painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::number(row * kColumns + 1));
    }
  }
  for (int i = 0; i < kChannels; ++i) {
    const int32_t channel = first + i;
    const QRect cell = cellRect(channel);
    if (!cell.intersects(event->rect())) continue;
    const auto at = static_cast<std::size_t>(channel - 1);
    const bool lit = changedAt_[at] != SteadyClock::time_point{} && now - changedAt_[at] < kHighlight;
    paintedLit_[static_cast<std::size_t>(i)] = lit ? 1 : 0;
    const QRect inside = cell.adjusted(1, 1, -1, -1);
    painter.fillRect(inside, lit ? kChanged : colors.color(QPalette::Base));
    // A bar along the bottom as high as the value is of full scale.
    const int level = values_[at] * (inside.height() - 2) / 255;
    if (level > 0) painter.fillRect(inside.left(), inside.bottom() - level + 1, 3, level, kLevel);
    painter.setPen(values_[at] == 0 ? colors.color(QPalette::Disabled, QPalette::Text)
                                    : colors.color(QPalette::Text));
    painter.drawText(inside, Qt::AlignCenter, QString::number(values_[at]));
  }
}

void DmxMonitorView::fade() {
  const SteadyClock::time_point now = SteadyClock::now();
  const int first = shown_ * kChannels;
  for (int i = 0; i < kChannels; ++i) {
    if (paintedLit_[static_cast<std::size_t>(i)] != 0 &&
        now - changedAt_[static_cast<std::size_t>(first + i)] >= kHighlight) {
      update(cellRect(first + i + 1));
    }
  }
  // Once every highlight has run out and been painted away.
  if (now - lastChange_ >= kHighlight + 2 * std::chrono::milliseconds(fade_.interval())) fade_.stop();
}

}  // namespace tactolo::qt
