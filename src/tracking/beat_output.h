// What every beat shows and sends: the beat message to the host and the
// colours of the indicator `beatShape`.
//
// Detected, generated and manual beats send the same message; the indicator's
// colour tells them apart (bright while beat output is on, dim while it is
// off), and 50 ms later `beatClearTimer` turns it dark again.
#pragma once

#include "module/plugin_module.h"
#include "platform/control_model.h"

namespace tactolo {

struct BeatColors {
  Color sent;   // beat output on
  Color quiet;  // beat output off
  Color of(bool sendBeat) const { return sendBeat ? sent : quiet; }
};

constexpr BeatColors kDetectedBeatColors{Rgb(0, 230, 0), Rgb(0, 150, 0)};
constexpr BeatColors kGeneratedBeatColors{Rgb(230, 0, 0), Rgb(150, 0, 0)};
constexpr BeatColors kManualBeatColors{Rgb(100, 100, 250), Rgb(0, 0, 150)};
constexpr Color kBeatCleared = Rgb(30, 30, 30);

/// Sends the beat message, Messages.Send(9, 1, 0), through the host. A beat
/// the host refuses is lost, but the beat goes on (indicator, tempo,
/// generator): the failure is reported as an event error.
void SendBeatMessage(PluginModule& module);

}  // namespace tactolo
