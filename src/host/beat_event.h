// One beat message of the plug-in as the host's outputs see it.
#pragma once

#include <chrono>
#include <string>

#include "platform/clock.h"

namespace tactolo::host {

/// Which beat the indicator showed with the message: a detected beat
/// (green), one of keep mode's generator (red) or the sync button's (blue).
enum class BeatKind { Detected, Generated, Manual };

struct BeatEvent {
  /// The host clock's time of the message, in ms.
  TimeMs clockMs = 0;
  /// When the message arrived, on the steady system clock.
  std::chrono::steady_clock::time_point sentAt;
  /// The tempo the main window showed with the beat (bpmLabel's caption).
  std::string bpm;
  BeatKind kind = BeatKind::Detected;
};

}  // namespace tactolo::host
