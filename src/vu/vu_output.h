// The VU output: the input levels light the points of the active
// configuration, and a point's DMX channels are set only when it changes
// between dark and lit.
//
// Point i of a row (0-based) of a configuration with `size` points per row
// lights when its row's level is strictly above (i + 1) / size, and goes dark
// at or below it; the last point needs a gain factor above 1. A level of 1.0
// is full scale at neutral gain.
#pragma once

#include <array>
#include <cstdint>

#include "module/vu_variables.h"
#include "platform/control_model.h"

namespace tactolo {

/// Where DMX writes go: the host's output stream. The output ignores what a
/// call achieves, so an implementation reports or swallows host failures
/// itself rather than throwing into a pass.
class VuDmxSink {
 public:
  virtual ~VuDmxSink() = default;
  /// Called once before the channel writes of each pass.
  virtual void UserInteraction() = 0;
  /// Sets one channel to a value 0..255; the output always passes flag true.
  virtual void SetChannel(int32_t channel, int32_t value, bool flag) = 0;
};

/// The output pass over the thresholds and lit states of both rows, which
/// the module state holds (VuOutputState). Allocates nothing.
class VuOutput {
 public:
  explicit VuOutput(VuOutputState& state) : state_(state) {}

  /// Threshold setup for `size` points per row (1..16; anything else is
  /// refused with std::invalid_argument and changes nothing): threshold i
  /// becomes (i + 1) / size and every lit state is cleared, without sending.
  void setupThresholds(int size);

  /// Points per row that have thresholds; 0 before the first setup.
  int size() const { return state_.size; }
  double VuThresholds(int i) const { return state_.VuThresholds.at(static_cast<size_t>(i)); }
  bool LeftOn(int i) const { return state_.LeftOn.at(static_cast<size_t>(i)); }
  bool RightOn(int i) const { return state_.RightOn.at(static_cast<size_t>(i)); }

  /// Marks every point of both rows dark, without sending.
  void clearLitStates();

  /// One output pass: UserInteraction, then for i from the top point down to
  /// 0 the left point and (in stereo) the right point of index i, sending
  /// the lit values of a point that lights and zeros to one that goes dark.
  /// Before any threshold setup there are no points to drive: nothing is
  /// called at all.
  void SendVuLevels(const VuConfiguration& config, double levelLeft, double levelRight, VuDmxSink& sink);

 private:
  VuOutputState& state_;
};

/// Sends zeros to every channel of the left points below VuSize, and of the
/// right points in stereo, from the top point down, after one UserInteraction. Lit
/// states are neither read nor changed. A point's channels are its dimmer
/// channel, or its red, green and blue channels in that order.
void SwitchVuOff(const VuConfiguration& config, VuDmxSink& sink);

/// The VU gain factor for a slider position 0..100 (neutral 50): from 1/3 at
/// 0 through 1.0 at 50 to 1 + 50/33 at 100. Refuses (std::invalid_argument)
/// a position outside 0..100.
double VuGainFactorForSlider(int32_t position);

/// The two bars of the level preview: the left level from (0, 0) to
/// (width × left, halfHeight), the right level from (0, halfHeight) to
/// (width × right, fullHeight), bright green while VU output is on and dark
/// green while it is off. Widths are rounded (halves to even) and held to
/// the 16-bit range of the drawing's coordinates.
std::array<PictureBox::Box, 2> VuPreviewBoxes(int32_t widthPx, int16_t halfHeight, int16_t fullHeight,
                                              double levelLeft, double levelRight, bool sendVu);

}  // namespace tactolo
