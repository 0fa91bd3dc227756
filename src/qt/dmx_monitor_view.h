// The DMX monitor of the desktop: the 512 channels of one universe of the
// show's output as a grid of cells, each with its value, the cells that
// changed in the last second highlighted.
#pragma once

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <vector>

namespace tactolo::qt {

class DmxMonitorView final : public QWidget {
 public:
  /// Cells per row: 16 rows of 32 make a universe.
  static constexpr int kColumns = 32;
  /// How long a changed cell stays highlighted.
  static constexpr std::chrono::milliseconds kHighlight{1000};

  explicit DmxMonitorView(QWidget* parent = nullptr);

  /// The output carries `universes` universes (channels 1..512 x universes
  /// across them): the channels it keeps show their values, added ones 0.
  void setUniverses(int universes);
  int universes() const { return static_cast<int>(values_.size() / kChannels); }
  /// Shows universe `index` (0 is the output's first).
  void showUniverse(int index);
  int shownUniverse() const { return shown_; }

  /// Channel `channel` (counted from 1 across the universes) now sends
  /// `value`. DmxUniverses' observer calls it after every round of the
  /// show; it allocates nothing and only marks the cell to be painted.
  void changed(int32_t channel, uint8_t value);
  /// The value the cell of `channel` shows; 0 outside the universes.
  uint8_t value(int32_t channel) const;
  /// Whether the cell of `channel` is highlighted now.
  bool highlighted(int32_t channel) const;
  /// Where the cell of `channel` of the shown universe is painted; empty
  /// for a channel of another universe.
  QRect cellRect(int32_t channel) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  static constexpr int kChannels = 512;
  using SteadyClock = std::chrono::steady_clock;

  int cellWidth() const;
  int cellHeight() const;
  int labelWidth() const;
  /// Repaints the cells whose highlight has run out since they were painted.
  void fade();

  std::vector<uint8_t> values_;
  std::vector<SteadyClock::time_point> changedAt_;
  /// Per cell of the shown universe: painted highlighted.
  std::vector<char> paintedLit_;
  int shown_ = 0;
  SteadyClock::time_point lastChange_{};
  QTimer fade_;
};

}  // namespace tactolo::qt
