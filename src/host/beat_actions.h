// What a beat does without a lighting host: the project's flash and chase
// actions, driving the action layer of the DMX universes.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "host/beat_event.h"
#include "host/dmx_universes.h"
#include "host/show_settings.h"
#include "platform/clock.h"
#include "platform/timers.h"

namespace tactolo::host {

/// The longest hold of a flash, in ms.
constexpr int kMaxHoldMs = 60000;
/// The largest step between acting beats.
constexpr int kMaxEveryNth = 64;

/// Refuses (std::invalid_argument, naming what is wrong) an action outside
/// the ranges of BeatAction: everyNth 1..64; a flash with at least one
/// channel and a hold of 1..60000 ms; a chase with at least one step;
/// channels 1..kMaxChannels; values 0..255. Whether a channel lies within
/// the configured universes is the DMX stream's to say when it is written.
void checkBeatAction(const BeatAction& action);

/// Parses the value of `--flash CH[,CH...][=VALUE][/HOLD_MS]`: a flash on
/// every beat of the channels, at VALUE (default 255) for HOLD_MS (default
/// 100). Decimal digits only, each number in its range; anything else is
/// refused with std::invalid_argument, whose message names the option and
/// quotes the value.
BeatAction parseFlashOption(std::string_view text);

/// A set of channel values as a user types it: entries "CH=VALUE", "CH"
/// (at 255) or a range "FIRST-LAST=VALUE" (each channel of it), separated
/// by commas or blanks. Channels 1..kMaxChannels, values 0..255, decimal
/// digits only; anything else is refused with std::invalid_argument naming
/// the entry. An empty text is an empty set.
std::vector<ChannelValue> parseChannelValues(std::string_view text);
/// The set as that text, runs of neighbouring channels with one value as a
/// range ("1-4=255, 9=128").
std::string channelValuesText(const std::vector<ChannelValue>& channels);
/// A chase's steps as one text: the steps' sets separated by ";" (an empty
/// step is all dark). An empty text has no step.
std::vector<std::vector<ChannelValue>> parseChaseSteps(std::string_view text);
std::string chaseStepsText(const std::vector<std::vector<ChannelValue>>& steps);

/// The beat actions of a show. Each action acts on the first beat and then
/// on every everyNth beat after it; every beat counts, detected, generated
/// by keep mode or the sync button's.
///  * A flash sets its channels to their values and holds them for holdMs;
///    a new acting beat during the hold starts the hold again. At its end
///    the channels go back to 0.
///  * A chase shows its first step at its first acting beat and the next
///    step (after the last: the first again) at each later one; a channel
///    of the previous step that the new one does not set goes back to 0.
/// Where actions set the same channel, the highest value wins. Each change
/// is flushed to the output at once. Holds run on `clock`.
///
/// For the plug-in's thread only; `clock` and `universes` must outlive this
/// object.
class BeatActions {
 public:
  /// Each action is checked with checkBeatAction.
  BeatActions(Clock& clock, DmxUniverses& universes, std::vector<BeatAction> actions);
  ~BeatActions();
  BeatActions(const BeatActions&) = delete;
  BeatActions& operator=(const BeatActions&) = delete;

  void onBeat(const BeatEvent& beat);
  /// The actions, as given.
  std::vector<BeatAction> actions() const;
  /// Ends what the actions show: every channel they set goes back to 0 in
  /// the action layer (not flushed), and they start again from their first
  /// beat.
  void darken();

 private:
  struct Running {
    BeatAction action;
    int beats = 0;
    bool lit = false;  // flash: holding
    int step = -1;     // chase: the step shown, -1 before the first
    std::unique_ptr<Countdown> hold;
  };

  void endHold(Running& flash);
  /// Writes the action layer's value of each of `channels`: the highest
  /// that any action sets now, else 0.
  void refresh(const std::vector<ChannelValue>& channels);
  static int contribution(const Running& running, int32_t channel);

  DmxUniverses& universes_;
  std::vector<Running> actions_;
};

}  // namespace tactolo::host
