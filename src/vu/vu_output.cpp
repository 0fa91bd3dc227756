#include "vu/vu_output.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace tactolo {
namespace {

constexpr bool kChannelFlag = true;

/// The points of a row that VuSize drives, held to the 16 that exist.
int drivenPoints(const VuConfiguration& config) { return std::clamp<int>(config.VuSize, 0, kVuPointsPerRow); }

/// Sends a point's lit values, or zeros to the same channels: the dimmer
/// channel, or the red, green and blue channels in that order.
void sendPoint(const VuPoint& point, bool lit, VuDmxSink& sink) {
  if (point.Monochrome) {
    sink.SetChannel(point.DimmerChannel, lit ? point.DimmerValue : 0, kChannelFlag);
  } else {
    sink.SetChannel(point.RedChannel, lit ? point.Red : 0, kChannelFlag);
    sink.SetChannel(point.GreenChannel, lit ? point.Green : 0, kChannelFlag);
    sink.SetChannel(point.BlueChannel, lit ? point.Blue : 0, kChannelFlag);
  }
}

/// Lights or darkens one point when its state changes.
void updatePoint(bool lit, bool& on, const VuPoint& point, VuDmxSink& sink) {
  if (lit == on) return;
  on = lit;
  sendPoint(point, lit, sink);
}

int16_t previewWidth(int32_t widthPx, double level) {
  const double width = static_cast<double>(widthPx) * level;
  if (std::isnan(width)) return 0;
  const double held =
      std::clamp<double>(width, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
  return static_cast<int16_t>(std::nearbyint(held));  // the default rounding: halves to even
}

}  // namespace

void VuOutput::setupThresholds(int size) {
  if (size < kVuMinSize || size > kVuMaxSize) {
    throw std::invalid_argument("a VU row has 1 to 16 points, not " + std::to_string(size));
  }
  const double step = 1.0 / size;
  for (int i = 1; i <= size; ++i) state_.VuThresholds[static_cast<size_t>(i - 1)] = i * step;
  state_.size = size;
  clearLitStates();
}

void VuOutput::clearLitStates() {
  state_.LeftOn.fill(false);
  state_.RightOn.fill(false);
}

void VuOutput::SendVuLevels(const VuConfiguration& config, double levelLeft, double levelRight,
                            VuDmxSink& sink) {
  if (state_.size == 0) return;
  sink.UserInteraction();
  for (int i = std::min(state_.size, drivenPoints(config)) - 1; i >= 0; --i) {
    const auto k = static_cast<size_t>(i);
    const double threshold = state_.VuThresholds[k];
    updatePoint(levelLeft > threshold, state_.LeftOn[k], config.LeftPoints[k], sink);
    if (config.VuStereo) updatePoint(levelRight > threshold, state_.RightOn[k], config.RightPoints[k], sink);
  }
}

void SwitchVuOff(const VuConfiguration& config, VuDmxSink& sink) {
  sink.UserInteraction();
  for (int i = drivenPoints(config) - 1; i >= 0; --i) {
    const auto k = static_cast<size_t>(i);
    sendPoint(config.LeftPoints[k], false, sink);
    if (config.VuStereo) sendPoint(config.RightPoints[k], false, sink);
  }
}

double VuGainFactorForSlider(int32_t position) {
  if (position < 0 || position > 100) {
    throw std::invalid_argument("the VU gain slider runs from 0 to 100, not " + std::to_string(position));
  }
  if (position < 50) return 1.0 - (50 - position) / 75.0;
  return 1.0 + (position - 50) / 33.0;
}

std::array<PictureBox::Box, 2> VuPreviewBoxes(int32_t widthPx, int16_t halfHeight, int16_t fullHeight,
                                              double levelLeft, double levelRight, bool sendVu) {
  const Color color = sendVu ? Rgb(0, 255, 0) : Rgb(0, 128, 0);
  return {PictureBox::Box{0, 0, previewWidth(widthPx, levelLeft), halfHeight, color},
          PictureBox::Box{0, halfHeight, previewWidth(widthPx, levelRight), fullHeight, color}};
}

}  // namespace tactolo
